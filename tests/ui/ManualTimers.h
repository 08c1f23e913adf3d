#pragma once

#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "platform/qt/WindowTimers.h"

namespace tessaline::test {

// Window timers that fire only when the test says so.
class ManualTimers final : public WindowTimers {
  public:
    void setHandler(Handler handler) override { handler_ = std::move(handler); }
    void start(int id, int milliseconds) override {
        starts_.emplace_back(id, milliseconds);
        active_.insert(id);
        if (onStart) {
            onStart(id);
        }
    }
    void stop(int id) override { active_.erase(id); }
    bool isActive(int id) const override { return active_.count(id) != 0; }

    // Fires a running timer as its time would; false when it is not running.
    bool fire(int id) {
        if (!isActive(id) || !handler_) {
            return false;
        }
        handler_(id);
        return true;
    }
    // Every start, in order: (id, milliseconds).
    const std::vector<std::pair<int, int>>& starts() const { return starts_; }
    // Called at every start; a test may look at what has happened so far.
    std::function<void(int)> onStart;

  private:
    Handler handler_;
    std::set<int> active_;
    std::vector<std::pair<int, int>> starts_;
};

}  // namespace tessaline::test
