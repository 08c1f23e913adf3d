#include "midi/PortFollower.h"

namespace tessaline {

namespace {

bool listed(const std::vector<std::string>& names, const std::string& name) {
    return findDeviceNamed(names, name, -1) >= 0;
}

}  // namespace

bool PortFollower::look() {
    DeviceNames now = listDeviceNames(port_.midiService());
    const bool changed = now != last_;
    last_ = std::move(now);
    const bool open = port_.inputOpen() || port_.outputOpen();

    if (waiting_ && open) {
        waiting_ = false;  // the user chose devices in the meantime
    }
    if (!waiting_) {
        const std::string& in = port_.inputName();
        const std::string& out = port_.outputName();
        const bool inGone = port_.inputOpen() && !in.empty() && !listed(last_.inputs, in);
        const bool outGone = port_.outputOpen() && !out.empty() && !listed(last_.outputs, out);
        if (inGone || outGone) {
            wantedIn_ = port_.inputOpen() ? in : std::string();
            wantedOut_ = port_.outputOpen() ? out : std::string();
            waiting_ = true;
            port_.close();
        }
        return changed;
    }

    // Both ends of the cable must be back; a side that was not open keeps its number.
    const int in =
        wantedIn_.empty() ? port_.inputDevice() : findDeviceNamed(last_.inputs, wantedIn_, -1);
    const int out =
        wantedOut_.empty() ? port_.outputDevice() : findDeviceNamed(last_.outputs, wantedOut_, -1);
    if ((!wantedIn_.empty() && in < 0) || (!wantedOut_.empty() && out < 0)) {
        return changed;
    }
    waiting_ = false;
    port_.applySetup(in, out);
    return changed;
}

}  // namespace tessaline
