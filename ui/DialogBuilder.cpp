#include "ui/DialogBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <algorithm>

#include "res/Images.h"
#include "ui/DialogFonts.h"
#include "ui/PictureControl.h"

namespace tessaline {

namespace {

QStringList itemsOf(const ControlTemplate& entry) {
    QString text = QString::fromUtf8(entry.text != nullptr ? entry.text : "");
    return text.isEmpty() ? QStringList() : text.split('\n');
}

QString textOf(const ControlTemplate& entry) {
    return QString::fromUtf8(entry.text != nullptr ? entry.text : "");
}

QWidget* makeList(const ControlTemplate& entry, QWidget* parent, const BaseUnits& units,
                  QRect& geometry) {
    auto* list = new QComboBox(parent);
    list->addItems(itemsOf(entry));
    list->setCurrentIndex(-1);
    const int closed = verticalPixels(units, kClosedListDialogUnits);
    const int itemHeight = std::max(1, QFontMetrics(parent->font()).height() + 2);
    list->setMaxVisibleItems(std::max(1, (geometry.height() - closed) / itemHeight));
    geometry.setHeight(closed);
    return list;
}

QWidget* makeStandard(const ControlTemplate& entry, QWidget* parent, const BaseUnits& units,
                      QRect& geometry) {
    switch (entry.kind) {
        case ControlKind::Static: {
            auto* label = new QLabel(textOf(entry), parent);
            label->setAlignment(staticAlignment(entry.styleBits));
            label->setTextFormat(Qt::PlainText);
            return label;
        }
        case ControlKind::Picture:
            return new PictureControl(
                [id = entry.resourceId](double ratio) { return loadBitmap(id, ratio); }, parent);
        case ControlKind::Icon: {
            // Square, as large as the rectangle allows.
            const int side = std::min(geometry.width(), geometry.height());
            auto draw = [id = entry.resourceId, side](double ratio) {
                return loadIconPixmap(id, side, ratio);
            };
            return new PictureControl(draw, parent);
        }
        case ControlKind::EtchedLine: {
            auto* line = new QFrame(parent);
            line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
            geometry.setHeight(std::max(2, geometry.height()));
            return line;
        }
        case ControlKind::GroupBox:
            return new QGroupBox(textOf(entry), parent);
        case ControlKind::DropDownList:
            return makeList(entry, parent, units, geometry);
        case ControlKind::PushButton:
        case ControlKind::OwnerDrawButton: {
            auto* button = new QPushButton(textOf(entry), parent);
            button->setAutoDefault(true);
            return button;
        }
        case ControlKind::DefaultButton: {
            auto* button = new QPushButton(textOf(entry), parent);
            button->setDefault(true);
            return button;
        }
        case ControlKind::CheckBox:
            return new QCheckBox(textOf(entry), parent);
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(textOf(entry), parent);
            edit->setFrame((entry.styleBits & style::Border) != 0);
            return edit;
        }
    }
    return nullptr;
}

// A check box or radio button lower than the style makes it (indicator, a line of text and the
// focus frame around it) is clipped. It grows evenly about the centre of its template rectangle,
// so that it stays where the template puts it.
void fitIndicator(QWidget& widget, QRect& geometry) {
    QStyle::PixelMetric indicator = QStyle::PM_IndicatorHeight;
    if (qobject_cast<QRadioButton*>(&widget) != nullptr) {
        indicator = QStyle::PM_ExclusiveIndicatorHeight;
    } else if (qobject_cast<QCheckBox*>(&widget) == nullptr) {
        return;
    }
    const int needed = std::max({widget.style()->pixelMetric(indicator, nullptr, &widget),
                                 widget.fontMetrics().height(), widget.sizeHint().height()});
    if (needed > geometry.height()) {
        geometry.setTop(geometry.top() - (needed - geometry.height()) / 2);
        geometry.setHeight(needed);
    }
}

}  // namespace

Qt::Alignment staticAlignment(unsigned styleBits) {
    Qt::Alignment horizontal = Qt::AlignLeft;
    if ((styleBits & style::Centre) != 0) {
        horizontal = Qt::AlignHCenter;
    } else if ((styleBits & style::Right) != 0) {
        horizontal = Qt::AlignRight;
    }
    Qt::Alignment vertical =
        (styleBits & style::CentreImage) != 0 ? Qt::AlignVCenter : Qt::AlignTop;
    return horizontal | vertical;
}

QWidget* BuiltDialog::control(int id) const {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

BuiltDialog buildDialog(QWidget& window, const DialogTemplate& dialog,
                        const ControlFactory& custom) {
    BuiltDialog built;
    window.setFont(dialogFont(dialog.fontPoints));
    built.units_ = baseUnitsOf(window.font());
    built.clientSize_ = QSize(horizontalPixels(built.units_, dialog.width),
                              verticalPixels(built.units_, dialog.height));
    if (dialog.caption != nullptr && dialog.caption[0] != '\0') {
        window.setWindowTitle(QString::fromUtf8(dialog.caption));
    }
    window.setFixedSize(built.clientSize_);

    for (const ControlTemplate& entry : dialog.controls) {
        QRect geometry = toPixels(built.units_, entry.x, entry.y, entry.width, entry.height);
        QWidget* widget = custom ? custom(entry, &window) : nullptr;
        if (widget == nullptr) {
            widget = makeStandard(entry, &window, built.units_, geometry);
        }
        if (widget == nullptr) {
            continue;
        }
        fitIndicator(*widget, geometry);
        widget->setGeometry(geometry);
        widget->setFocusPolicy((entry.styleBits & style::TabStop) != 0 ? Qt::StrongFocus
                                                                       : widget->focusPolicy());
        if (entry.id != kNoId) {
            widget->setObjectName(QStringLiteral("control%1").arg(entry.id));
            built.byId_[entry.id] = widget;
        }
        built.ordered_.push_back(widget);
    }
    return built;
}

}  // namespace tessaline
