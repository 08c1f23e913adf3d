#pragma once

#include <string>

namespace tessaline {

enum class BoxIcon { None, Information, Exclamation, Error };

// Message boxes with a single OK button. An empty caption means the application's own name.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;

    // User-interface thread: shows the box and returns once the user has closed it.
    virtual void show(const std::string& text, const std::string& caption, BoxIcon icon) = 0;

    // Any other thread: hands the box to the user-interface thread and returns at once. While a
    // box with the same text is still open, the repeat is dropped rather than stacked.
    virtual void showLater(const std::string& text, const std::string& caption, BoxIcon icon) = 0;
};

}  // namespace tessaline
