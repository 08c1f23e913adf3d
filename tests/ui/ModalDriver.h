#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace tessaline::test {

// Acts on a modal dialog from inside its run: once a visible top-level window of type T
// exists, `action` gets it (and must end the run). Never leaves a test waiting on a box.
template <typename T>
void whenShown(std::function<void(T&)> action, int attempts = 200) {
    QTimer::singleShot(5, [action, attempts] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* dialog = dynamic_cast<T*>(window); dialog != nullptr && dialog->isVisible()) {
                action(*dialog);
                return;
            }
        }
        if (attempts > 0) {
            whenShown<T>(action, attempts - 1);
        } else {
            ADD_FAILURE() << "the dialog never appeared";
        }
    });
}

}  // namespace tessaline::test
