#pragma once

#include <string>
#include <vector>

#include "platform/MidiService.h"

namespace tessaline {

// What a MIDI service lists, by name, in device-number order. A device whose name cannot be
// read keeps its place with an empty name, which matches no stored name.
struct DeviceNames {
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    bool operator==(const DeviceNames&) const = default;
};

// No service lists more; a count beyond it is taken as this many.
inline constexpr unsigned kMaxListedDevices = 1024;

DeviceNames listDeviceNames(MidiService& midi);
std::vector<std::string> listInputNames(MidiService& midi);
std::vector<std::string> listOutputNames(MidiService& midi);

// One device that came or went between two looks. `number` is the device's place in the list
// it is in: the later one for a device that came, the earlier one for a device that went.
struct DeviceChange {
    bool input = false;
    bool appeared = false;
    int number = 0;
    std::string name;
    bool operator==(const DeviceChange&) const = default;
};

// The devices that came and went: every name is matched with one of the same name in the
// other list, and what is left over on either side has gone or come. Inputs first, then
// outputs, each in list order.
std::vector<DeviceChange> compareDeviceNames(const DeviceNames& before, const DeviceNames& after);

// The number of the device called `name`: `hint` when that one is so called, else the first
// so called; -1 when none is or the name is empty.
int findDeviceNamed(const std::vector<std::string>& names, const std::string& name, int hint);

}  // namespace tessaline
