#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/Profile.h"

namespace tessaline::test {

// Settings store in memory.
class MemoryProfile final : public Profile {
  public:
    int readInt(const std::string& section, const std::string& key, int defaultValue) override {
        std::lock_guard guard(mutex_);
        auto it = values_.find(section + "\\" + key);
        return it == values_.end() ? defaultValue : it->second;
    }
    void writeInt(const std::string& section, const std::string& key, int value) override {
        std::lock_guard guard(mutex_);
        values_[section + "\\" + key] = value;
        writes_.push_back(key);
    }
    std::string readText(const std::string& section, const std::string& key,
                         const std::string& defaultValue) override {
        std::lock_guard guard(mutex_);
        auto it = texts_.find(section + "\\" + key);
        return it == texts_.end() ? defaultValue : it->second;
    }
    void writeText(const std::string& section, const std::string& key,
                   const std::string& value) override {
        std::lock_guard guard(mutex_);
        texts_[section + "\\" + key] = value;
        writes_.push_back(key);
    }
    bool has(const std::string& key, const std::string& section = "") const {
        std::lock_guard guard(mutex_);
        return values_.count(section + "\\" + key) != 0;
    }
    std::vector<std::string> writes() const {
        std::lock_guard guard(mutex_);
        return writes_;
    }

  private:
    mutable std::mutex mutex_;
    std::map<std::string, int> values_;
    std::map<std::string, std::string> texts_;
    std::vector<std::string> writes_;
};

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
