// The watch's pause on POSIX: the stop signals and a wake-up signal are held back in every
// thread, and the pause alone takes them, with sigtimedwait.
#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <ctime>

#include "platform/WatchPause.h"

namespace tessaline {

namespace {

constexpr int kWakeSignal = SIGUSR1;

class SignalWatchPause final : public WatchPause {
  public:
    explicit SignalWatchPause(bool watch) {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGINT);
        sigaddset(&signals_, SIGTERM);
        sigaddset(&signals_, kWakeSignal);
        if (watch) {
            pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
        }
    }

    bool waitForNextLook(bool announced) override {
        const timespec second{1, 0};
        const int taken = sigtimedwait(&signals_, nullptr, announced ? nullptr : &second);
        // Another signal that wakes the wait early only brings the look on.
        return taken < 0 || taken == kWakeSignal;
    }

    void wake() override { kill(getpid(), kWakeSignal); }

  private:
    sigset_t signals_{};
};

}  // namespace

std::unique_ptr<WatchPause> makeWatchPause(bool watch) {
    return std::make_unique<SignalWatchPause>(watch);
}

}  // namespace tessaline
