#include "platform/NoticeQueue.h"

#include <algorithm>
#include <chrono>

namespace tessaline {

void NoticeQueue::post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                       WindowTarget target) {
    {
        std::lock_guard guard(mutex_);
        notices_.push_back(Notice{message, wParam, lParam, target});
    }
    arrived_.notify_all();
}

std::optional<Notice> NoticeQueue::take(int timeoutMs) {
    std::unique_lock guard(mutex_);
    if (!arrived_.wait_for(guard, std::chrono::milliseconds(std::max(0, timeoutMs)),
                           [this] { return !notices_.empty(); })) {
        return std::nullopt;
    }
    Notice notice = notices_.front();
    notices_.pop_front();
    return notice;
}

std::optional<Notice> NoticeQueue::waitFor(unsigned message, int timeoutMs,
                                           const std::function<void(const Notice&)>& onOther) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        std::optional<Notice> notice = take(static_cast<int>(std::max<long long>(0, left.count())));
        if (!notice) {
            return std::nullopt;
        }
        if (notice->message == message) {
            return notice;
        }
        if (onOther) {
            onOther(*notice);
        }
    }
}

std::vector<Notice> NoticeQueue::drain() {
    std::lock_guard guard(mutex_);
    std::vector<Notice> all(notices_.begin(), notices_.end());
    notices_.clear();
    return all;
}

std::vector<Notice> NoticeQueue::snapshot() const {
    std::lock_guard guard(mutex_);
    return {notices_.begin(), notices_.end()};
}

std::size_t NoticeQueue::count(unsigned message) const {
    std::lock_guard guard(mutex_);
    return static_cast<std::size_t>(
        std::count_if(notices_.begin(), notices_.end(),
                      [message](const Notice& n) { return n.message == message; }));
}

}  // namespace tessaline
