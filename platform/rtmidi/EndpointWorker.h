#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <semaphore>
#include <thread>

namespace tessaline {

// One thread that makes the calls into a MIDI library for one open port (or for one step that
// a deadline bounds, see RtMidiServiceOptions::deadline), so that a call that
// never returns (a library spinning on a buffer that a vanished server no longer empties, a
// close that waits for it) costs the caller a time-out instead of the program. stop() joins
// the thread, unless a call has got stuck in it.
//
// wake() may be called from any thread, also a real-time one: it does not block or allocate.
// Each wake makes the thread run the wake handler once (the input pump).
class EndpointWorker : public std::enable_shared_from_this<EndpointWorker> {
  public:
    static std::shared_ptr<EndpointWorker> start(std::function<void()> onWake = {});
    ~EndpointWorker();
    EndpointWorker(const EndpointWorker&) = delete;
    EndpointWorker& operator=(const EndpointWorker&) = delete;

    // Runs job on the worker thread. True when it finished within timeoutMs. False when it did
    // not: it may still run, or be running, and the worker takes no other job until it has
    // returned. False at once while the worker is busy so, or stopped.
    bool run(std::function<void()> job, int timeoutMs);
    void wake() noexcept { signal_.release(); }
    // Ends the thread after the job in hand, waiting at most timeoutMs, and joins it; a thread
    // still busy then is left behind (see stop() for why). True when the thread was joined.
    bool stop(int timeoutMs);
    // True while a job that overran its time-out has not returned, and for good once the
    // thread has been left behind.
    bool busy() const;

  private:
    explicit EndpointWorker(std::function<void()> onWake);
    void loop();

    std::function<void()> onWake_;
    std::counting_semaphore<> signal_{0};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    std::uint64_t queued_ = 0;    // jobs handed in
    std::uint64_t finished_ = 0;  // jobs done
    bool late_ = false;           // a job overran its time-out and has not returned yet
    bool stopping_ = false;
    bool ended_ = false;
    std::atomic<bool> leftBehind_{false};
    std::thread thread_;
};

}  // namespace tessaline
