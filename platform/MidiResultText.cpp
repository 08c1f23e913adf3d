#include <string>

#include "platform/MidiService.h"

namespace tessaline {

std::string midiResultText(MidiResult code, bool input) {
    const std::string side = input ? "MIDI input" : "MIDI output";
    switch (code) {
        case midiresult::Ok:
            return "The operation completed successfully.";
        case midiresult::Error:
            return "The " + side + " device reported an unspecified error.";
        case midiresult::BadDeviceId:
            return "The " + side +
                   " device number is not in the list of devices. Choose another device in "
                   "MIDI Setup.";
        case midiresult::NotEnabled:
            return "The " + side + " driver could not be enabled.";
        case midiresult::Allocated:
            return "The " + side + " device is already in use by another program.";
        case midiresult::InvalidHandle:
            return "The " + side + " port is not open.";
        case midiresult::NoDriver:
            return "No " + side + " driver is available on this system.";
        case midiresult::NoMemory:
            return "There is not enough memory for the " + side + " device.";
        case midiresult::InvalidFlag:
            return "An invalid flag was passed to the " + side + " device.";
        case midiresult::InvalidParam:
            return "An invalid parameter was passed to the " + side + " device.";
        case midiresult::Unprepared:
            return "The " + side + " buffer was not prepared before use.";
        case midiresult::StillPlaying:
            return "The " + side + " buffer is still in use.";
        case midiresult::NotReady:
            return "The " + side + " device is busy. Try again in a moment.";
        case midiresult::DeviceGone:
            return "The " + side +
                   " device is no longer available. Reconnect it, then choose it again in MIDI "
                   "Setup.";
        case midiresult::TimedOut:
            return "The " + side + " device did not respond in time.";
        case midiresult::ServerStopped:
            return "The JACK server stopped.";
        case midiresult::MessageTooLong:
            return "A System Exclusive message longer than 1 MiB arrived; it was dropped.";
        case midiresult::MessageDamaged:
            return "A System Exclusive message arrived broken off by another message; it was "
                   "dropped.";
        default:
            return "The " + side + " device reported error " + std::to_string(code) + ".";
    }
}

}  // namespace tessaline
