#pragma once

#include <memory>

namespace tessaline {

// The pause of a command that watches the device lists, between two looks at them. It ends
// when the MIDI systems announce a change (wake), when a second has passed where they announce
// nothing, or when the user stops the command: Ctrl-C, or the system asking it to end.
class WatchPause {
  public:
    virtual ~WatchPause() = default;
    // False when a stop ended the pause: the watch is over.
    virtual bool waitForNextLook(bool announced) = 0;
    // Brings the next look on; any thread may call it, a MIDI system's own among them.
    virtual void wake() = 0;
};

// Made before the program starts any thread, so that a stop reaches the pause and no other
// thread. Without watch, nothing is taken over and a stop ends the program as it always does.
std::unique_ptr<WatchPause> makeWatchPause(bool watch);

}  // namespace tessaline
