#include "ui/ControlExchange.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>

namespace tessaline {

int readSelection(const QComboBox& list) {
    return list.currentIndex();
}

void writeSelection(QComboBox& list, int index) {
    QSignalBlocker quiet(list);
    list.setCurrentIndex(index >= 0 && index < list.count() ? index : -1);
}

int readCheck(const QCheckBox& box) {
    switch (box.checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        case Qt::Unchecked:
            break;
    }
    return 0;
}

void writeCheck(QCheckBox& box, int value) {
    QSignalBlocker quiet(box);
    switch (value) {
        case 1:
            box.setCheckState(Qt::Checked);
            break;
        case 2:
            box.setCheckState(Qt::PartiallyChecked);
            break;
        default:
            box.setCheckState(Qt::Unchecked);
            break;
    }
}

}  // namespace tessaline
