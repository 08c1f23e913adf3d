#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/NoticePoster.h"
#include "platform/Profile.h"

namespace tessaline {

// Services that do nothing, for benchmarks and fuzzing that measure or probe only the work
// under test.
class NullProfile final : public Profile {
  public:
    int readInt(const std::string&, const std::string&, int value) override { return value; }
    void writeInt(const std::string&, const std::string&, int) override {}
};

// Settings that live only as long as the process, so a tool never touches the user's.
class InMemoryProfile final : public Profile {
  public:
    int readInt(const std::string& section, const std::string& key, int defaultValue) override {
        std::lock_guard guard(mutex_);
        auto it = values_.find(section + '/' + key);
        return it == values_.end() ? defaultValue : it->second;
    }
    void writeInt(const std::string& section, const std::string& key, int value) override {
        std::lock_guard guard(mutex_);
        values_[section + '/' + key] = value;
    }
    std::string readText(const std::string& section, const std::string& key,
                         const std::string& defaultValue) override {
        std::lock_guard guard(mutex_);
        auto it = texts_.find(section + '/' + key);
        return it == texts_.end() ? defaultValue : it->second;
    }
    void writeText(const std::string& section, const std::string& key,
                   const std::string& value) override {
        std::lock_guard guard(mutex_);
        texts_[section + '/' + key] = value;
    }

  private:
    std::mutex mutex_;
    std::map<std::string, int> values_;
    std::map<std::string, std::string> texts_;
};

class NullBoxes final : public MessageBoxes {
  public:
    void show(const std::string&, const std::string&, BoxIcon) override {}
    void showLater(const std::string&, const std::string&, BoxIcon) override {}
};

class NullPoster final : public NoticePoster {
  public:
    void post(unsigned, std::uintptr_t, std::intptr_t, WindowTarget) override {}
};

// Time stands still: no wait ever takes any.
class NullClock final : public Clock {
  public:
    void sleepMs(int) override {}
    void sleepUs(std::int64_t) override {}
    std::int64_t nowUs() override { return 0; }
};

}  // namespace tessaline
