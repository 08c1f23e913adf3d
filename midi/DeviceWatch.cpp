#include "midi/DeviceWatch.h"

#include <algorithm>

namespace tessaline {

namespace {

using DeviceCount = unsigned (MidiService::*)();
using DeviceName = MidiResult (MidiService::*)(unsigned, std::string&);

std::vector<std::string> listNames(MidiService& midi, DeviceCount count, DeviceName nameOf) {
    const unsigned listed = std::min((midi.*count)(), kMaxListedDevices);
    std::vector<std::string> names(listed);
    for (unsigned device = 0; device < listed; ++device) {
        if ((midi.*nameOf)(device, names[device]) != midiresult::Ok) {
            names[device].clear();
        }
    }
    return names;
}

void compareList(bool input, const std::vector<std::string>& before,
                 const std::vector<std::string>& after, std::vector<DeviceChange>& changes) {
    std::vector<bool> kept(after.size(), false);
    std::vector<DeviceChange> gone;
    for (std::size_t i = 0; i < before.size(); ++i) {
        bool found = false;
        for (std::size_t j = 0; j < after.size() && !found; ++j) {
            if (!kept[j] && after[j] == before[i]) {
                kept[j] = true;
                found = true;
            }
        }
        if (!found) {
            gone.push_back({input, false, static_cast<int>(i), before[i]});
        }
    }
    changes.insert(changes.end(), gone.begin(), gone.end());
    for (std::size_t j = 0; j < after.size(); ++j) {
        if (!kept[j]) {
            changes.push_back({input, true, static_cast<int>(j), after[j]});
        }
    }
}

}  // namespace

std::vector<std::string> listInputNames(MidiService& midi) {
    return listNames(midi, &MidiService::inGetNumDevs, &MidiService::inGetDevName);
}

std::vector<std::string> listOutputNames(MidiService& midi) {
    return listNames(midi, &MidiService::outGetNumDevs, &MidiService::outGetDevName);
}

DeviceNames listDeviceNames(MidiService& midi) {
    return DeviceNames{listInputNames(midi), listOutputNames(midi)};
}

std::vector<DeviceChange> compareDeviceNames(const DeviceNames& before, const DeviceNames& after) {
    std::vector<DeviceChange> changes;
    compareList(true, before.inputs, after.inputs, changes);
    compareList(false, before.outputs, after.outputs, changes);
    return changes;
}

int findDeviceNamed(const std::vector<std::string>& names, const std::string& name, int hint) {
    if (name.empty()) {
        return -1;
    }
    if (hint >= 0 && static_cast<std::size_t>(hint) < names.size() &&
        names[static_cast<std::size_t>(hint)] == name) {
        return hint;
    }
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

}  // namespace tessaline
