#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "platform/MidiService.h"
#include "platform/rtmidi/PortLives.h"

struct _snd_seq;

namespace tessaline {

// Lists the ALSA sequencer's ports and listens to its announcements (clients and ports that
// start and exit). A port that exits is known gone at once, so that one that comes back within
// a moment, under the same numbers or others, is a new device at the next look; and whoever
// wants to hear of changes is called as they happen instead of looking every second.
class AlsaPortWatch {
  public:
    // Null when there is no sequencer, or it refuses a client that listens to announcements.
    static std::unique_ptr<AlsaPortWatch> open(const std::string& clientName);
    ~AlsaPortWatch();
    AlsaPortWatch(const AlsaPortWatch&) = delete;
    AlsaPortWatch& operator=(const AlsaPortWatch&) = delete;

    // Both lists from one look, as RtMidi would name the ports, leaving out those for which
    // `own` is true (our own clients').
    DeviceListing list(const std::function<bool(const std::string&)>& own);
    // Called after each batch of announcements, on the watch's thread or on that of a listing
    // that took them; empty stops the calls.
    void setChangeHandler(std::function<void()> changed);
    const PortLives& lives() const { return lives_; }

  private:
    explicit AlsaPortWatch(_snd_seq* seq) : seq_(seq) {}
    void watch();
    void notify();
    // Reads every announcement waiting; seqMutex_ held. True when there was any.
    bool takeAnnouncements();
    void enumerate(std::vector<std::string>& inputs, std::vector<std::string>& outputs,
                   const std::function<bool(const std::string&)>& own);

    _snd_seq* seq_;
    std::mutex seqMutex_;  // the sequencer handle, and what the last listing saw
    // Who stood at each address (client, port) in the last listing, to name what exits.
    std::map<std::pair<int, int>, std::string> listed_;
    PortLives lives_;
    std::mutex handlerMutex_;
    std::function<void()> changed_;
    int stopPipe_[2] = {-1, -1};
    std::thread watcher_;
};

}  // namespace tessaline
