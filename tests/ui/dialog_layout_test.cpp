// Every dialog as its template lays it out, at the scale the test runs at (ctest runs this
// program with QT_SCALE_FACTOR unset, 1.5 and 2): each control inside its dialog, no two
// controls over each other where the template keeps them apart, each text within its control,
// and the pictures at their own size, sharp for the screen's pixel ratio.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <cstdlib>
#include <optional>
#include <vector>

#include "res/AboutDialogTemplate.h"
#include "res/Images.h"
#include "res/ResourceIds.h"
#include "res/SetupDialogTemplate.h"
#include "res/Templates.h"
#include "tests/support/Fakes.h"
#include "tests/ui/LinkFakes.h"
#include "tests/ui/WindowRig.h"
#include "ui/CursorSource.h"
#include "ui/HandBitmapButton.h"
#include "ui/PictureControl.h"
#include "ui/ProgressPopup.h"
#include "ui/about/AboutDialog.h"
#include "ui/setup/MidiSetupDialog.h"

namespace tessaline::test {
namespace {

struct Placed {
    const ControlTemplate* entry;
    QWidget* widget;
};

// The builder makes a template's controls as the dialog's first children, in template order.
std::vector<Placed> placedControls(QWidget& dialog, const DialogTemplate& dialogTemplate) {
    const QList<QWidget*> children =
        dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    std::vector<Placed> placed;
    if (children.size() < static_cast<qsizetype>(dialogTemplate.controls.size())) {
        ADD_FAILURE() << "only " << children.size() << " controls";
        return placed;
    }
    for (std::size_t i = 0; i < dialogTemplate.controls.size(); ++i) {
        const ControlTemplate& entry = dialogTemplate.controls[i];
        QWidget* widget = children[static_cast<qsizetype>(i)];
        if (entry.id != kNoId) {
            EXPECT_EQ(widget->objectName(), QStringLiteral("control%1").arg(entry.id));
        }
        placed.push_back({&entry, widget});
    }
    return placed;
}

// The rectangle the control shows in the template, in dialog units.
QRect templateRect(const ControlTemplate& entry) {
    const int height =
        entry.kind == ControlKind::DropDownList ? kClosedListDialogUnits : entry.height;
    return QRect(entry.x, entry.y, entry.width, std::max(1, height));
}

std::string nameOf(const QWidget& widget) {
    const QString name = widget.objectName();
    return (name.isEmpty() ? QString::fromUtf8(widget.metaObject()->className()) : name)
        .toStdString();
}

void expectFits(const QString& text, const QFontMetrics& metrics, const QRect& area) {
    EXPECT_LE(metrics.horizontalAdvance(text), area.width()) << text.toStdString();
    EXPECT_LE(metrics.height(), area.height()) << text.toStdString();
}

// A check box or radio button: the indicator and its spacing come before the text, and it is
// centred on its template rectangle.
void expectIndicatorFits(QAbstractButton& button, const QRect& templatePixels) {
    const bool radio = qobject_cast<QRadioButton*>(&button) != nullptr;
    QStyle* style = button.style();
    const int width = style->pixelMetric(
        radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth, nullptr, &button);
    const int height = style->pixelMetric(
        radio ? QStyle::PM_ExclusiveIndicatorHeight : QStyle::PM_IndicatorHeight, nullptr, &button);
    const int spacing = style->pixelMetric(
        radio ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing, nullptr,
        &button);
    const QFontMetrics metrics = button.fontMetrics();
    const QString text = button.text();
    EXPECT_LE(width + spacing + metrics.horizontalAdvance(text), button.width())
        << text.toStdString();
    EXPECT_GE(button.height(), std::max(height, metrics.height())) << text.toStdString();
    const QRect geometry = button.geometry();
    EXPECT_LE(std::abs((geometry.top() + geometry.bottom()) -
                       (templatePixels.top() + templatePixels.bottom())),
              1)
        << text.toStdString();
}

QRect comboTextArea(QComboBox& list) {
    QStyleOptionComboBox option;
    option.initFrom(&list);
    option.editable = list.isEditable();
    option.frame = list.hasFrame();
    return list.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                        &list);
}

QRect lineTextArea(QLineEdit& line) {
    QStyleOptionFrame option;
    option.initFrom(&line);
    option.lineWidth = line.hasFrame()
                           ? line.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &line)
                           : 0;
    return line.style()->subElementRect(QStyle::SE_LineEditContents, &option, &line);
}

