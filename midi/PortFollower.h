#pragma once

#include <string>

#include "midi/DeviceWatch.h"
#include "midi/MidiPort.h"

namespace tessaline {

// Keeps a port on its devices while devices come and go. When a device the port has open
// leaves the lists, the port closes, as it does at start-up without an instrument. When
// devices of those names are listed again, wherever they now stand, the port takes their
// numbers as its setup (so the stored numbers follow the names) and opens on them, which
// identifies the instrument again. A port opened meanwhile by anyone else is left alone.
// User-interface thread only, like the port's open and close.
class PortFollower {
  public:
    explicit PortFollower(MidiPort& port) : port_(port) {}

    // Looks at the device lists once and acts on what it sees. True when the lists differ
    // from those of the look before.
    bool look();

    // Closed because its device went; waiting for it to come back.
    bool waiting() const { return waiting_; }

  private:
    MidiPort& port_;
    DeviceNames last_;
    bool waiting_ = false;
    std::string wantedIn_;
    std::string wantedOut_;
};

}  // namespace tessaline
