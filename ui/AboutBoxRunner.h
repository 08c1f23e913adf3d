#pragma once

class QWidget;

namespace tessaline {

// Runs the About box modally over its owner.
class AboutBoxRunner {
  public:
    virtual ~AboutBoxRunner() = default;
    virtual void run(QWidget* owner) = 0;
};

}  // namespace tessaline
