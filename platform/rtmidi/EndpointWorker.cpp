#include "platform/rtmidi/EndpointWorker.h"

#include <chrono>
#include <utility>

namespace tessaline {

std::shared_ptr<EndpointWorker> EndpointWorker::start(std::function<void()> onWake) {
    std::shared_ptr<EndpointWorker> worker(new EndpointWorker(std::move(onWake)));
    // The thread owns the worker too, so that a thread left behind never outlives it.
    worker->thread_ = std::thread([self = worker] { self->loop(); });
    return worker;
}

EndpointWorker::EndpointWorker(std::function<void()> onWake) : onWake_(std::move(onWake)) {}

// The thread holds a reference of its own until it ends, so the last one goes only after stop()
// has joined the thread or left it behind: the thread is never joinable here.
EndpointWorker::~EndpointWorker() = default;

bool EndpointWorker::run(std::function<void()> job, int timeoutMs) {
    std::unique_lock guard(mutex_);
    if (stopping_ || late_) {
        return false;
    }
    jobs_.push_back(std::move(job));
    const std::uint64_t ticket = ++queued_;
    guard.unlock();
    signal_.release();
    guard.lock();
    if (changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                          [&] { return finished_ >= ticket; })) {
        return true;
    }
    // Nothing may overtake a job its caller gave up on: the port heals once it has returned.
    late_ = true;
    return false;
}

bool EndpointWorker::busy() const {
    std::lock_guard guard(mutex_);
    return late_ || leftBehind_.load();
}

bool EndpointWorker::stop(int timeoutMs) {
    {
        std::unique_lock guard(mutex_);
        if (!thread_.joinable()) {
            return ended_;
        }
        stopping_ = true;
        guard.unlock();
        signal_.release();
        guard.lock();
        if (!changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                               [&] { return ended_; })) {
            // The one place where a thread of the program may outlive its owner, and main(): a
            // call into a MIDI library that never returns can be neither joined nor interrupted.
            // The thread keeps itself and what its jobs hold alive, touches nothing else, and
            // ends on its own if the call ever returns. A port leaves at most one behind, and
            // only once its time-out has passed; so does, under a program's deadline, the start,
            // a listing or the release of a MIDI system (RtMidiService::withinDeadline).
            leftBehind_.store(true);
            thread_.detach();
            return false;
        }
    }
    thread_.join();
    onWake_ = nullptr;
    return true;
}

void EndpointWorker::loop() {
    for (;;) {
        signal_.acquire();
        std::unique_lock guard(mutex_);
        while (!jobs_.empty()) {
            std::function<void()> job = std::move(jobs_.front());
            jobs_.pop_front();
            guard.unlock();
            job();
            job = nullptr;
            guard.lock();
            ++finished_;
            late_ = false;
            changed_.notify_all();
        }
        if (stopping_) {
            ended_ = true;
            changed_.notify_all();
            guard.unlock();
            break;
        }
        guard.unlock();
        if (onWake_) {
            onWake_();
        }
    }
    // A thread left behind drops what its wake handler holds itself; a joined one leaves that
    // to stop(), which runs after the join.
    if (leftBehind_.load()) {
        onWake_ = nullptr;
    }
}

}  // namespace tessaline
