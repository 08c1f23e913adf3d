#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "sim/VirtualInstrument.h"
#include "tests/sim/SimTestSupport.h"
#include "tests/support/Fakes.h"
#include "tools/virtual-instrument/ControlCommand.h"

namespace tessaline::test {
namespace {

TEST(VirtualInstrumentControl, PrintsMemoryAsHexPairsAndRefusesWhatIsNotThere) {
    auto instrument = VirtualInstrument::create("Motif ES7");
    ASSERT_NE(instrument, nullptr);
    const unsigned char written[] = {0x01, 0x7F, 0x20};
    ASSERT_TRUE(instrument->writeMemory(0x310005, written));
    EXPECT_EQ(tools::runControlCommand("print 310005 3", *instrument).text, "01 7F 20");
    EXPECT_EQ(tools::runControlCommand("  print 310006 1  ", *instrument).text, "7F");

    // The block 31 00 00 has 64 bytes: the 65th is not there.
    const std::string past = tools::runControlCommand("print 31003F 2", *instrument).text;
    EXPECT_EQ(past.rfind("error:", 0), 0u) << past;
    for (const char* bad : {"print 31000 1", "print 3100G0 1", "print 318000 1", "print 310000 0",
                            "print 310000", "peek 310000 1", ""}) {
        const tools::ControlReply reply = tools::runControlCommand(bad, *instrument);
        EXPECT_EQ(reply.text.rfind("error:", 0), 0u) << bad << " -> " << reply.text;
        EXPECT_FALSE(reply.quit);
    }
    EXPECT_TRUE(tools::runControlCommand("quit", *instrument).quit);
    EXPECT_EQ(tools::runControlCommand("mode", *instrument).text,
              std::to_string(instrument->mode()));
}

// Each fault command arms its fault once, as the instrument's own API does.
TEST(VirtualInstrumentControl, DropDamageAndFreezeArmTheirFaults) {
    auto instrument = VirtualInstrument::create("Motif ES7");
    RecordingClock clock;
    instrument->setClock(&clock);
    ReplyLog log(*instrument);
    auto write = [&](unsigned char value) {
        instrument->receive(parameterChange(*instrument, 0x31020D, {value}));
        return instrument->block(0x310200).value()[0x0D] == value;
    };
    EXPECT_EQ(tools::runControlCommand("drop 31020D", *instrument).text.rfind("error", 0),
              std::string::npos);
    EXPECT_FALSE(write(0x11));
    EXPECT_TRUE(write(0x12));

    EXPECT_EQ(tools::runControlCommand("damage", *instrument).text.rfind("error", 0),
              std::string::npos);
    instrument->receive(dumpRequest(*instrument, 0x0E4F00));
    std::vector<Bytes> dump = log.take();
    ASSERT_EQ(dump.size(), 10u);
    EXPECT_FALSE(sumsToZero(dump[1]));
    instrument->receive(dumpRequest(*instrument, 0x0E4F00));
    dump = log.take();
    EXPECT_TRUE(std::all_of(dump.begin(), dump.end(), sumsToZero));

    EXPECT_EQ(tools::runControlCommand("freeze 1500", *instrument).text, "frozen for 1500 ms");
    EXPECT_FALSE(write(0x13));
    // 256 bytes wait through a freeze: 25 parameter changes of 10 bytes, the rest is lost.
    for (unsigned char i = 0; i < 30; ++i) {
        instrument->receive(parameterChange(*instrument, 0x310210, {i}));
    }
    EXPECT_EQ(tools::runControlCommand("lost", *instrument).text, "lost 6");
    clock.advanceUs(1500 * 1000);
    EXPECT_EQ(instrument->thawIfDue(), 0);
    EXPECT_EQ(instrument->block(0x310200).value()[0x0D], 0x13);

    for (const char* bad : {"drop", "drop 31020", "drop 318000", "drop 31020D 2", "damage 2",
                            "freeze", "freeze 0", "freeze 60001", "freeze 10ms", "freeze -5"}) {
        const tools::ControlReply reply = tools::runControlCommand(bad, *instrument);
        EXPECT_EQ(reply.text.rfind("error:", 0), 0u) << bad << " -> " << reply.text;
    }
    EXPECT_EQ(instrument->thawIfDue(), 0);  // none of them froze it
}

}  // namespace
}  // namespace tessaline::test
