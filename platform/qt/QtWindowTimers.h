#pragma once

#include <map>
#include <memory>

#include "platform/qt/WindowTimers.h"

class QTimer;

namespace tessaline {

// Window timers on QTimer; they fire from the event loop of the thread that made them.
class QtWindowTimers final : public WindowTimers {
  public:
    QtWindowTimers();
    ~QtWindowTimers() override;

    void setHandler(Handler handler) override;
    void start(int id, int milliseconds) override;
    void stop(int id) override;
    bool isActive(int id) const override;

  private:
    Handler handler_;
    std::map<int, std::unique_ptr<QTimer>> timers_;
};

}  // namespace tessaline
