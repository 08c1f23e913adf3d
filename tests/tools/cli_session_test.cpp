#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <numeric>
#include <regex>

#include "synth/DisplayLines.h"
#include "tests/tools/CliRig.h"

namespace tessaline::test {
namespace {

using Bytes = std::vector<unsigned char>;

struct Instrument {
    const char* device;
    const char* model;
};

const Instrument kInstruments[] = {
    {"Motif ES7", "Motif ES7"}, {"Motif 7", "Motif 7"}, {"Rack", "Motif Rack"}, {"S90", "S90"}};

bool hasLine(const std::vector<std::string>& lines, const std::string& wanted) {
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

TEST(Cli, DevicesListsEachVirtualInstrumentBothWaysAndWatchesThemComeAndGo) {
    CliRig rig;
    ASSERT_EQ(rig.run({"devices"}), 0);
    const auto lines = rig.lines(rig.out);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "in 0: Virtual Motif ES7 (simulated)");
    EXPECT_EQ(lines[7], "out 3: Virtual S90 (simulated)");

    // Unplugged at the first pause, back at the second; the third is interrupted.
    int pauses = 0;
    rig.watchPause = [&] {
        ++pauses;
        rig.virtualDevices.setPresent(1, pauses != 1);
        return pauses < 3;
    };
    rig.out.str("");
    ASSERT_EQ(rig.run({"devices", "--watch"}), 0);
    const auto watched = rig.lines(rig.out);
    ASSERT_GE(watched.size(), 8u);
    EXPECT_EQ(
        std::vector<std::string>(watched.begin() + 8, watched.end()),
        (std::vector<std::string>{
            "gone in 1: Virtual Motif 7 (simulated)", "gone out 1: Virtual Motif 7 (simulated)",
            "new in 1: Virtual Motif 7 (simulated)", "new out 1: Virtual Motif 7 (simulated)"}));
}

TEST(Cli, TracedIdentifyOfEveryInstrument) {
    for (const Instrument& instrument : kInstruments) {
        CliRig rig;
        ASSERT_EQ(rig.run({"--trace", "--device", instrument.device, "identify"}), 0)
            << instrument.model;
        const auto out = rig.lines(rig.out);
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out.back(), std::string(instrument.model) + " connected");
        const auto trace = rig.lines(rig.trace);
        ASSERT_GE(trace.size(), 2u);
        EXPECT_EQ(trace[0], "> F0 7E 00 06 01 F7");
        EXPECT_EQ(trace[1].substr(0, 23), "< F0 7E 7F 06 02 43 00 ");
    }
}

TEST(Cli, VoiceLineShowsWhatTheInstrumentHolds) {
    CliRig rig;
    ASSERT_EQ(rig.run({"--device", "Motif ES7", "voice", "USER2:H16"}), 0);
    const auto stored = rig.virtualDevices.instrument(0)->storedVoice(7, 127);
    const auto& common = stored.at(0x407000);
    const std::string name(common.begin(), common.begin() + 10);
    const std::string expected =
        " USER2:128(H16) " + std::string(categoryName(common[12])) + ":" + name;
    EXPECT_EQ(rig.lines(rig.out), std::vector<std::string>{expected});
}

TEST(Cli, PerformanceLineShowsWhatTheInstrumentHolds) {
    CliRig rig;
    ASSERT_EQ(rig.run({"--device", "S90", "performance", "B16"}), 0);
    const auto stored = rig.virtualDevices.instrument(3)->userPerformance(31);
    const auto& common = stored.at(0x300000);
    const std::string name(common.begin(), common.begin() + 10);
    EXPECT_EQ(rig.lines(rig.out),
              std::vector<std::string>{" USER:032(B16) " + std::string(categoryName(common[12])) +
                                       ":" + name});
}

TEST(Cli, CopyPrintsSourceDestinationAndTheNewPerformanceLine) {
    CliRig rig;
    ASSERT_EQ(rig.run({"--trace", "--device", "Motif ES7", "copy", "--voice", "PRE1:A01", "--to",
                       "performance:B16", "--part", "3", "--sys-fx", "--ins-fx", "--name"}),
              0)
        << rig.err.str();
    const auto out = rig.lines(rig.out);
    const auto voice = rig.virtualDevices.instrument(0)->storedVoice(0, 0).at(0x407000);
    const std::string name(voice.begin(), voice.begin() + 10);
    ASSERT_EQ(out.size(), 5u) << rig.out.str();
    EXPECT_EQ(out[0].rfind("Saved the destination as " + rig.dataFolder.path.string(), 0), 0u);
    EXPECT_EQ(out[1], " PRE1:001(A01) " + std::string(categoryName(voice[12])) + ":" + name);
    // Checked by default: every value found as sent, none outside the answer's blocks.
    EXPECT_TRUE(std::regex_match(out[2], std::regex("Verified ([0-9]+) of \\1 values \\(0 not "
                                                    "reported\\)")))
        << out[2];
    EXPECT_EQ(out[3], "Copied PRE1:A01 into part 3 of performance B16");
    // With the name copied, the performance now carries the voice's name and category.
    EXPECT_EQ(out[4], " USER:032(B16) " + std::string(categoryName(voice[12])) + ":" + name);

    // After the last mode change the destination is kept, then come the 185 messages, then the
    // request for the answer. Only what was sent counts; the voice dump's closing block may
    // still be arriving meanwhile.
    std::vector<std::string> sent;
    for (const std::string& line : rig.lines(rig.trace)) {
        if (line.rfind("> ", 0) == 0)
            sent.push_back(line);
    }
    const std::string request = "> F0 43 20 7F 00 0E 4F 00 F7";
    const auto mode = std::find(sent.rbegin(), sent.rend(), "> F0 43 10 7F 00 0A 00 01 01 F7");
    ASSERT_NE(mode, sent.rend());
    const auto snapshot = std::find(mode.base(), sent.end(), request);
    ASSERT_NE(snapshot, sent.end());
    const auto copyStart = snapshot + 3;  // the request's three messages
    const auto readBack = std::find(copyStart, sent.end(), request);
    ASSERT_NE(readBack, sent.end());
    const auto parameterChanges = std::count_if(copyStart, readBack, [](const std::string& line) {
        return line.rfind("> F0 43 10 7F 00 ", 0) == 0;
    });
    EXPECT_EQ(std::distance(copyStart, readBack), 185);
    EXPECT_EQ(parameterChanges, 185);
}

TEST(Cli, EveryInstrumentCopiesToEachDestinationItOffers) {
    for (const Instrument& instrument : kInstruments) {
        const bool rack = std::string(instrument.model) == "Motif Rack";
        const bool s90 = std::string(instrument.model) == "S90";
        if (!rack) {
            CliRig rig;
            EXPECT_EQ(rig.run({"--device", instrument.device, "copy", "--voice", "PRE2:C07", "--to",
                               "performance:A02", "--part", "4", "--ins-fx"}),
                      0)
                << instrument.model << rig.err.str();
            EXPECT_TRUE(
                hasLine(rig.lines(rig.out), "Copied PRE2:C07 into part 4 of performance A02"));
        }
        if (!s90) {
            CliRig rig;
            EXPECT_EQ(rig.run({"--device", instrument.device, "copy", "--voice", "GM:H16", "--to",
                               "mix", "--part", "16", "--sys-fx"}),
                      0)
                << instrument.model << rig.err.str();
            const auto out = rig.lines(rig.out);
            EXPECT_TRUE(hasLine(out, "Please, select song number in your synth, now!"));
            EXPECT_TRUE(hasLine(out, "Copied GM:H16 into part 16 of the song mix"));
        }
    }
}

TEST(Cli, DestinationsTheModelLacksAndUnknownBanksSendNoCopy) {
    {
        CliRig rig;
        EXPECT_EQ(rig.run({"--device", "S90", "copy", "--voice", "PRE1:A01", "--to", "mix",
                           "--part", "1"}),
                  1);
        EXPECT_NE(rig.err.str().find("no song mix"), std::string::npos);
        EXPECT_EQ(rig.trace.str().find("> F0 43 10 6B 37"), std::string::npos);
    }
    {
        CliRig rig;
        EXPECT_EQ(rig.run({"--device", "Rack", "copy", "--voice", "PRE1:A01", "--to",
                           "performance:A01", "--part", "1"}),
                  1);
        EXPECT_NE(rig.err.str().find("no performances"), std::string::npos);
    }
    {
        CliRig rig;  // PRE6 exists only on the ES family
        EXPECT_EQ(rig.run({"--device", "Motif 7", "voice", "PRE6:A01"}), 1);
        EXPECT_NE(rig.err.str().find("no bank PRE6"), std::string::npos);
    }
}

std::vector<std::string> sentLines(const CliRig& rig) {
    std::vector<std::string> sent;
    for (const std::string& line : rig.lines(rig.trace)) {
        if (line.rfind("> ", 0) == 0) {
            sent.push_back(line);
        }
    }
    return sent;
}

bool startsAnyLine(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

TEST(Cli, ACommandWhoseMessagesCannotAllBeSentEndsWithExitFour) {
    auto identityRequest = [](const Bytes& m) { return m.size() > 1 && m[1] == 0x7E; };
    auto dumpRequest = [](const Bytes& m) { return m.size() > 2 && m[1] == 0x43 && m[2] == 0x20; };
    const std::pair<std::vector<std::string>, FailingSends::Rule> cases[] = {
        {{"identify"}, identityRequest},
        {{"voice", "PRE1:A01"}, dumpRequest},
        {{"performance", "A01"}, dumpRequest},
    };
    for (const auto& [command, rule] : cases) {
        CliRig rig;
        rig.failing.failWhen(rule);
        std::vector<std::string> args{"--device", "Motif ES7"};
        args.insert(args.end(), command.begin(), command.end());
        EXPECT_EQ(rig.run(args), 4) << command[0];
        EXPECT_GT(rig.failing.failures(), 0) << command[0];
        EXPECT_NE(rig.err.str().find("not every message could be sent"), std::string::npos)
            << command[0];
    }
}

// Writes into part 3 fail: the copy stops at the first failure, says how many of its messages
// went out, is not reported as done, and the performance is not asked for.
TEST(Cli, ACopyWithFailedSendsStopsAtTheFirstAndSaysHowManyWentOut) {
    CliRig rig;
    rig.failing.failWhen([](const Bytes& m) {
        return m.size() > 7 && m[2] == 0x10 && m[5] == 0x31 && m[6] == 0x02;
    });
    EXPECT_EQ(rig.run({"--device", "Motif ES7", "copy", "--voice", "PRE1:A01", "--to",
                       "performance:B16", "--part", "3", "--sys-fx", "--ins-fx", "--name"}),
              4);
    const auto sent = sentLines(rig);
    const auto mode = std::find(sent.rbegin(), sent.rend(), "> F0 43 10 7F 00 0A 00 01 01 F7");
    ASSERT_NE(mode, sent.rend());
    // After the mode change the destination is kept (a request of three messages), then the
    // copy goes out until its first message into part 3.
    const auto attempted = std::distance(mode.base(), sent.end()) - 3;
    EXPECT_EQ(sent.back().rfind("> F0 43 10 7F 00 31 02 00 ", 0), 0u);
    EXPECT_EQ(rig.failing.failures(), 1);
    const auto out = rig.lines(rig.out);
    EXPECT_TRUE(hasLine(out, "Sent " + std::to_string(attempted - 1) + " of 185 messages"))
        << rig.out.str();
    EXPECT_FALSE(startsAnyLine(out, "Copied"));
    const auto err = rig.lines(rig.err);
    EXPECT_EQ(
        std::count_if(err.begin(), err.end(),
                      [](const std::string& line) { return line.rfind("MIDI Out Error", 0) == 0; }),
        1)
        << rig.err.str();
}

// The third part's 0D (its level: 7F for the destination) is lost once on the way. The check
// finds it, the copy goes again, and only the second check, clean, is reported.
TEST(Cli, ALostValueIsSentAgainAndOnlyTheCleanCheckIsReported) {
    CliRig rig;
    VirtualInstrument& instrument = *rig.virtualDevices.instrument(0);
    ASSERT_NE(instrument.userPerformance(31).at(0x310200)[0x0D], 0x7F);
    instrument.dropParameterChangesTo(0x31020D, 1);
    ASSERT_EQ(rig.run({"--device", "Motif ES7", "copy", "--voice", "PRE1:A01", "--to",
                       "performance:B16", "--part", "3", "--sys-fx", "--ins-fx", "--name"}),
              0)
        << rig.err.str();
    const auto out = rig.lines(rig.out);
    const auto verified = std::count_if(out.begin(), out.end(), [](const std::string& line) {
        return line.rfind("Verified ", 0) == 0;
    });
    EXPECT_EQ(verified, 1) << rig.out.str();
    EXPECT_FALSE(startsAnyLine(out, "1 value differs"));
    EXPECT_TRUE(hasLine(out, "Sent the copy a second time"));
    EXPECT_TRUE(hasLine(out, "Copied PRE1:A01 into part 3 of performance B16"));
    EXPECT_EQ(instrument.block(0x310200).value()[0x0D], 0x7F);
    EXPECT_EQ(instrument.ignored().dropped, 1);
}

TEST(Cli, VerifyNamesAValueTheInstrumentNeverTakes) {
    CliRig rig;
    VirtualInstrument& instrument = *rig.virtualDevices.instrument(0);
    ASSERT_NE(instrument.userPerformance(31).at(0x310200)[0x0D], 0x7F);
    instrument.dropParameterChangesTo(0x31020D, -1);
    EXPECT_EQ(rig.run({"--device", "Motif ES7", "copy", "--voice", "PRE1:A01", "--to",
                       "performance:B16", "--part", "3", "--verify"}),
              5);
    EXPECT_TRUE(hasLine(rig.lines(rig.out), "Sent the copy a second time"));
    EXPECT_NE(rig.err.str().find("did not take 1 of the "), std::string::npos) << rig.err.str();
    EXPECT_NE(rig.err.str().find("31 02 0D sent 7F, found "), std::string::npos) << rig.err.str();
    EXPECT_EQ(instrument.ignored().dropped, 2);
}

TEST(Cli, DeviceChoicesThatDoNotExistAreUsageErrors) {
    CliRig rig;
    EXPECT_EQ(rig.run({"--in", "4", "identify"}), 1);
    EXPECT_EQ(rig.run({"--out", "99", "identify"}), 1);
    EXPECT_EQ(rig.run({"--device", "Motif XS", "identify"}), 1);
    EXPECT_TRUE(rig.trace.str().empty());  // nothing was opened or sent
}

TEST(Cli, SilentInstrumentIsNotConnectedAndATimeout) {
    CliRig rig;
    rig.virtualDevices.instrument(1)->setSilent(true);
    EXPECT_EQ(rig.run({"--device", "Motif 7", "--timeout", "200", "identify"}), 3);
    EXPECT_EQ(rig.lines(rig.out), std::vector<std::string>{"Not connected"});
}

// A voice dump whose first data block is broken has ended once its footer is in: the command
// says what went wrong then, rather than waiting out its time-out and calling it one.
TEST(Cli, ADamagedAnswerIsSaidAtOnce) {
    for (const bool truncate : {false, true}) {
        CliRig rig;
        VirtualInstrument& instrument = *rig.virtualDevices.instrument(0);
        if (truncate) {
            instrument.truncateNextBlocks(1);
        } else {
            instrument.corruptNextBlocks(1);
        }
        EXPECT_EQ(rig.run({"--device", "Motif ES7", "--timeout", "600000", "voice", "PRE1:A01"}),
                  3);
        EXPECT_EQ(rig.lines(rig.out).back(), "The instrument's answer arrived damaged");
        EXPECT_TRUE(hasLine(rig.lines(rig.err), "tessaline-cli: Bulk Receive Error"))
            << rig.err.str();
    }
}

TEST(Cli, StoredDeviceNumbersAreUsedWithoutOptions) {
    CliRig rig;
    rig.stored.writeInt("", "MIDI Device In", 2);
    rig.stored.writeInt("", "MIDI Device Out", 2);
    ASSERT_EQ(rig.run({"identify"}), 0);
    EXPECT_EQ(rig.lines(rig.out).back(), "Motif Rack connected");
}

// Microseconds the clock moved beyond its whole-millisecond waits: the time spent pacing.
std::int64_t pacedUs(RecordingClock& clock) {
    const auto waits = clock.waits();
    return clock.nowUs() - std::int64_t{1000} * std::accumulate(waits.begin(), waits.end(), 0);
}

TEST(Cli, PaceOverridesTheSpeedStoredForTheModel) {
    // The virtual instrument needs no pacing unless a speed is stored for its model.
    const std::vector<std::string> voice = {"--device", "Motif ES7", "voice", "PRE1:A01"};
    CliRig unpaced;
    ASSERT_EQ(unpaced.run(voice), 0);
    EXPECT_EQ(pacedUs(unpaced.clock), 0);

    CliRig stored;
    writeSendSpeed(stored.stored, "Motif ES7", SendSpeed::pause(100));
    ASSERT_EQ(stored.run(voice), 0);
    EXPECT_GT(pacedUs(stored.clock), 0);

    CliRig fast;
    writeSendSpeed(fast.stored, "Motif ES7", SendSpeed::pause(100));
    std::vector<std::string> args = {"--pace", "fast"};
    args.insert(args.end(), voice.begin(), voice.end());
    ASSERT_EQ(fast.run(args), 0);
    EXPECT_EQ(pacedUs(fast.clock), 0);
}

}  // namespace
}  // namespace tessaline::test

