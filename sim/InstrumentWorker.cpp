#include "sim/InstrumentWorker.h"

#include <chrono>
#include <optional>

namespace tessaline {

InstrumentWorker::InstrumentWorker(VirtualInstrument& instrument, std::size_t maxPending)
    : instrument_(instrument), maxPending_(maxPending) {
    thread_ = std::thread([this] { run(); });
}

InstrumentWorker::~InstrumentWorker() {
    stop();
}

bool InstrumentWorker::post(std::vector<unsigned char> message) {
    std::lock_guard guard(mutex_);
    if (stopping_ || inbox_.size() >= maxPending_) {
        return false;
    }
    inbox_.push_back(std::move(message));
    wake_.notify_one();
    return true;
}

bool InstrumentWorker::waitIdle(int timeoutMs) {
    std::unique_lock guard(mutex_);
    return idle_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                          [this] { return stopping_ || (inbox_.empty() && !busy_); });
}

void InstrumentWorker::stop() {
    {
        std::lock_guard guard(mutex_);
        stopping_ = true;
        inbox_.clear();
        wake_.notify_all();
        idle_.notify_all();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

void InstrumentWorker::run() {
    std::unique_lock guard(mutex_);
    int frozenMs = 0;
    auto ready = [this] { return stopping_ || !inbox_.empty(); };
    for (;;) {
        // A frozen instrument resumes by itself once its time is over, message or not.
        if (frozenMs > 0) {
            wake_.wait_for(guard, std::chrono::milliseconds(frozenMs), ready);
        } else {
            wake_.wait(guard, ready);
        }
        if (stopping_) {
            break;
        }
        std::optional<std::vector<unsigned char>> message;
        if (!inbox_.empty()) {
            message = std::move(inbox_.front());
            inbox_.pop_front();
        }
        busy_ = true;
        guard.unlock();
        if (message) {
            instrument_.receive(*message);
        }
        frozenMs = instrument_.thawIfDue();
        guard.lock();
        busy_ = false;
        idle_.notify_all();
    }
    idle_.notify_all();
}

}  // namespace tessaline