// Every text of the dialog, the template's and what was put in at run time, within its control.
void expectTextsFit(QWidget& dialog) {
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (!widget->isVisible()) {
            continue;
        }
        SCOPED_TRACE(nameOf(*widget));
        if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr) {
            const QRect area = label->contentsRect();
            if (label->text().isEmpty()) {
                continue;
            }
            if (label->wordWrap()) {
                EXPECT_LE(label->heightForWidth(area.width()), area.height())
                    << label->text().toStdString();
            } else {
                expectFits(label->text(), label->fontMetrics(), area);
            }
        } else if (auto* group = qobject_cast<QGroupBox*>(widget); group != nullptr) {
            EXPECT_LE(group->fontMetrics().horizontalAdvance(group->title()), group->width());
        } else if (auto* list = qobject_cast<QComboBox*>(widget); list != nullptr) {
            for (int i = 0; i < list->count(); ++i) {
                expectFits(list->itemText(i), list->fontMetrics(), comboTextArea(*list));
            }
        } else if (auto* line = qobject_cast<QLineEdit*>(widget); line != nullptr) {
            expectFits(line->text(), line->fontMetrics(), lineTextArea(*line));
        } else if (auto* push = qobject_cast<QPushButton*>(widget); push != nullptr) {
            expectFits(push->text(), push->fontMetrics(), push->rect());
        }
    }
}

// Inside the dialog, apart where the template keeps them apart, check boxes whole and centred,
// and every text within its control. `added` are controls the dialog makes besides the
// template's (the main window's status bar); they may cover nothing.
void expectLaidOut(QWidget& dialog, const DialogTemplate& dialogTemplate,
                   const std::vector<QWidget*>& added = {}) {
    std::vector<Placed> placed = placedControls(dialog, dialogTemplate);
    for (QWidget* extra : added) {
        placed.push_back({nullptr, extra});
    }
    const BaseUnits units = baseUnitsOf(dialog.font());
    for (std::size_t i = 0; i < placed.size(); ++i) {
        QWidget& widget = *placed[i].widget;
        EXPECT_TRUE(dialog.rect().contains(widget.geometry()))
            << nameOf(widget) << " at " << widget.x() << "," << widget.y() << " " << widget.width()
            << "x" << widget.height();
        for (std::size_t j = i + 1; j < placed.size(); ++j) {
            const bool apartInTemplate =
                placed[i].entry == nullptr || placed[j].entry == nullptr ||
                !templateRect(*placed[i].entry).intersects(templateRect(*placed[j].entry));
            if (apartInTemplate) {
                EXPECT_FALSE(widget.geometry().intersects(placed[j].widget->geometry()))
                    << nameOf(widget) << " / " << nameOf(*placed[j].widget);
            }
        }
        if (placed[i].entry != nullptr && (qobject_cast<QCheckBox*>(&widget) != nullptr ||
                                           qobject_cast<QRadioButton*>(&widget) != nullptr)) {
            const ControlTemplate& entry = *placed[i].entry;
            expectIndicatorFits(static_cast<QAbstractButton&>(widget),
                                toPixels(units, entry.x, entry.y, entry.width, entry.height));
        }
    }
    expectTextsFit(dialog);
}

TEST(DialogLayout, MainWindowConnected) {
    WindowRig rig;
    ASSERT_TRUE(rig.connect());
    expectLaidOut(rig.window, mainDialogTemplate(), {rig.window.control(IDC_STATUS_BAR)});
    // The type list's other entry and the longer part list fit as well.
    rig.choose(IDC_DEST_TYPE, 1);
    expectTextsFit(rig.window);
}

TEST(DialogLayout, AboutBox) {
    FakeShell shell;
    BoxRecorder boxes;
    SystemCursorSource cursors;
    {
        AboutDialog dialog(LinkServices{shell, boxes, cursors});
        dialog.show();
        expectLaidOut(dialog, aboutDialogTemplate());
    }
    HyperLink::forgetSharedHandCursor();
}

