#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/NoticePoster.h"

namespace tessaline {

struct Notice {
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    WindowTarget target = nullptr;
};

// A main window stand-in: keeps posted notices in order until someone takes them. Used by the
// headless front end and by tests. Thread-safe; post never blocks on a reader.
class NoticeQueue final : public NoticePoster {
  public:
    void post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
              WindowTarget target) override;

    // The oldest notice, waiting up to timeoutMs for one to arrive.
    std::optional<Notice> take(int timeoutMs);
    // Takes notices in order until one with this message arrives (returned) or the time runs
    // out; the others taken on the way go to onOther when given.
    std::optional<Notice> waitFor(unsigned message, int timeoutMs,
                                  const std::function<void(const Notice&)>& onOther = {});
    std::vector<Notice> drain();
    std::vector<Notice> snapshot() const;
    std::size_t count(unsigned message) const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Notice> notices_;
};

}  // namespace tessaline
