#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/MidiService.h"

namespace tessaline {

// The input side of one open MIDI input, as every service here implements it: queued buffers,
// start/stop/reset, and one delivery thread of its own that fills the first queued buffer with
// the next received System Exclusive message (at most the buffer's length; a longer message
// continues in the next buffer) and returns it through the callback with MIM_LONGDATA.
// Reset returns every queued buffer with 0 bytes recorded. Input that arrives while the input
// is not started is dropped, as a stopped port would.
class InputDelivery {
  public:
    InputDelivery(MidiInHandle handle, MidiInCallback callback, std::uintptr_t instance,
                  std::size_t maxPendingMessages = 4096);
    ~InputDelivery();
    InputDelivery(const InputDelivery&) = delete;
    InputDelivery& operator=(const InputDelivery&) = delete;

    MidiResult prepare(MidiHeader* header);
    MidiResult unprepare(MidiHeader* header);
    MidiResult addBuffer(MidiHeader* header);
    MidiResult start();
    MidiResult stop();
    // Stops input, drops what was not yet delivered and returns every queued buffer empty,
    // also one that a delivery still running queues again. Returns once those buffers have
    // been through the callback.
    MidiResult reset();
    // Ends the delivery thread; called by the service's close.
    void shutdown();

    // A received message (any thread). Copies the bytes; returns false when it was dropped.
    bool receive(const unsigned char* data, std::size_t length);
    // Something went wrong with the input (any thread): the callback gets MIM_ERROR with the
    // code, in order with the messages, while the input is started.
    void reportError(MidiResult code);

    // Waits until nothing is pending or being delivered; for tests and orderly shutdown.
    // Returns false on time-out.
    bool waitIdle(int timeoutMs);

    bool started() const;
    std::size_t queuedBuffers() const;

  private:
    void run();
    void deliver(std::unique_lock<std::mutex>& guard, MidiHeader* header);

    MidiInHandle handle_;
    MidiInCallback callback_;
    std::uintptr_t instance_;
    std::size_t maxPending_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<MidiHeader*> buffers_;
    std::deque<std::vector<unsigned char>> pending_;
    std::deque<MidiResult> errors_;     // go out before the pending message that follows them
    std::size_t pendingOffset_ = 0;     // bytes of pending_.front() already delivered
    std::deque<MidiHeader*> returned_;  // emptied by reset, still to go through the callback
    bool started_ = false;
    bool stopping_ = false;
    bool delivering_ = false;
    std::thread thread_;
};

}  // namespace tessaline
