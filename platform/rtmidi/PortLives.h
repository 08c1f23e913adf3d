#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MidiService.h"

namespace tessaline {

// Gives every listed port its life (see ListedDevice) from what the MIDI system announces: a
// port that the system said went away since it was last listed is a new one when listed again,
// even when it came back under the same name before anyone looked. Any thread.
class PortLives {
  public:
    // The system says the port listed by this name went away: should it be listed again, it
    // is back.
    void departed(const std::string& name);
    // The system says the port listed by this name is going, though its lists may show it a
    // while longer: it is listed no more, and only registered() after this says it is back.
    void leaving(const std::string& name);
    // The system says a port of this name was registered.
    void registered(const std::string& name);
    // One listing of both lists, each name with its life. Names no longer listed are forgotten:
    // should they come back, they are new.
    DeviceListing assign(const std::vector<std::string>& inputs,
                         const std::vector<std::string>& outputs);
    // The life of the port of this name in the last listing; 0 when it was not in it.
    std::uint64_t lifeOf(const std::string& name) const;
    // True when the port of this name, which had `life` (0: not known) when it was opened, has
    // gone since: the system said so, or a later listing lacked it or gave it another life.
    bool departedSince(const std::string& name, std::uint64_t life) const;

  private:
    struct Life {
        std::uint64_t life = 0;
        bool departed = false;
        bool leaving = false;
    };
    std::vector<ListedDevice> assignList(const std::vector<std::string>& names,
                                         std::map<std::string, Life>& listed);

    mutable std::mutex mutex_;
    std::map<std::string, Life> lives_;
    std::uint64_t next_ = 1;
};

}  // namespace tessaline
