// The bitmap button, the coloured edit and the template builder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>

#include "res/ResourceIds.h"
#include "res/Templates.h"
#include "ui/ColourEdit.h"
#include "ui/CursorSource.h"
#include "ui/DialogBuilder.h"
#include "ui/HandBitmapButton.h"

namespace tessaline::test {
namespace {

class NoCursor final : public CursorSource {
  public:
    std::optional<QCursor> handCursor() override { return std::nullopt; }
};

QWidget* nextTabStop(QWidget* widget) {
    do {
        widget = widget->nextInFocusChain();
    } while ((widget->focusPolicy() & Qt::TabFocus) == 0);
    return widget;
}

QColor pixelAt(QWidget& widget, QPoint point) {
    return widget.grab().toImage().pixelColor(point);
}

TEST(HandBitmapButton, DrawsThePressedImageWhileDownAndTheUpImageOtherwise) {
    QWidget window;
    auto* button = new HandBitmapButton(&window);
    button->setGeometry(10, 10, 42, 26);
    ASSERT_TRUE(button->loadBitmaps(IDB_EXECUTE_UP, IDB_EXECUTE_DOWN, IDB_EXECUTE_UP));
    window.show();

    EXPECT_EQ(button->currentFace(), HandBitmapButton::Face::Normal);
    const QImage up = button->grab().toImage();
    button->setDown(true);
    EXPECT_EQ(button->currentFace(), HandBitmapButton::Face::Pressed);
    const QImage down = button->grab().toImage();
    EXPECT_NE(up, down);
    // A point on the key's opaque face shows the pressed image's pixel.
    const QPoint face(8, 8);
    EXPECT_EQ(down.pixelColor(face),
              button->image(HandBitmapButton::Face::Pressed).toImage().pixelColor(face));
    EXPECT_NE(up.pixelColor(face), down.pixelColor(face));
    button->setDown(false);
    QApplication::setActiveWindow(&window);
    button->setFocus();
    EXPECT_EQ(button->currentFace(), HandBitmapButton::Face::Focused);
    EXPECT_EQ(button->grab().toImage(), up);

    // No disabled image: a disabled button keeps the normal one.
    button->clearFocus();
    button->setEnabled(false);
    EXPECT_EQ(button->currentFace(), HandBitmapButton::Face::Normal);
}

TEST(HandBitmapButton, ShowsTheHandCursorOnlyWhenItsSourceHasOne) {
    SystemCursorSource system;
    HandBitmapButton withHand;
    withHand.attach(system);
    EXPECT_TRUE(withHand.hasHandCursor());
    EXPECT_TRUE(withHand.testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(withHand.cursor().shape(), Qt::PointingHandCursor);

    NoCursor none;
    HandBitmapButton without;
    without.attach(none);
    EXPECT_FALSE(without.hasHandCursor());
    EXPECT_FALSE(without.testAttribute(Qt::WA_SetCursor));
}

TEST(HandBitmapButton, AMissingNormalImageIsReported) {
    HandBitmapButton button;
    EXPECT_FALSE(button.loadBitmaps(9999));
}

TEST(ColourEdit, PaintsItsBackgroundReadOnlyOrDisabledAndRepaintsOnANewColour) {
    QWidget window;
    auto* edit = new ColourEdit(&window);
    edit->setGeometry(5, 5, 200, 24);
    edit->setBackgroundColour(QColor(224, 255, 64));
    edit->setReadOnly(true);
    edit->setText("A");
    window.show();
    const QPoint inside(180, 12);  // right of the text, inside the frame
    EXPECT_EQ(pixelAt(*edit, inside), QColor(224, 255, 64));

    edit->setEnabled(false);
    EXPECT_EQ(pixelAt(*edit, inside), QColor(224, 255, 64));

    edit->setBackgroundColour(QColor(10, 20, 200));
    EXPECT_EQ(pixelAt(*edit, inside), QColor(10, 20, 200));
    // The text keeps the default colour.
    EXPECT_EQ(edit->palette().color(QPalette::Active, QPalette::Text),
              QApplication::palette().color(QPalette::Active, QPalette::Text));
}

TEST(DialogBuilder, LaysOutEveryControlInsideTheClientAreaInTabOrder) {
    QWidget window;
    const DialogTemplate& dialog = mainDialogTemplate();
    BuiltDialog built = buildDialog(window, dialog);
    ASSERT_EQ(built.controls().size(), dialog.controls.size());
    const QRect client(QPoint(0, 0), built.clientSize());
    EXPECT_EQ(window.size(), built.clientSize());
    for (QWidget* control : built.controls()) {
        EXPECT_TRUE(client.contains(control->geometry())) << control->objectName().toStdString();
    }
    // Horizontal and vertical units scale with the font's base units.
    const BaseUnits units = built.units();
    EXPECT_EQ(built.control(IDC_ABOUT)->geometry(),
              QRect(208 * units.x / 4, (51 * units.y + 4) / 8, (58 * units.x + 2) / 4,
                    (14 * units.y + 4) / 8));

    // Tab order is template order among the controls that take the focus.
    QWidget* previous = nullptr;
    for (QWidget* control : built.controls()) {
        if (control->focusPolicy() != Qt::StrongFocus) {
            continue;
        }
        if (previous != nullptr) {
            EXPECT_EQ(nextTabStop(previous), control) << previous->objectName().toStdString();
        }
        previous = control;
    }

    auto* letters = built.find<QComboBox>(IDC_VOICE_LETTER);
    ASSERT_NE(letters, nullptr);
    ASSERT_EQ(letters->count(), 8);
    EXPECT_EQ(letters->itemText(7), "H");
    EXPECT_EQ(built.find<QComboBox>(IDC_PERF_NUM)->itemText(15), "16");
    EXPECT_EQ(built.find<QPushButton>(IDC_MIDI_SETUP)->text(), "MIDI Setup...");
}

TEST(DialogBuilder, ThePopupTemplateCentresItsText) {
    QWidget window;
    BuiltDialog built = buildDialog(window, progressPopupTemplate());
    auto* text = built.find<QLabel>(IDC_PROGRESS_TEXT);
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_EQ(text->text(), "Static");
    EXPECT_EQ(findDialogTemplate(IDD_PROGRESS_POPUP), &progressPopupTemplate());
    EXPECT_EQ(findDialogTemplate(4711), nullptr);
}

}  // namespace
}  // namespace tessaline::test
