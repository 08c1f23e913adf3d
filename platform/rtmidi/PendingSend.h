#pragma once

#include <atomic>

namespace tessaline {

// One message between a caller that waits for its send a bounded time and a backend that may
// wait for room in a full queue. Whoever moves first decides: the backend takes the message
// just before it hands it on, or the caller, out of time, withdraws it. A withdrawn message is
// never handed on, so the caller can truthfully report it as not sent.
class PendingSend {
  public:
    // Backend: the message is about to be handed on. False once the caller has withdrawn it.
    bool take() noexcept { return move(kOpen, kTaken); }
    // Backend: the attempt handed on nothing (the queue refused the message whole), so the
    // caller may still withdraw it.
    void putBack() noexcept { move(kTaken, kOpen); }
    // Caller: true when the message will never be handed on; false when the backend is handing
    // it on, or has.
    bool withdraw() noexcept { return move(kOpen, kWithdrawn) || withdrawn(); }
    bool withdrawn() const noexcept { return state_.load() == kWithdrawn; }

  private:
    static constexpr int kOpen = 0;
    static constexpr int kTaken = 1;
    static constexpr int kWithdrawn = 2;

    bool move(int from, int to) noexcept { return state_.compare_exchange_strong(from, to); }

    std::atomic<int> state_{kOpen};
};

}  // namespace tessaline
