#include "tests/ui/QtTestApplication.h"

#include <gtest/gtest.h>

namespace tessaline::test {
namespace {

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { app_ = std::make_unique<QtTestApplication>(); }
    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<QtTestApplication> app_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
}  // namespace tessaline::test
