#include <gtest/gtest.h>

#include "tools/cli/CliOptions.h"

namespace tessaline::cli {
namespace {

ParseResult parse(std::vector<std::string> args) {
    return parseCommandLine(args);
}

TEST(CliOptions, VoiceAndProgramTexts) {
    auto voice = parseVoiceSpec("user2:h16");
    ASSERT_TRUE(voice);
    EXPECT_EQ(voice->bank, "USER2");
    EXPECT_EQ(voice->program(), 127);
    auto gm = parseVoiceSpec("GM:C05");
    ASSERT_TRUE(gm);
    EXPECT_EQ(gm->program(), 2 * 16 + 4);
    for (const char* bad :
         {"PRE1A01", ":A01", "PRE1:I01", "PRE1:A00", "PRE1:A17", "PRE1:A1", "PRE1:A011"}) {
        EXPECT_FALSE(parseVoiceSpec(bad)) << bad;
    }
}

TEST(CliOptions, OptionsBeforeTheCommand) {
    auto r = parse({"--in", "2", "--out", "3", "--timeout", "500", "--trace", "identify"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.command, Command::Identify);
    EXPECT_EQ(*r.options.inDevice, 2);
    EXPECT_EQ(*r.options.outDevice, 3);
    EXPECT_EQ(r.options.timeoutMs, 500);
    EXPECT_TRUE(r.options.trace);

    EXPECT_NE(parse({"identify", "--trace"}).error, "");
    EXPECT_NE(parse({"--in", "x", "identify"}).error, "");
    EXPECT_NE(parse({"--in", "-1", "identify"}).error, "");
    EXPECT_NE(parse({"--out", "", "identify"}).error, "");
    // A time-out no instrument could meet, or one nobody would wait for.
    EXPECT_NE(parse({"--timeout", "99", "identify"}).error, "");
    EXPECT_EQ(parse({"--timeout", "100", "identify"}).error, "");
    EXPECT_EQ(parse({"--timeout", "600000", "identify"}).error, "");
    EXPECT_NE(parse({"--timeout", "600001", "identify"}).error, "");
    EXPECT_NE(parse({"--device"}).error, "");
    EXPECT_NE(parse({}).error, "");
    EXPECT_NE(parse({"dance"}).error, "");
}

TEST(CliOptions, CopyToAPerformance) {
    auto r =
        parse({"--device", "Motif ES7", "copy", "--voice", "PRE1:A01", "--to", "performance:B16",
               "--part", "3", "--sys-fx", "--ins-fx", "--name", "--verify"});
    ASSERT_EQ(r.error, "");
    const CopySpec& c = r.options.copy;
    EXPECT_EQ(*r.options.deviceText, "Motif ES7");
    EXPECT_EQ(c.destination, Destination::Performance);
    EXPECT_EQ(c.performance.program(), 16 + 15);
    EXPECT_EQ(c.part, 3);
    EXPECT_TRUE(c.sysFx && c.insFx && c.name && c.verify && c.backup);
}

// A copy is checked and backed up unless the user says otherwise.
TEST(CliOptions, CopyChecksAndKeepsABackupByDefault) {
    const std::vector<std::string> copy{"copy", "--voice", "PRE1:A01", "--to",
                                        "mix",  "--part",  "1"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = copy;
        args.insert(args.end(), extra.begin(), extra.end());
        return parse(args);
    };
    const CopySpec plain = with({}).options.copy;
    EXPECT_TRUE(plain.verify && plain.backup);
    const CopySpec bare = with({"--no-verify", "--no-backup"}).options.copy;
    EXPECT_FALSE(bare.verify || bare.backup);
    EXPECT_NE(with({"--verify", "--no-verify"}).error, "");
}

TEST(CliOptions, UndoBackupAndRestore) {
    EXPECT_EQ(parse({"undo"}).options.command, Command::Undo);
    EXPECT_NE(parse({"undo", "now"}).error, "");

    auto r = parse({"backup", "--to", "performance:a02", "--out", "old.syx"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.command, Command::Backup);
    EXPECT_EQ(r.options.backup.destination, Destination::Performance);
    EXPECT_EQ(r.options.backup.performance.program(), 1);
    EXPECT_EQ(r.options.backup.out, "old.syx");
    r = parse({"backup", "--to", "mix"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.backup.destination, Destination::SongMix);
    EXPECT_FALSE(r.options.backup.out);

    r = parse({"restore", "kept.syx"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.command, Command::Restore);
    EXPECT_EQ(r.options.restoreFile, "kept.syx");
    EXPECT_EQ(parse({"restore", std::string(kMaxPathLength, 'f')}).error, "");

    const std::string tooLong(kMaxPathLength + 1, 'f');
    const std::vector<std::vector<std::string>> bad = {
        {"backup"},
        {"backup", "--out", "a.syx"},
        {"backup", "--to", "song"},
        {"backup", "--to", "performance:I01"},
        {"backup", "--to", "mix", "--out"},
        {"backup", "--to", "mix", "--out", ""},
        {"backup", "--to", "mix", "--out", tooLong},
        {"backup", "--to", "mix", "--part", "1"},
        {"restore"},
        {"restore", "a.syx", "b.syx"},
        {"restore", ""},
        {"restore", "--verify"},
        {"restore", tooLong},
    };
    for (const auto& args : bad) {
        EXPECT_NE(parse(args).error, "") << args.size() << " words, " << args.back();
    }
}

TEST(CliOptions, CopyRejectsWhatCannotBeSent) {
    // Part ranges follow the destination.
    EXPECT_NE(
        parse({"copy", "--voice", "PRE1:A01", "--to", "performance:A01", "--part", "5"}).error, "");
    EXPECT_NE(parse({"copy", "--voice", "PRE1:A01", "--to", "mix", "--part", "0"}).error, "");
    EXPECT_EQ(parse({"copy", "--voice", "PRE1:A01", "--to", "mix", "--part", "16"}).error, "");
    EXPECT_NE(parse({"copy", "--voice", "PRE1:A01", "--to", "mix", "--part", "17"}).error, "");
    // A mix part has no name to copy.
    EXPECT_NE(parse({"copy", "--voice", "PRE1:A01", "--to", "mix", "--part", "1", "--name"}).error,
              "");
    EXPECT_NE(parse({"copy", "--voice", "PRE1", "--to", "mix", "--part", "1"}).error, "");
    EXPECT_NE(parse({"copy", "--voice", "PRE1:A01", "--to", "song", "--part", "1"}).error, "");
    EXPECT_NE(parse({"copy", "--voice", "PRE1:A01", "--part", "1"}).error, "");
}

TEST(CliOptions, PaceTakesCableFastOrAPauseOfOneToAHundredMs) {
    const std::pair<const char*, SendSpeed> good[] = {{"cable", SendSpeed::cable()},
                                                      {"fast", SendSpeed::fast()},
                                                      {"1", SendSpeed::pause(1)},
                                                      {"100", SendSpeed::pause(100)}};
    for (const auto& [text, speed] : good) {
        auto r = parse({"--pace", text, "identify"});
        ASSERT_EQ(r.error, "") << text;
        EXPECT_EQ(r.options.pace, speed) << text;
    }
    EXPECT_FALSE(parse({"identify"}).options.pace);
    for (const char* bad : {"0", "101", "10ms", "-5", "+5", "", "Fast", "1.5", "0010"}) {
        const std::string error = parse({"--pace", bad, "identify"}).error;
        EXPECT_EQ(error, std::string("--pace needs cable, fast or a pause of 1 to 100 ms (a whole "
                                     "number), not ") +
                             bad)
            << bad;
    }
    EXPECT_NE(parse({"--pace"}).error, "");
}

}  // namespace
}  // namespace tessaline::cli
