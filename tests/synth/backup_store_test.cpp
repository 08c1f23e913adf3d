#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "synth/BackupStore.h"
#include "synth/DestinationDumpFile.h"
#include "tests/synth/SynthRig.h"

namespace tessaline {
namespace {

namespace fs = std::filesystem;
using test::bulkBlock;
using test::Bytes;
using test::pattern;

struct SimulatedCrash {};

const std::vector<Bytes> kMix{bulkBlock({0x7F, 0x00}, 0x0E5F00, {}),
                              bulkBlock({0x7F, 0x00}, 0x370300, pattern(64)),
                              bulkBlock({0x7F, 0x00}, 0x0F5F00, {})};
const auto kNoon = std::chrono::system_clock::from_time_t(1'800'000'000);

class BackupStoreTest : public testing::Test {
  protected:
    void SetUp() override {
        home_ = fs::path(testing::TempDir()) /
                ("backups-" +
                 std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(home_);
    }
    void TearDown() override { fs::remove_all(home_); }

    std::vector<fs::path> filesIn(const fs::path& folder) const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder)) {
            files.push_back(entry.path().filename());
        }
        return files;
    }

    fs::path home_;
};

TEST_F(BackupStoreTest, ACrashBeforeTheRenameLeavesNoBackup) {
    const BackupStore crashing(
        home_, [](const fs::path&, const fs::path&) -> std::error_code { throw SimulatedCrash{}; });
    EXPECT_THROW(crashing.save("Motif ES7", "song-mix", kMix, kNoon), SimulatedCrash);

    // Only the temporary file is there, and nobody takes it for a backup.
    const fs::path folder = home_ / "backups" / "Motif ES7";
    const std::vector<fs::path> left = filesIn(folder);
    ASSERT_EQ(left.size(), 1U);
    EXPECT_TRUE(isTemporaryFileName(left[0].string())) << left[0];
    const BackupStore store(home_);
    EXPECT_FALSE(store.newest("Motif ES7"));

    const SavedBackup saved = store.save("Motif ES7", "song-mix", kMix, kNoon);
    ASSERT_TRUE(saved.ok()) << saved.error;
    EXPECT_EQ(store.newest("Motif ES7"), saved.path);
    const DumpFileResult read = readDestinationDumpFile(saved.path, *findModelByName("Motif ES7"));
    ASSERT_TRUE(read.dump) << read.error;
    EXPECT_EQ(read.dump->messages, kMix);
}

TEST_F(BackupStoreTest, ASecondSaveInTheSameSecondGetsTheNextNumber) {
    const BackupStore store(home_);
    const fs::path first = store.save("Motif ES7", "performance-B16", kMix, kNoon).path;
    const fs::path second = store.save("Motif ES7", "performance-B16", kMix, kNoon).path;
    EXPECT_TRUE(first.filename().string().ends_with("_performance-B16.syx")) << first;
    EXPECT_EQ(second.filename().string(),
              first.filename().string().substr(0, 19) + "_performance-B16-2.syx");
    EXPECT_EQ(store.newest("Motif ES7"), second);
}

TEST_F(BackupStoreTest, TheSaveBeyondTheLimitRemovesTheOldestWithItsRecord) {
    // Backups of earlier runs, a minute apart and written in no particular order.
    const fs::path folder = home_ / "backups" / "Motif 7";
    fs::create_directories(folder);
    std::vector<fs::path> earlier;
    for (std::size_t i = 0; i < BackupStore::kKeptPerModel; ++i) {
        char name[40];
        std::snprintf(name, sizeof name, "2020-01-01_%02zu-%02zu-00_song-mix.syx", i / 60, i % 60);
        earlier.push_back(folder / name);
    }
    for (std::size_t i = earlier.size(); i-- > 0;) {
        std::ofstream(earlier[i]) << "F0";
        std::ofstream(recordPathOf(earlier[i])) << "{}";
    }
    const BackupStore store(home_);
    const SavedBackup last = store.save("Motif 7", "song-mix", kMix, kNoon);
    ASSERT_TRUE(last.ok()) << last.error;

    EXPECT_FALSE(fs::exists(earlier[0]));
    EXPECT_FALSE(fs::exists(recordPathOf(earlier[0])));
    EXPECT_TRUE(fs::exists(earlier[1]));
    EXPECT_TRUE(fs::exists(recordPathOf(earlier[1])));
    EXPECT_EQ(store.backups("Motif 7").size(), BackupStore::kKeptPerModel);
    EXPECT_EQ(store.newest("Motif 7"), last.path);
}

TEST_F(BackupStoreTest, AFailedSaveNamesThePath) {
    fs::create_directories(home_);
    std::ofstream(home_ / "backups") << "not a folder";
    const SavedBackup saved = BackupStore(home_).save("Motif ES7", "song-mix", kMix, kNoon);
    EXPECT_FALSE(saved.ok());
    EXPECT_NE(saved.error.find((home_ / "backups").string()), std::string::npos) << saved.error;
}

}  // namespace
}  // namespace tessaline
