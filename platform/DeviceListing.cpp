#include <algorithm>

#include "platform/MidiService.h"

namespace tessaline {

namespace {

using DeviceCount = unsigned (MidiService::*)();
using DeviceName = MidiResult (MidiService::*)(unsigned, std::string&);

std::vector<ListedDevice> listOne(MidiService& midi, DeviceCount count, DeviceName nameOf) {
    const unsigned listed = std::min((midi.*count)(), kMaxListedDevices);
    std::vector<ListedDevice> devices(listed);
    for (unsigned device = 0; device < listed; ++device) {
        if ((midi.*nameOf)(device, devices[device].name) != midiresult::Ok) {
            devices[device].name.clear();
        }
    }
    return devices;
}

}  // namespace

DeviceListing MidiService::listDevices() {
    return DeviceListing{listOne(*this, &MidiService::inGetNumDevs, &MidiService::inGetDevName),
                         listOne(*this, &MidiService::outGetNumDevs, &MidiService::outGetDevName)};
}

}  // namespace tessaline
