#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/Profile.h"

namespace tessaline::screenshot {

// Settings that live only as long as the tool, so taking a picture never touches the user's.
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

  private:
    std::mutex mutex_;
    std::map<std::string, int> values_;
};

}  // namespace tessaline::screenshot
