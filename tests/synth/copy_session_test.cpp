// The copy session against a scripted instrument whose every answer the test hands over: which
// voice a copy takes, which answers it compares, and what it calls a check.
#include <gtest/gtest.h>

#include <algorithm>

#include "synth/CopySession.h"
#include "tests/synth/SynthRig.h"

namespace tessaline::test {
namespace {

const Bytes kModelId{0x7F, 0x00};  // Motif ES7
constexpr int kVoiceSizes[] = {82, 17, 36, 37};
constexpr int kPart2 = 0x310100;

class CopySessionTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(rig.device.open(0), 1);
        rig.deliver(identityReply(0x6A, 0x05));
        rig.midi.clearRecords();
    }

    // A whole voice dump whose blocks count up from `first`.
    void answerVoice(int first) {
        rig.deliver(bulkBlock(kModelId, 0x0E0F00, {}));
        for (int i = 0; i < 4; ++i) {
            rig.deliver(
                bulkBlock(kModelId, kVoiceBlockAddresses[i], pattern(kVoiceSizes[i], first)));
        }
        rig.deliver(bulkBlock(kModelId, 0x0F0F00, {}));
    }

    // The performance edit buffer as the instrument holds it after `written`, every block whole
    // unless `damaged` names one, which then goes out with a wrong checksum.
    void answerPerformance(const WrittenValues& written, int damaged = -1) {
        rig.deliver(bulkBlock(kModelId, 0x0E4F00, {}));
        for (const BlockSpan& span : destinationBlocks(FamilyMotifES, kModePerformance)) {
            Bytes data(static_cast<std::size_t>(span.size), 0);
            for (int i = 0; i < span.size; ++i) {
                if (auto value = written.find(span.address + i); value != written.end()) {
                    data[static_cast<std::size_t>(i)] = value->second;
                }
            }
            Bytes block = bulkBlock(kModelId, span.address, data);
            if (span.address == damaged) {
                block[block.size() - 2] ^= 0x01;
            }
            rig.deliver(block);
        }
        rig.deliver(bulkBlock(kModelId, 0x0F4F00, {}));
    }

    // Parameter changes into the destination's part 2 sent since the records were cleared.
    std::size_t writesToPart2() const {
        const auto sent = rig.midi.sentLong();
        return static_cast<std::size_t>(std::count_if(sent.begin(), sent.end(), [](const Bytes& m) {
            return m.size() > 8 && m[2] == 0x10 && m[5] == 0x31 && m[6] == 0x01;
        }));
    }

    CopySession start(int program, SessionOptions options = {}) {
        WriteJob job;
        job.choice = {kModePerformance, 0, program, 1, false, false, false};
        CopySession session(rig.device, job, options);
        session.begin();
        session.advance();
        return session;
    }

    SynthRig rig;
};

// The user picked voice 1, then voice 5, and pressed Execute before voice 5 arrived: the copy
// waits for it, writes nothing meanwhile, and then writes voice 5 whole.
TEST_F(CopySessionTest, TheCopyTakesTheVoiceSelectedNotTheOneThatLastArrived) {
    rig.device.selectVoice(0, 1);
    answerVoice(10);
    rig.device.selectVoice(0, 5);
    CopySession session = start(5);
    session.advance();
    EXPECT_TRUE(session.running());
    EXPECT_EQ(writesToPart2(), 0u);

    answerVoice(60);  // the answer to the request for voice 5
    session.advance();
    ASSERT_GT(writesToPart2(), 0u);
    // P+0x0E carries C[0x35] of the voice that was chosen.
    EXPECT_EQ(session.expected().at(kPart2 + 0x0E), (60 + 0x35) & 0x7F);
    EXPECT_EQ(session.expected().at(kPart2 + 0x02), 5);
}

// A voice that never comes whole: after a second the selection goes again, and after the time-out
// nothing has been written.
TEST_F(CopySessionTest, AVoiceThatNeverArrivesWritesNothing) {
    CopySession session = start(7);
    const std::size_t requests = rig.midi.sentLong().size();
    rig.clock.advanceUs(1'000'000);
    session.advance();
    EXPECT_GT(rig.midi.sentLong().size(), requests);  // asked again
    rig.deliver(bulkBlock(kModelId, 0x0E0F00, {}));
    rig.deliver(bulkBlock(kModelId, kVoiceBlockAddresses[0], pattern(kVoiceSizes[0])));
    rig.deliver(bulkBlock(kModelId, 0x0F0F00, {}));  // three blocks short of a voice
    rig.clock.advanceUs(3'100'000);
    session.advance();
    EXPECT_EQ(session.result().outcome, SessionOutcome::SourceMissing);
    EXPECT_EQ(writesToPart2(), 0u);
}

// What the answer shows decides, and only an answer to the session's own request after its last
// write counts: a damaged block is asked for once more, and values it alone holds are never
// called verified.
TEST_F(CopySessionTest, OnlyAnIntactAnswerToItsOwnRequestIsAChecked) {
    struct Case {
        const char* name;
        int firstDamaged;   // block damaged in the first answer, -1 none
        int secondDamaged;  // and in the second
        SessionOutcome outcome;
    };
    for (const Case& c : {Case{"intact", -1, -1, SessionOutcome::Checked},
                          Case{"mended", kPart2, -1, SessionOutcome::Checked},
                          Case{"damaged twice", kPart2, kPart2, SessionOutcome::Unchecked}}) {
        SCOPED_TRACE(c.name);
        SetUp();
        rig.device.selectVoice(0, 3);
        answerVoice(20);
        rig.device.selectPerformance(31);  // the window's own request, answered late
        CopySession session = start(3);
        ASSERT_GT(writesToPart2(), 0u);
        // An answer to a request made before the session is not its answer.
        answerPerformance({});
        session.advance();
        ASSERT_TRUE(session.running());

        answerPerformance(session.expected(), c.firstDamaged);
        session.advance();
        if (c.firstDamaged >= 0) {
            ASSERT_TRUE(session.running());
            answerPerformance(session.expected(), c.secondDamaged);
            session.advance();
        }
        EXPECT_EQ(session.result().outcome, c.outcome);
        EXPECT_FALSE(session.result().sentTwice);
        const ReadBackResult& check = session.result().check;
        if (c.outcome == SessionOutcome::Unchecked) {
            EXPECT_GT(check.unchecked, 0);
            EXPECT_EQ(check.missingBlocks, std::vector<int>{kPart2});
            EXPECT_NE(uncheckedText(check).find("31 01 00"), std::string::npos);
        } else {
            EXPECT_EQ(check.checked, check.values);
        }
    }
}

}  // namespace
}  // namespace tessaline::test
