#pragma once

#include <QMetaObject>
#include <mutex>

#include "platform/NoticePoster.h"

class QObject;

namespace tessaline {

// Posts notices as Qt events (see NoticeEvent) from any thread. Notices without a target go to
// the main window; with no main window, or no application object any more, they are dropped,
// so a device closing its ports at process exit posts into nothing.
class QtPoster final : public NoticePoster {
  public:
    QtPoster() = default;
    ~QtPoster() override;
    QtPoster(const QtPoster&) = delete;
    QtPoster& operator=(const QtPoster&) = delete;

    // A target, when given, is a QObject* that the caller keeps alive until its events have
    // been handled.
    void post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
              WindowTarget target) override;

    // User-interface thread. The window is forgotten again when it is destroyed.
    void setMainWindow(QObject* window);
    QObject* mainWindow() const;

  private:
    mutable std::mutex mutex_;
    QObject* mainWindow_ = nullptr;
    QMetaObject::Connection destroyedConnection_;
};

}  // namespace tessaline
