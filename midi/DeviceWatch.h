#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/MidiService.h"

namespace tessaline {

// What a MIDI service lists, by name, in device-number order, from one look at both lists. A
// device whose name cannot be read keeps its place with an empty name, which matches no stored
// name. Beside each name stands its life (see ListedDevice); a list of lives shorter than its
// names reads as 0 for the rest.
struct DeviceNames {
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    std::vector<std::uint64_t> inputLives = {};
    std::vector<std::uint64_t> outputLives = {};
    bool operator==(const DeviceNames&) const = default;
};

DeviceNames listDeviceNames(MidiService& midi);

// One device that came or went between two looks. `number` is the device's place in the list
// it is in: the later one for a device that came, the earlier one for a device that went.
struct DeviceChange {
    bool input = false;
    bool appeared = false;
    int number = 0;
    std::string name;
    bool operator==(const DeviceChange&) const = default;
};

// The devices that came and went: every device is matched with one of the same name and life
// in the other list, and what is left over on either side has gone or come (a device that went
// and came back between the looks is both). Inputs first, then outputs, each in list order.
std::vector<DeviceChange> compareDeviceNames(const DeviceNames& before, const DeviceNames& after);

// The part of a listed name that stays when the device comes back: an ALSA port listed as
// "Client:Port 24:0" is "Client:Port" under whatever numbers the sequencer gives it next time.
// Other names (JACK's full port names) are their own stable form.
std::string stableDeviceName(const std::string& listed);

// Who a device is, whatever its number: its stable name, and how many devices of that name
// come before it in its list (two identical interfaces are told apart by their order).
struct DeviceIdentity {
    std::string name;
    int order = 0;
    bool operator==(const DeviceIdentity&) const = default;
};

// The identity of device `device` in `names`; an empty name when there is no such device.
DeviceIdentity identityOf(const std::vector<std::string>& names, int device);

// The number of the device with that identity (the name given in any form); -1 when none is
// listed or the name is empty. A name given with numbers that are listed as they are names that
// device.
int findDevice(const std::vector<std::string>& names, const DeviceIdentity& identity);

// The life of device `device` in one of the lists of `names`.
std::uint64_t lifeOf(const std::vector<std::uint64_t>& lives, std::size_t device);

}  // namespace tessaline
