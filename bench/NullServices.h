#pragma once

#include <cstdint>
#include <string>

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/NoticePoster.h"
#include "platform/Profile.h"

namespace tessaline::bench {

// Services that do nothing, so that a benchmark measures only the work under test.
class NullProfile final : public Profile {
  public:
    int readInt(const std::string&, const std::string&, int value) override { return value; }
    void writeInt(const std::string&, const std::string&, int) override {}
};

class NullBoxes final : public MessageBoxes {
  public:
    void show(const std::string&, const std::string&, BoxIcon) override {}
    void showLater(const std::string&, const std::string&, BoxIcon) override {}
};

class NullPoster final : public NoticePoster {
  public:
    void post(unsigned, std::uintptr_t, std::intptr_t, WindowTarget) override {}
};

class NullClock final : public Clock {
  public:
    void sleepMs(int) override {}
};

}  // namespace tessaline::bench
