#pragma once

#include <cstdint>
#include <string>

#include "midi/DeviceWatch.h"
#include "midi/MidiPort.h"

namespace tessaline {

// Keeps a port on its devices while devices come and go. When a device the port has open
// leaves the lists, or goes and comes back between two looks, the port closes, as it does at
// start-up without an instrument. As soon as devices of those stable names (and orders) are
// listed again, wherever they now stand and whatever numbers the system gave them, the port
// takes them as its setup and opens on them, which subscribes again and identifies the
// instrument. A port opened meanwhile by anyone else is left alone.
// User-interface thread only, like the port's open and close.
class PortFollower {
  public:
    explicit PortFollower(MidiPort& port) : port_(port) {}

    // Looks at the device lists once and acts on what it sees (unless busy). True when the
    // lists differ from those of the look before.
    bool look();

    // While busy (a copy is under way) a look only notes the lists: the port is neither closed
    // nor opened under the copy. What happened meanwhile is acted on by the first look after.
    void setBusy(bool busy) {
        busy_ = busy;
        goneWhileBusy_ = false;
    }
    // A device the port has open went while busy: whatever is under way on it is lost.
    bool goneWhileBusy() const { return goneWhileBusy_; }
    bool busy() const { return busy_; }

    // Closed because its device went; waiting for it to come back.
    bool waiting() const { return waiting_; }

  private:
    // One side of the port as the follower last saw it open.
    struct Followed {
        std::string name;  // the full name, as the port opened it
        DeviceIdentity identity;
        std::uint64_t life = 0;
    };

    // True when the device `side` follows is no longer listed as it was.
    static bool gone(const Followed& side, const std::vector<std::string>& names,
                     const std::vector<std::uint64_t>& lives);
    // Starts following what the port has open on one side, as listed now.
    static void follow(Followed& side, const std::string& openName, int device,
                       const std::vector<std::string>& names,
                       const std::vector<std::uint64_t>& lives);
    void reopenWhenBack();

    MidiPort& port_;
    DeviceNames last_;
    bool busy_ = false;
    bool goneWhileBusy_ = false;
    bool waiting_ = false;
    Followed in_;
    Followed out_;
    DeviceIdentity wantedIn_;
    DeviceIdentity wantedOut_;
};

}  // namespace tessaline
