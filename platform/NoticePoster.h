#pragma once

#include <cstdint>

namespace tessaline {

// Opaque window reference; null means the application's main window.
using WindowTarget = void*;

// Posts a notice to a window's queue and returns at once, from any thread. With no target the
// notice goes to the main window; with no main window it is dropped.
class NoticePoster {
  public:
    virtual ~NoticePoster() = default;
    virtual void post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                      WindowTarget target) = 0;
};

}  // namespace tessaline
