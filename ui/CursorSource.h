#pragma once

#include <QCursor>
#include <optional>

namespace tessaline {

// Where the Execute button's hand cursor comes from; a source may have none.
class CursorSource {
  public:
    virtual ~CursorSource() = default;
    virtual std::optional<QCursor> handCursor() = 0;
};

// The platform's own pointing-hand cursor.
class SystemCursorSource final : public CursorSource {
  public:
    std::optional<QCursor> handCursor() override { return QCursor(Qt::PointingHandCursor); }
};

}  // namespace tessaline
