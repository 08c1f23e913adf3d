#include "midi/DeviceWatch.h"

#include <cctype>

namespace tessaline {

namespace {

void splitListing(const std::vector<ListedDevice>& listed, std::vector<std::string>& names,
                  std::vector<std::uint64_t>& lives) {
    for (const ListedDevice& device : listed) {
        names.push_back(device.name);
        lives.push_back(device.life);
    }
}

void compareList(bool input, const std::vector<std::string>& before,
                 const std::vector<std::uint64_t>& beforeLives,
                 const std::vector<std::string>& after,
                 const std::vector<std::uint64_t>& afterLives, std::vector<DeviceChange>& changes) {
    std::vector<bool> kept(after.size(), false);
    std::vector<DeviceChange> gone;
    for (std::size_t i = 0; i < before.size(); ++i) {
        bool found = false;
        for (std::size_t j = 0; j < after.size() && !found; ++j) {
            if (!kept[j] && after[j] == before[i] &&
                lifeOf(afterLives, j) == lifeOf(beforeLives, i)) {
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

bool allDigits(const std::string& text, std::size_t from, std::size_t to) {
    if (from >= to) {
        return false;
    }
    for (std::size_t i = from; i < to; ++i) {
        if (std::isdigit(static_cast<unsigned char>(text[i])) == 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

DeviceNames listDeviceNames(MidiService& midi) {
    const DeviceListing listing = midi.listDevices();
    DeviceNames names;
    splitListing(listing.inputs, names.inputs, names.inputLives);
    splitListing(listing.outputs, names.outputs, names.outputLives);
    return names;
}

std::vector<DeviceChange> compareDeviceNames(const DeviceNames& before, const DeviceNames& after) {
    std::vector<DeviceChange> changes;
    compareList(true, before.inputs, before.inputLives, after.inputs, after.inputLives, changes);
    compareList(false, before.outputs, before.outputLives, after.outputs, after.outputLives,
                changes);
    return changes;
}

std::string stableDeviceName(const std::string& listed) {
    // "<client>:<port> <client number>:<port number>": the numbers are the sequencer's for now.
    const std::size_t space = listed.rfind(' ');
    if (space == std::string::npos || space == 0) {
        return listed;
    }
    const std::size_t colon = listed.find(':', space);
    if (colon == std::string::npos || !allDigits(listed, space + 1, colon) ||
        !allDigits(listed, colon + 1, listed.size())) {
        return listed;
    }
    return listed.substr(0, space);
}

DeviceIdentity identityOf(const std::vector<std::string>& names, int device) {
    if (device < 0 || static_cast<std::size_t>(device) >= names.size()) {
        return {};
    }
    DeviceIdentity identity{stableDeviceName(names[static_cast<std::size_t>(device)]), 0};
    for (int i = 0; i < device; ++i) {
        if (stableDeviceName(names[static_cast<std::size_t>(i)]) == identity.name) {
            ++identity.order;
        }
    }
    return identity;
}

int findDevice(const std::vector<std::string>& names, const DeviceIdentity& identity) {
    const std::string wanted = stableDeviceName(identity.name);
    if (wanted.empty()) {
        return -1;
    }
    // A name given with the numbers the device is listed under now is that device, whatever
    // the order says (a name just chosen from this listing).
    if (wanted != identity.name) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] == identity.name) {
                return static_cast<int>(i);
            }
        }
    }
    int seen = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (stableDeviceName(names[i]) == wanted && seen++ == identity.order) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::uint64_t lifeOf(const std::vector<std::uint64_t>& lives, std::size_t device) {
    return device < lives.size() ? lives[device] : 0;
}

}  // namespace tessaline
