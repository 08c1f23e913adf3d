#pragma once

#include <QEvent>
#include <cstdint>

namespace tessaline {

// A notice as it reaches a window: the event type is the message number itself, so a window
// tells notices apart by type alone.
class NoticeEvent final : public QEvent {
  public:
    NoticeEvent(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
        : QEvent(static_cast<QEvent::Type>(message)), wParam_(wParam), lParam_(lParam) {}

    unsigned message() const { return static_cast<unsigned>(type()); }
    std::uintptr_t wParam() const { return wParam_; }
    std::intptr_t lParam() const { return lParam_; }

    // Only numbers in Qt's user range can travel as event types.
    static bool carries(unsigned message) {
        return message >= static_cast<unsigned>(QEvent::User) &&
               message <= static_cast<unsigned>(QEvent::MaxUser);
    }

  private:
    std::uintptr_t wParam_;
    std::intptr_t lParam_;
};

}  // namespace tessaline
