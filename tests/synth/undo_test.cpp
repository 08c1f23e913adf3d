#include <gtest/gtest.h>

#include <filesystem>

#include "synth/CopyRecord.h"
#include "synth/UndoPlan.h"

namespace tessaline {
namespace {

// The destination before the copy: the common block's first bytes and one part block.
const std::vector<ReceivedBlock> kBackup{{0x300000, {0x41, 0x42, 0x43, 0x44, 0x45}},
                                         {0x310100, {0x10, 0x11, 0x12, 0x13, 0x14, 0x15}}};

// One byte, two bytes, four bytes, and an address written twice.
const CopyPlan kCopy{{0x310101, {0x7F}},
                     {0x310102, {0x01, 0x02}},
                     {0x300000, {0x61, 0x62, 0x63, 0x64}},
                     {0x310101, {0x20}}};

TEST(PlanUndo, GivesTheOldBytesInTheCopysMessageShapes) {
    const UndoPlan undo = planUndo(kCopy, kBackup);
    ASSERT_TRUE(undo.ok()) << undo.error;
    const CopyPlan expected{{0x310101, {0x11}},
                            {0x310102, {0x12, 0x13}},
                            {0x300000, {0x41, 0x42, 0x43, 0x44}},
                            {0x310101, {0x11}}};
    EXPECT_EQ(undo.messages, expected);
}

TEST(PlanUndo, IsImpossibleWhereTheBackupHoldsNoOldValue) {
    // The second byte runs one past the part block.
    const UndoPlan undo = planUndo({{0x310105, {0x01, 0x02}}}, kBackup);
    EXPECT_FALSE(undo.ok());
    EXPECT_TRUE(undo.messages.empty());
    EXPECT_EQ(undo.error, "The backup does not hold address 31 01 06, which the copy wrote.");
}

TEST(StillHoldsCopy, OnlyWhileEveryWrittenValueIsThere) {
    const WrittenValues written = writtenValues(kCopy);
    std::vector<ReceivedBlock> current{{0x300000, {0x61, 0x62, 0x63, 0x64, 0x45}},
                                       {0x310100, {0x10, 0x20, 0x01, 0x02, 0x14, 0x15}}};
    EXPECT_TRUE(stillHoldsCopy(written, current));

    current[1].data[3] = 0x03;  // the user turned one knob
    EXPECT_FALSE(stillHoldsCopy(written, current));

    current[1].data.resize(3);  // the part block came back short: not proof either
    current[1].data[2] = 0x01;
    EXPECT_FALSE(stillHoldsCopy(written, current));
    EXPECT_FALSE(stillHoldsCopy({}, current));
}

TEST(CopyRecordFile, ReadsBackWhatWasWritten) {
    const CopyRecord record{"Motif \"ES7\"", DestinationKind::Performance, "B16", 3, kCopy};
    const std::filesystem::path path =
        std::filesystem::path(testing::TempDir()) / "copy-record-test.json";
    ASSERT_EQ(writeCopyRecord(path, record), "");
    const RecordResult read = readCopyRecord(path);
    std::filesystem::remove(path);
    ASSERT_TRUE(read.record) << read.error;
    EXPECT_EQ(*read.record, record);

    const CopyRecord mix{"Motif ES7", DestinationKind::SongMix, "", 16, kCopy};
    EXPECT_EQ(copyRecordFromJson(copyRecordToJson(mix)).record, mix);

    // Nothing is written that could not be read back at the undo.
    const CopyRecord unreadable{"Motif ES7", DestinationKind::Performance, "b16", 3, kCopy};
    EXPECT_NE(writeCopyRecord(path, unreadable), "");
    EXPECT_FALSE(std::filesystem::exists(path));
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

TEST(CopyRecordFile, RefusesADamagedRecordWithItsReason) {
    const std::string good =
        copyRecordToJson({"S90", DestinationKind::Performance, "A01", 4, kCopy});
    const std::pair<std::string, std::string> damaged[] = {
        {good.substr(0, good.size() / 2), "at byte"},
        {std::string(200, '[') + std::string(200, ']'), "nested too deeply"},
        {"{\"model\": \"S90\"}", "destination"},
        {replaced(good, "\"part\": 4", "\"part\": 5"), "part is not 1 to 4"},
        {replaced(good, "31 01 01", "31 01 8G"), "message 1 has no address"},
        {"{\"model\": 1e9}", "not whole"},
    };
    for (const auto& [text, reason] : damaged) {
        const RecordResult result = copyRecordFromJson(text);
        EXPECT_FALSE(result.record) << text;
        EXPECT_NE(result.error.find(reason), std::string::npos) << result.error;
    }
}

}  // namespace
}  // namespace tessaline