namespace tessaline::test {
namespace {

// The performance edit buffer, block by block, as the instrument holds it now.
BlockMap editBuffer(const VirtualInstrument& instrument, const BlockMap& like) {
    BlockMap now;
    for (const auto& [address, bytes] : like) {
        now[address] = instrument.block(address).value_or(std::vector<unsigned char>{});
    }
    return now;
}

// Undo takes back every value a copy wrote, and only while the copy is still there; a restore of
// a saved performance brings back every value of it.
TEST(Cli, UndoAndRestoreBringTheDestinationBack) {
    CliRig rig;
    const VirtualInstrument& instrument = *rig.virtualDevices.instrument(0);
    const std::vector<std::string> device{"--device", "Motif ES7"};
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), device.begin(), device.end());
        return rig.run(args);
    };
    const BlockMap b16 = instrument.userPerformance(31);
    ASSERT_EQ(run({"copy", "--voice", "PRE2:C07", "--to", "performance:B16", "--part", "2",
                   "--sys-fx", "--ins-fx", "--name"}),
              0)
        << rig.err.str();
    ASSERT_NE(editBuffer(instrument, b16), b16);
    EXPECT_EQ(run({"undo"}), 0) << rig.err.str();
    EXPECT_EQ(editBuffer(instrument, b16), b16);

    // Another performance selected since: the copy is gone from the edit buffer, and undo
    // leaves it alone.
    ASSERT_EQ(run({"copy", "--voice", "PRE2:C07", "--to", "performance:B16", "--part", "2"}), 0);
    ASSERT_EQ(run({"performance", "A01"}), 0);
    const BlockMap a01 = editBuffer(instrument, b16);
    EXPECT_EQ(run({"undo"}), 1);
    EXPECT_NE(rig.err.str().find("The instrument no longer holds that copy; nothing was changed."),
              std::string::npos)
        << rig.err.str();
    EXPECT_EQ(editBuffer(instrument, b16), a01);

    const std::string file = (rig.dataFolder.path / "a02.syx").string();
    ASSERT_EQ(run({"backup", "--to", "performance:A02", "--out", file}), 0) << rig.err.str();
    ASSERT_EQ(
        run({"copy", "--voice", "GM:A01", "--to", "performance:A02", "--part", "4", "--no-backup"}),
        0);
    EXPECT_EQ(run({"restore", file}), 0) << rig.err.str();
    EXPECT_EQ(editBuffer(instrument, b16), instrument.userPerformance(1));
}

}  // namespace
}  // namespace tessaline::test
