// The watch's pause on Windows: the console's control handler (Ctrl-C, Ctrl-Break, the window
// closing, the user logging off) ends it; a wake-up or a second brings the next look.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/WatchPause.h"

namespace tessaline {

namespace {

class ConsoleWatchPause;

// The console calls its handler on a thread of its own, with nothing to say whose it is.
std::atomic<ConsoleWatchPause*> watchingPause{nullptr};

class ConsoleWatchPause final : public WatchPause {
  public:
    explicit ConsoleWatchPause(bool watch) : watch_(watch) {
        if (watch_) {
            watchingPause.store(this);
            SetConsoleCtrlHandler(&ConsoleWatchPause::onControl, TRUE);
        }
    }

    ~ConsoleWatchPause() override {
        if (watch_) {
            SetConsoleCtrlHandler(&ConsoleWatchPause::onControl, FALSE);
            watchingPause.store(nullptr);
        }
    }

    bool waitForNextLook(bool announced) override {
        std::unique_lock guard(lock_);
        const auto due = [this] { return woken_ || stopped_; };
        if (announced) {
            changed_.wait(guard, due);
        } else {
            changed_.wait_for(guard, std::chrono::seconds(1), due);
        }
        woken_ = false;
        return !stopped_;
    }

    void wake() override {
        {
            std::lock_guard guard(lock_);
            woken_ = true;
        }
        changed_.notify_all();
    }

  private:
    static BOOL WINAPI onControl(DWORD /*event*/) {
        ConsoleWatchPause* pause = watchingPause.load();
        if (pause == nullptr) {
            return FALSE;
        }
        {
            std::lock_guard guard(pause->lock_);
            pause->stopped_ = true;
        }
        pause->changed_.notify_all();
        return TRUE;
    }

    const bool watch_;
    std::mutex lock_;
    std::condition_variable changed_;
    bool woken_ = false;
    bool stopped_ = false;
};

}  // namespace

std::unique_ptr<WatchPause> makeWatchPause(bool watch) {
    return std::make_unique<ConsoleWatchPause>(watch);
}

}  // namespace tessaline
