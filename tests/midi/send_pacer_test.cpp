#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "midi/SendPacer.h"
#include "tests/support/Fakes.h"

namespace tessaline::test {
namespace {

// One message: time that passes before it is due (work, or a thread waking up late), its
// size, and how long handing it over takes.
struct Step {
    std::int64_t idleUs;
    std::size_t bytes;
    std::int64_t sendUs;
};

struct PacingCase {
    const char* name;
    SendSpeed speed;
    std::vector<Step> steps;
    std::vector<std::int64_t> startsUs;  // when each message starts
};

void PrintTo(const PacingCase& c, std::ostream* os) {
    *os << c.name;
}

class PacingTest : public ::testing::TestWithParam<PacingCase> {};

TEST_P(PacingTest, MessagesStartWhenTheSpeedAllows) {
    const PacingCase& c = GetParam();
    RecordingClock clock;
    SendPacer pacer(clock);
    pacer.setSpeed(c.speed);
    std::vector<std::int64_t> starts;
    for (const Step& step : c.steps) {
        clock.advanceUs(step.idleUs);
        pacer.beforeSend(step.bytes);
        starts.push_back(clock.nowUs());
        clock.advanceUs(step.sendUs);
        pacer.afterSend();
    }
    EXPECT_EQ(starts, c.startsUs);
    EXPECT_TRUE(clock.waits().empty());  // never a whole-millisecond wait
}

const PacingCase kPacingCases[] = {
    // 320 us a byte, from the start of the message before.
    {"CableByBytesOfThePredecessor",
     SendSpeed::cable(),
     {{0, 9, 0}, {0, 10, 0}, {0, 12, 0}, {0, 3, 0}},
     {0, 2880, 6080, 9920}},
    // Time spent handing a message over counts towards its own cable time.
    {"CableCountsFromTheStart", SendSpeed::cable(), {{0, 10, 1000}, {0, 10, 0}}, {0, 3200}},
    // A late wake: the message due goes at once, the next one still waits its full time.
    {"CableSendsNoBurstAfterALateWake",
     SendSpeed::cable(),
     {{0, 10, 0}, {50000, 10, 0}, {0, 10, 0}, {0, 12, 0}},
     {0, 50000, 53200, 56400}},
    {"CableDoesNotWaitWhenTheTimeHasPassed",
     SendSpeed::cable(),
     {{0, 12, 0}, {4000, 9, 0}},
     {0, 4000}},
    // A pause counts from the moment the message before was handed over.
    {"FixedPauseBetweenMessages",
     SendSpeed::pause(5),
     {{0, 200, 1000}, {0, 3, 0}, {2000, 3, 0}},
     {0, 6000, 11000}},
    {"FastNeverWaits", SendSpeed::fast(), {{0, 200, 0}, {0, 200, 0}, {0, 3, 0}}, {0, 0, 0}},
};

INSTANTIATE_TEST_SUITE_P(Speeds, PacingTest, ::testing::ValuesIn(kPacingCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace tessaline::test
