#pragma once

#include <QApplication>
#include <memory>

namespace tessaline::test {

// The one QApplication of a window test program (offscreen platform, set by the test runner),
// made before the first test and destroyed after the last. Registered once per program by
// QtTestApplication.cpp.
class QtTestApplication {
  public:
    QtTestApplication() : app_(std::make_unique<QApplication>(argc_, argv_)) {}

  private:
    int argc_ = 1;
    char name_[8] = "tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

}  // namespace tessaline::test
