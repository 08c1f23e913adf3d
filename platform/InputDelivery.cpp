#include "platform/InputDelivery.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace tessaline {

InputDelivery::InputDelivery(MidiInHandle handle, MidiInCallback callback, std::uintptr_t instance,
                             std::size_t maxPendingMessages)
    : handle_(handle), callback_(callback), instance_(instance), maxPending_(maxPendingMessages) {
    thread_ = std::thread([this] { run(); });
}

InputDelivery::~InputDelivery() {
    shutdown();
}

MidiResult InputDelivery::prepare(MidiHeader* header) {
    if (header == nullptr || header->data == nullptr || header->bufferLength == 0) {
        return midiresult::InvalidParam;
    }
    std::lock_guard guard(mutex_);
    header->flags |= MHDR_PREPARED;
    return midiresult::Ok;
}

MidiResult InputDelivery::unprepare(MidiHeader* header) {
    if (header == nullptr) {
        return midiresult::InvalidParam;
    }
    std::lock_guard guard(mutex_);
    if ((header->flags & MHDR_INQUEUE) != 0) {
        return midiresult::StillPlaying;
    }
    header->flags &= ~MHDR_PREPARED;
    return midiresult::Ok;
}

MidiResult InputDelivery::addBuffer(MidiHeader* header) {
    if (header == nullptr) {
        return midiresult::InvalidParam;
    }
    std::lock_guard guard(mutex_);
    if ((header->flags & MHDR_PREPARED) == 0) {
        return midiresult::Unprepared;
    }
    if ((header->flags & MHDR_INQUEUE) != 0) {
        return midiresult::StillPlaying;
    }
    header->flags = (header->flags | MHDR_INQUEUE) & ~MHDR_DONE;
    header->bytesRecorded = 0;
    buffers_.push_back(header);
    wake_.notify_all();
    return midiresult::Ok;
}

MidiResult InputDelivery::start() {
    std::lock_guard guard(mutex_);
    started_ = true;
    wake_.notify_all();
    return midiresult::Ok;
}

MidiResult InputDelivery::stop() {
    std::lock_guard guard(mutex_);
    started_ = false;
    return midiresult::Ok;
}

MidiResult InputDelivery::reset() {
    std::unique_lock guard(mutex_);
    started_ = false;
    pending_.clear();
    errors_.clear();
    pendingOffset_ = 0;
    const bool fromCallback = std::this_thread::get_id() == thread_.get_id();
    if (!fromCallback) {
        // A delivery still in its callback may queue its buffer again; let it finish, so that
        // buffer comes back empty with the rest instead of staying queued on a reset input.
        idle_.wait(guard, [this] { return !delivering_ || stopping_; });
    }
    while (!buffers_.empty()) {
        MidiHeader* header = buffers_.front();
        buffers_.pop_front();
        header->bytesRecorded = 0;
        returned_.push_back(header);
    }
    if (fromCallback) {
        // Called from inside the callback: return the buffers right here.
        while (!returned_.empty()) {
            MidiHeader* header = returned_.front();
            returned_.pop_front();
            deliver(guard, header);
        }
        return midiresult::Ok;
    }
    wake_.notify_all();
    idle_.wait(guard, [this] { return (returned_.empty() && !delivering_) || stopping_; });
    return midiresult::Ok;
}

void InputDelivery::shutdown() {
    {
        std::lock_guard guard(mutex_);
        if (stopping_ && !thread_.joinable()) {
            return;
        }
        stopping_ = true;
        wake_.notify_all();
        idle_.notify_all();
    }
    if (thread_.joinable() && std::this_thread::get_id() != thread_.get_id()) {
        thread_.join();
    }
}

bool InputDelivery::receive(const unsigned char* data, std::size_t length) {
    if (data == nullptr || length == 0) {
        return false;
    }
    std::lock_guard guard(mutex_);
    if (!started_ || stopping_ || pending_.size() >= maxPending_) {
        return false;
    }
    pending_.emplace_back(data, data + length);
    wake_.notify_all();
    return true;
}

void InputDelivery::reportError(MidiResult code) {
    std::lock_guard guard(mutex_);
    // A flood of errors is one error: the port shows one box for it.
    if (!started_ || stopping_ || (!errors_.empty() && errors_.back() == code)) {
        return;
    }
    errors_.push_back(code);
    wake_.notify_all();
}

bool InputDelivery::waitIdle(int timeoutMs) {
    std::unique_lock guard(mutex_);
    return idle_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] {
        return stopping_ || (returned_.empty() && !delivering_ && (errors_.empty() || !started_) &&
                             (pending_.empty() || buffers_.empty()));
    });
}

bool InputDelivery::started() const {
    std::lock_guard guard(mutex_);
    return started_;
}

std::size_t InputDelivery::queuedBuffers() const {
    std::lock_guard guard(mutex_);
    return buffers_.size();
}

void InputDelivery::deliver(std::unique_lock<std::mutex>& guard, MidiHeader* header) {
    header->flags = (header->flags | MHDR_DONE) & ~MHDR_INQUEUE;
    delivering_ = true;
    guard.unlock();
    callback_(handle_, MIM_LONGDATA, instance_, reinterpret_cast<std::uintptr_t>(header), 0);
    guard.lock();
    delivering_ = false;
}

void InputDelivery::run() {
    std::unique_lock guard(mutex_);
    // An error goes out only between two messages: one that comes while a long message is half
    // delivered waits for the rest of it, and so for the buffers that rest needs.
    const auto errorDue = [this] { return started_ && !errors_.empty() && pendingOffset_ == 0; };
    const auto messageDue = [this] { return started_ && !pending_.empty() && !buffers_.empty(); };
    for (;;) {
        wake_.wait(guard,
                   [&] { return stopping_ || !returned_.empty() || errorDue() || messageDue(); });
        if (stopping_) {
            break;
        }
        if (errorDue()) {
            const MidiResult code = errors_.front();
            errors_.pop_front();
            delivering_ = true;
            guard.unlock();
            callback_(handle_, MIM_ERROR, instance_, code, 0);
            guard.lock();
            delivering_ = false;
        } else if (!returned_.empty()) {
            MidiHeader* header = returned_.front();
            returned_.pop_front();
            deliver(guard, header);
        } else if (messageDue()) {
            MidiHeader* header = buffers_.front();
            buffers_.pop_front();
            const std::vector<unsigned char>& message = pending_.front();
            const std::size_t left = message.size() - pendingOffset_;
            const std::size_t count = std::min<std::size_t>(left, header->bufferLength);
            std::memcpy(header->data, message.data() + pendingOffset_, count);
            header->bytesRecorded = static_cast<unsigned>(count);
            pendingOffset_ += count;
            if (pendingOffset_ == message.size()) {
                pending_.pop_front();
                pendingOffset_ = 0;
            }
            deliver(guard, header);
        }
        idle_.notify_all();
    }
    idle_.notify_all();
}

}  // namespace tessaline
