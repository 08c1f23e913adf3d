#include "ui/about/HyperLink.h"

#include <QCursor>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "platform/MessageBoxes.h"
#include "platform/Shell.h"
#include "ui/CursorSource.h"
#include "ui/about/LinkTarget.h"

namespace tessaline {

namespace {

std::optional<QCursor>& handCursorSlot() {
    static std::optional<QCursor> cursor;
    return cursor;
}

QColor toColour(const LinkRgb& rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

}  // namespace

HyperLink::HyperLink(const LinkServices& services) : services_(services) {
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);  // no tab stop: a link takes the focus only by a click
    setMouseTracking(true);
}

HyperLink::~HyperLink() {
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
}

void HyperLink::attach(QLabel* control) {
    if (control != nullptr && control != this) {
        takePlaceOf(control);
    }
    attached_ = true;

    if (target_.empty()) {
        target_ = text().toStdString();
    }
    target_ = normaliseLinkTarget(target_);
    if (text().isEmpty()) {
        setText(QString::fromStdString(target_));
    }
    QFont withUnderline = font();
    withUnderline.setUnderline((flags_ & LinkUnderline) != 0);
    linkFont_ = withUnderline;
    setFont(linkFont_);
    fitLinkToText();
    if (!(flags_ & LinkNoHandCursor)) {
        loadLinkCursor(services_.cursors);
    }
    showHandCursor();
    setToolTip(QString::fromStdString(target_));
}

void HyperLink::takePlaceOf(QLabel* control) {
    setParent(control->parentWidget());
    setObjectName(control->objectName());
    for (const QByteArray& name : control->dynamicPropertyNames()) {
        setProperty(name.constData(), control->property(name.constData()));
    }
    setGeometry(control->geometry());
    setFont(control->font());
    setAlignment(control->alignment());
    setFrameStyle(control->frameStyle());
    setText(control->text());
    stackUnder(control);
    const bool visible = !control->isHidden();
    delete control;
    setVisible(visible);
}

// The classic control hid itself around these changes so that no half-changed state was
// painted; disabling updates does the same here without moving the keyboard focus away.
void HyperLink::setLinkTarget(const std::string& text) {
    target_ = normaliseLinkTarget(text);
    if (!attached_) {
        return;
    }
    setUpdatesEnabled(false);
    fitLinkToText();
    setToolTip(QString::fromStdString(target_));
    setUpdatesEnabled(true);
}

void HyperLink::applyLinkFont(const QFont& font) {
    setUpdatesEnabled(false);
    linkFont_ = font;
    setFont(linkFont_);
    fitLinkToText();
    setUpdatesEnabled(true);
}

bool HyperLink::changeLinkFlags(std::uint32_t remove, std::uint32_t add, bool apply) {
    if ((remove & add) != 0) {
        return false;
    }
    flags_ = (flags_ & ~remove) | add;
    if (!apply || !attached_) {
        return true;
    }
    if (((remove | add) & LinkUnderline) != 0) {
        QFont rebuilt = font();
        rebuilt.setUnderline((flags_ & LinkUnderline) != 0);
        applyLinkFont(rebuilt);
    }
    if ((add & LinkFitToText) != 0) {
        fitLinkToText();
    }
    if ((remove & LinkHoverColour) != 0) {
        update();
    }
    return true;
}

void HyperLink::fitLinkToText() {
    if (!(flags_ & LinkFitToText)) {
        return;
    }
    const QRect window = geometry();
    const QRect client = contentsRect();
    const int borderWidth = window.width() - client.width();
    const int borderHeight = window.height() - client.height();

    const QFontMetrics metrics(linkFont_);
    const int textWidth = metrics.horizontalAdvance(text());
    const int textHeight = metrics.height();

    // Edges as left/top inclusive, right/bottom exclusive.
    int left = window.x();
    int top = window.y();
    int right = left + window.width();
    int bottom = top + window.height();
    const Qt::Alignment align = alignment();
    if (align & Qt::AlignVCenter) {
        const int shrink = (window.height() - textHeight) / 2;
        top += shrink;
        bottom -= shrink;
    } else {
        bottom = top + textHeight;
    }
    if (align & Qt::AlignHCenter) {
        const int shrink = (window.width() - textWidth) / 2;
        left += shrink;
        right -= shrink;
    } else if (align & Qt::AlignRight) {
        left = right - textWidth;
    } else {
        right = left + textWidth;
    }
    setGeometry(left, top, right - left + borderWidth, bottom - top + borderHeight);
    update();
}

void HyperLink::followLink() {
    const int code = openLinkTarget(target_, SW_SHOW);
    if (code <= 32) {
        services_.shell.beep();
        // A box is about to take the mouse; the link must not keep it captured meanwhile.
        if (QWidget::mouseGrabber() == this) {
            releaseMouse();
        }
        reportLinkError(code);
    } else {
        visited_ = 1;
        update();
    }
}

int HyperLink::openLinkTarget(const std::string& target, int show) {
    return tessaline::openLinkTarget(services_.shell, target, show);
}

int HyperLink::readClassesRootValue(const std::string& key, std::string& value) {
    return tessaline::readClassesRootValue(services_.shell, key, value);
}

void HyperLink::reportLinkError(int code) {
    services_.boxes.show(linkErrorMessage(code), "", BoxIcon::Exclamation);
}

QColor HyperLink::textColour() const {
    if (over_ && (flags_ & LinkHoverColour)) {
        return toColour(kHoverColour);
    }
    if (active_ && !(flags_ & LinkNoActiveColour)) {
        return toColour(kActiveColour);
    }
    return toColour(visited_ ? kVisitedColour : kLinkColour);
}

void HyperLink::loadLinkCursor(CursorSource& source) {
    std::optional<QCursor>& cursor = handCursorSlot();
    if (!cursor) {
        cursor = source.handCursor();
    }
}

const std::optional<QCursor>& HyperLink::sharedHandCursor() {
    return handCursorSlot();
}

void HyperLink::forgetSharedHandCursor() {
    handCursorSlot().reset();
}

void HyperLink::showHandCursor() {
    if (const std::optional<QCursor>& cursor = handCursorSlot()) {
        setCursor(*cursor);
    }
}

void HyperLink::pointerLeft() {
    changeLinkFlags(LinkUnderline, 0, true);
    over_ = 0;
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
    update();
}

void HyperLink::paintEvent(QPaintEvent* /*event*/) {
    // Transparent background: only the frame, if any, and the text in the state's colour.
    QPainter painter(this);
    drawFrame(&painter);
    painter.setPen(textColour());
    painter.setFont(font());
    painter.drawText(contentsRect(), static_cast<int>(alignment()), text());
}

void HyperLink::enterEvent(QEnterEvent* event) {
    showHandCursor();
    QLabel::enterEvent(event);
}

// The capture brings the moves that take the pointer off the link; when the window system
// ends it early (the pointer left the window), the leave does the same.
void HyperLink::leaveEvent(QEvent* event) {
    if (over_) {
        pointerLeft();
    }
    QLabel::leaveEvent(event);
}

void HyperLink::mouseMoveEvent(QMouseEvent* event) {
    showHandCursor();
    if (over_) {
        if (rect().contains(event->position().toPoint())) {
            return;
        }
        pointerLeft();
    } else {
        changeLinkFlags(0, LinkUnderline, true);
        over_ = 1;
        update();
        grabMouse();
    }
}

void HyperLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    if (flags_ & LinkFocusOnClick) {
        setFocus(Qt::MouseFocusReason);
    }
    if (flags_ & LinkFollowOnPress) {
        followLink();
    }
    active_ = 1;
}

void HyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    if (active_ && !(flags_ & LinkFollowOnPress)) {
        followLink();
    }
}

void HyperLink::focusInEvent(QFocusEvent* event) {
    active_ = 1;
    update();
    QLabel::focusInEvent(event);
}

void HyperLink::focusOutEvent(QFocusEvent* event) {
    over_ = 0;
    active_ = 0;
    update();
    QLabel::focusOutEvent(event);
}

void HyperLink::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        followLink();
        return;
    }
    QLabel::keyPressEvent(event);
}

}  // namespace tessaline
