#include "midi/PortFollower.h"

namespace tessaline {

bool PortFollower::gone(const Followed& side, const std::vector<std::string>& names,
                        const std::vector<std::uint64_t>& lives) {
    const int now = findDevice(names, side.identity);
    if (now < 0) {
        return true;
    }
    // Listed under other numbers, or under the same ones in another life, it went and came
    // back between two looks: the system dropped our connection with the old port.
    return names[static_cast<std::size_t>(now)] != side.name ||
           lifeOf(lives, static_cast<std::size_t>(now)) != side.life;
}

void PortFollower::follow(Followed& side, const std::string& openName, int device,
                          const std::vector<std::string>& names,
                          const std::vector<std::uint64_t>& lives) {
    if (side.name == openName && !side.identity.name.empty()) {
        return;  // already followed since it opened
    }
    side = Followed{};
    side.name = openName;
    // The port opened on `device` of a listing taken at that moment; this one may have moved it.
    int now = device;
    if (now < 0 || static_cast<std::size_t>(now) >= names.size() ||
        names[static_cast<std::size_t>(now)] != openName) {
        now = -1;
        for (std::size_t i = 0; i < names.size() && now < 0; ++i) {
            if (names[i] == openName) {
                now = static_cast<int>(i);
            }
        }
    }
    if (now >= 0) {
        side.identity = identityOf(names, now);
        side.life = lifeOf(lives, static_cast<std::size_t>(now));
    }
}

bool PortFollower::look() {
    DeviceNames now = listDeviceNames(port_.midiService());
    const bool changed = now != last_;
    last_ = std::move(now);
    const bool inOpen = port_.inputOpen() && !port_.inputName().empty();
    const bool outOpen = port_.outputOpen() && !port_.outputName().empty();
    if (busy_) {
        goneWhileBusy_ = goneWhileBusy_ || (inOpen && gone(in_, last_.inputs, last_.inputLives)) ||
                         (outOpen && gone(out_, last_.outputs, last_.outputLives));
        return changed;
    }

    if (waiting_ && (port_.inputOpen() || port_.outputOpen())) {
        waiting_ = false;  // the user chose devices in the meantime
    }
    if (!waiting_) {
        if (inOpen) {
            follow(in_, port_.inputName(), port_.inputDevice(), last_.inputs, last_.inputLives);
        }
        if (outOpen) {
            follow(out_, port_.outputName(), port_.outputDevice(), last_.outputs,
                   last_.outputLives);
        }
        const bool inGone = inOpen && gone(in_, last_.inputs, last_.inputLives);
        const bool outGone = outOpen && gone(out_, last_.outputs, last_.outputLives);
        if (!inGone && !outGone) {
            return changed;
        }
        wantedIn_ = inOpen ? in_.identity : DeviceIdentity{};
        wantedOut_ = outOpen ? out_.identity : DeviceIdentity{};
        waiting_ = true;
        port_.close();
        in_ = Followed{};
        out_ = Followed{};
    }
    // A device that went and came back between two looks is opened again at once.
    reopenWhenBack();
    return changed;
}

void PortFollower::reopenWhenBack() {
    // Both ends of the cable must be back; a side that was not open keeps its number.
    const int in =
        wantedIn_.name.empty() ? port_.inputDevice() : findDevice(last_.inputs, wantedIn_);
    const int out =
        wantedOut_.name.empty() ? port_.outputDevice() : findDevice(last_.outputs, wantedOut_);
    if ((!wantedIn_.name.empty() && in < 0) || (!wantedOut_.name.empty() && out < 0)) {
        return;
    }
    waiting_ = false;
    port_.applySetup(in, out, last_);
}

}  // namespace tessaline
