#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/NullServices.h"

namespace tessaline::test {

struct RecordedBox {
    std::string text;
    std::string caption;
    BoxIcon icon = BoxIcon::None;
    bool handedOver = false;  // true when asked for from another thread
};

// Records every box instead of showing it.
class BoxRecorder final : public MessageBoxes {
  public:
    void show(const std::string& text, const std::string& caption, BoxIcon icon) override {
        std::lock_guard guard(mutex_);
        boxes_.push_back({text, caption, icon, false});
    }
    void showLater(const std::string& text, const std::string& caption, BoxIcon icon) override {
        std::lock_guard guard(mutex_);
        boxes_.push_back({text, caption, icon, true});
    }
    std::vector<RecordedBox> boxes() const {
        std::lock_guard guard(mutex_);
        return boxes_;
    }
    std::size_t count() const {
        std::lock_guard guard(mutex_);
        return boxes_.size();
    }
    void clear() {
        std::lock_guard guard(mutex_);
        boxes_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<RecordedBox> boxes_;
};

// Records every wait and returns at once; its time moves only by the waits and by advanceUs.
class RecordingClock final : public Clock {
  public:
    void sleepMs(int milliseconds) override {
        std::lock_guard guard(mutex_);
        waits_.push_back(milliseconds);
        nowUs_ += std::int64_t{milliseconds} * 1000;
    }
    // Pacing's waits move the time but are not among waits().
    void sleepUs(std::int64_t microseconds) override {
        std::lock_guard guard(mutex_);
        nowUs_ += microseconds > 0 ? microseconds : 0;
    }
    std::int64_t nowUs() override {
        std::lock_guard guard(mutex_);
        return nowUs_;
    }
    // Time that passes without a wait: work, or a thread that woke up late.
    void advanceUs(std::int64_t microseconds) {
        std::lock_guard guard(mutex_);
        nowUs_ += microseconds;
    }
    std::vector<int> waits() const {
        std::lock_guard guard(mutex_);
        return waits_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<int> waits_;
    std::int64_t nowUs_ = 0;
};

}  // namespace tessaline::test