TEST(DialogLayout, MidiSetupWithTheInstrumentsListed) {
    WindowRig rig;
    ASSERT_TRUE(rig.connect());
    MidiSetupDialog dialog(rig.device);
    dialog.show();
    ASSERT_GT(dialog.inputList()->count(), 0);
    expectLaidOut(dialog, setupDialogTemplate());
}

TEST(DialogLayout, ProgressPopupWithEitherText) {
    ProgressPopup popup(QStringLiteral("Transmitting..."), nullptr);
    expectLaidOut(popup, progressPopupTemplate());
    popup.setText(QStringLiteral("Timeout"));
    expectTextsFit(popup);
}

// Where the image appears unchanged in the shot, every opaque pixel the same, in device pixels.
std::optional<QPoint> findImage(const QImage& shot, const QImage& image) {
    for (int y = 0; y + image.height() <= shot.height(); ++y) {
        for (int x = 0; x + image.width() <= shot.width(); ++x) {
            bool same = true;
            for (int row = 0; same && row < image.height(); ++row) {
                for (int column = 0; same && column < image.width(); ++column) {
                    const QRgb pixel = image.pixel(column, row);
                    same = qAlpha(pixel) != 255 || shot.pixel(x + column, y + row) == pixel;
                }
            }
            if (same) {
                return QPoint(x, y);
            }
        }
    }
    return std::nullopt;
}

// The first picture among the window's controls. PictureControl has no meta-object of its own,
// so findChild would take any widget for one.
PictureControl* findPicture(QWidget& window) {
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (auto* picture = dynamic_cast<PictureControl*>(child)) {
            return picture;
        }
    }
    return nullptr;
}

// Drawn for the control's pixel ratio, pixel for pixel, in the middle of the control.
void expectDrawnWhole(QWidget& control, const QPixmap& image) {
    SCOPED_TRACE(nameOf(control));
    ASSERT_FALSE(image.isNull());
    const QImage shot = control.grab().toImage();
    const QImage expected = image.toImage();
    const std::optional<QPoint> at = findImage(shot, expected);
    ASSERT_TRUE(at.has_value()) << "the image is not drawn pixel for pixel";
    EXPECT_LE(std::abs(2 * at->x() - (shot.width() - expected.width())), 2) << at->x();
    EXPECT_LE(std::abs(2 * at->y() - (shot.height() - expected.height())), 2) << at->y();
}

TEST(DialogLayout, PicturesAreDrawnAtTheirOwnSizeForThePixelRatio) {
    WindowRig rig;
    rig.window.createWindow();
    rig.window.show();
    const double ratio = rig.window.devicePixelRatioF();

    auto* banner = findPicture(rig.window);
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->picture().deviceIndependentSize().toSize(), QSize(483, 68));
    EXPECT_EQ(banner->picture().devicePixelRatio(), ratio);
    expectDrawnWhole(*banner, loadBitmap(IDB_BANNER, ratio));

    auto* execute = dynamic_cast<HandBitmapButton*>(rig.window.control(IDC_EXECUTE));
    ASSERT_NE(execute, nullptr);
    EXPECT_EQ(execute->image(HandBitmapButton::Face::Normal).deviceIndependentSize().toSize(),
              QSize(42, 26));
    EXPECT_EQ(execute->image(HandBitmapButton::Face::Normal).devicePixelRatio(), ratio);
    expectDrawnWhole(*execute, loadBitmap(IDB_EXECUTE_UP, ratio));

    FakeShell shell;
    BoxRecorder boxes;
    SystemCursorSource cursors;
    {
        AboutDialog about(LinkServices{shell, boxes, cursors});
        about.show();
        auto* icon = findPicture(about);
        ASSERT_NE(icon, nullptr);
        const int side = std::min(icon->width(), icon->height());
        expectDrawnWhole(*icon, loadIconPixmap(IDI_MAIN_ICON, side, ratio));
    }
    HyperLink::forgetSharedHandCursor();

    MidiSetupDialog setup(rig.device);
    setup.show();
    auto* socket = findPicture(setup);
    ASSERT_NE(socket, nullptr);
    const int side = std::min(socket->width(), socket->height());
    expectDrawnWhole(*socket, loadIconPixmap(IDI_MIDI_SETUP, side, ratio));
}

}  // namespace
}  // namespace tessaline::test
