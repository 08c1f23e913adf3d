#pragma once

#include <functional>

namespace tessaline {

// One single-shot timer per id for one window; a firing timer calls the window's handler with
// its id. Starting an id that is already running starts it again from zero.
class WindowTimers {
  public:
    using Handler = std::function<void(int id)>;

    virtual ~WindowTimers() = default;
    virtual void setHandler(Handler handler) = 0;
    virtual void start(int id, int milliseconds) = 0;
    virtual void stop(int id) = 0;
    virtual bool isActive(int id) const = 0;
};

}  // namespace tessaline
