#include "platform/qt/DialogOwner.h"

#include <QApplication>
#include <QWidget>

namespace tessaline {

QWidget* dialogOwner() {
    QWidget* window = QApplication::activeWindow();
    while (window != nullptr && window->windowType() == Qt::Tool) {
        QWidget* owner = window->parentWidget();
        window = owner != nullptr ? owner->window() : nullptr;
    }
    return window;
}

}  // namespace tessaline
