#pragma once

#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/MessageBoxes.h"

namespace tessaline {

// Message boxes shown on the user-interface thread. A box asked for on another thread is handed
// over with a queued call and the asking thread returns at once; a repeat of a text that is
// still open (or already on its way) is dropped instead of stacked. Without an application
// object nothing can be shown, and the box is dropped.
class QtMessageBoxes final : public MessageBoxes {
  public:
    // Shows one box modally and returns when it has been closed. The caption is already
    // resolved (never empty).
    using Presenter =
        std::function<void(const QString& text, const QString& caption, BoxIcon icon)>;

    // Without a presenter, boxes are QMessageBox dialogs over the active window.
    explicit QtMessageBoxes(Presenter presenter = {});

    void show(const std::string& text, const std::string& caption, BoxIcon icon) override;
    void showLater(const std::string& text, const std::string& caption, BoxIcon icon) override;

    // The texts of the boxes open or waiting to open (tests, diagnostics).
    std::size_t openCount() const;

  private:
    struct State {
        Presenter presenter;
        std::mutex mutex;
        std::map<std::string, int> open;  // text -> boxes open or queued with it
    };

    static void present(const std::shared_ptr<State>& state, const std::string& text,
                        const std::string& caption, BoxIcon icon);

    std::shared_ptr<State> state_;
};

// The modal QMessageBox the program uses.
void showModalMessageBox(const QString& text, const QString& caption, BoxIcon icon);

}  // namespace tessaline
