#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sim/VirtualInstrument.h"
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

}  // namespace
}  // namespace tessaline::test
