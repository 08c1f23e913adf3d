#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/MidiService.h"

namespace tessaline {

// A MIDI input and output of our own that other programs connect to (a virtual port pair on
// ALSA or JACK), for a program that plays an instrument rather than talks to one. What comes
// in arrives as whole messages, short ones and System Exclusive (joined if it came in pieces),
// without real-time bytes, on a thread of its own, one at a time.
class VirtualPorts {
  public:
    using MessageHandler = std::function<void(const std::vector<unsigned char>&)>;

    // api: "alsa" or "jack". The ports are named after the client (VirtualPortNames.h), whose
    // name is cut to what the system takes. Throws std::runtime_error with a plain text when
    // the ports cannot be made (no such system here, no server).
    VirtualPorts(const std::string& api, const std::string& clientName, MessageHandler handler);
    ~VirtualPorts();
    VirtualPorts(const VirtualPorts&) = delete;
    VirtualPorts& operator=(const VirtualPorts&) = delete;

    // Sends one whole message to whoever is connected; DeviceGone once the server went away.
    MidiResult send(const unsigned char* data, std::size_t length);
    // False once the MIDI system has gone away (the JACK server stopped).
    bool alive() const;

    // What the input had to drop since the last call: System Exclusive messages that outgrew
    // the 1 MiB bound, and overruns (input that came faster than it was taken, cut where the
    // gap fell so that no message reaches the handler damaged).
    struct InputTrouble {
        unsigned overlong = 0;
        unsigned overruns = 0;
    };
    InputTrouble takeInputTrouble();

    // Our ports as other programs list them.
    std::string inputName() const;
    std::string outputName() const;

    class Impl;

  private:
    std::shared_ptr<Impl> impl_;
};

}  // namespace tessaline
