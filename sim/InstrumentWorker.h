#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "sim/VirtualInstrument.h"

namespace tessaline {

// Gives one virtual instrument a thread of its own: messages sent to it wait in an inbox and
// are handled one at a time, in order, as the instrument's own processor would. A frozen
// instrument is woken when its freeze is over.
class InstrumentWorker {
  public:
    explicit InstrumentWorker(VirtualInstrument& instrument, std::size_t maxPending = 65536);
    ~InstrumentWorker();
    InstrumentWorker(const InstrumentWorker&) = delete;
    InstrumentWorker& operator=(const InstrumentWorker&) = delete;

    // Queues one message; false when it was dropped (inbox full, or stopped).
    bool post(std::vector<unsigned char> message);
    // Waits until the inbox is empty and nothing is being handled; false on time-out.
    bool waitIdle(int timeoutMs);
    // Ends the thread after the message in hand; later posts are dropped.
    void stop();

  private:
    void run();

    VirtualInstrument& instrument_;
    const std::size_t maxPending_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::vector<unsigned char>> inbox_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tessaline
