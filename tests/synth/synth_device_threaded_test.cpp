#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/synth/SynthRig.h"

namespace tessaline::test {
namespace {

const Bytes kIdentityRequest{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7};
const Bytes kEsModelId{0x7F, 0x00};

Bytes voiceCommon(const std::string& name, unsigned char category) {
    Bytes bytes(82, 0);
    std::copy(name.begin(), name.end(), bytes.begin());
    bytes[12] = category;
    return bytes;
}

// An ES7 at the other end: answers the Identity Request and the voice dump request.
class Instrument : public testing::Test {
  protected:
    void SetUp() override {
        rig.midi.onLongSent([this](const Bytes& message) {
            if (message == kIdentityRequest) {
                rig.midi.inject(identityReply(0x6A, 0x05));
            } else if (message == Bytes{0xF0, 0x43, 0x20, 0x7F, 0x00, 0x0F, 0x0F, 0x00, 0xF7}) {
                rig.midi.inject(bulkBlock(kEsModelId, 0x0E0F00, {}));
                rig.midi.inject(bulkBlock(kEsModelId, 0x407000, voiceCommon("Full Grand", 1)));
                rig.midi.inject(bulkBlock(kEsModelId, 0x400000, pattern(17)));
                rig.midi.inject(bulkBlock(kEsModelId, 0x400100, pattern(36)));
                rig.midi.inject(bulkBlock(kEsModelId, 0x400200, pattern(37)));
                rig.midi.inject(bulkBlock(kEsModelId, 0x0F0F00, {}));
            }
        });
    }
    SynthRig rig;
};

TEST_F(Instrument, IdentifiesAndReceivesTheSelectedVoiceThroughTheCallbackThread) {
    ASSERT_EQ(rig.device.open(1), 1);
    ASSERT_TRUE(rig.notices.waitFor(WM_SYNTH_IDENTIFIED, 2000).has_value());
    EXPECT_EQ(rig.device.deviceName(), "Motif ES7");
    EXPECT_EQ(rig.device.isConnected(), 1);

    rig.device.selectVoice(0, 0);
    ASSERT_TRUE(rig.notices.waitFor(WM_VOICE_RECEIVED, 2000).has_value());
    ASSERT_TRUE(rig.midi.waitDelivered());
    EXPECT_EQ(rig.device.formatVoiceLine(0, 0, 0), " PRE1:001(A01) Ap:Full Grand");
    EXPECT_EQ(rig.device.voiceBlockCounts(), (std::array<unsigned, 4>{1, 1, 1, 1}));
    EXPECT_EQ(blockBytes(rig.device.voiceSnapshot().blocks[3]), pattern(37));
    EXPECT_EQ(rig.boxes.count(), 0u);
}

// Blocks arrive while the window's thread formats lines and takes snapshots: every reading must
// show one whole block, never a mix of two.
TEST_F(Instrument, ReadersNeverSeeAHalfWrittenBlock) {
    ASSERT_EQ(rig.device.open(1), 1);
    ASSERT_TRUE(rig.notices.waitFor(WM_SYNTH_IDENTIFIED, 2000).has_value());

    constexpr int kBlocks = 300;
    std::atomic<bool> done{false};
    std::thread instrument([&] {
        for (int i = 0; i < kBlocks; ++i) {
            const auto c = static_cast<unsigned char>('A' + i % 26);
            rig.midi.inject(bulkBlock(kEsModelId, 0x407000, Bytes(82, c)));
        }
        rig.midi.waitDelivered(5000);
        done = true;
    });

    int torn = 0;
    while (!done) {
        const VoiceRecord voice = rig.device.voiceSnapshot();
        const Bytes block = blockBytes(voice.blocks[0]);
        if (std::count(block.begin(), block.end(), block.front()) != 82) {
            ++torn;
        }
        const std::string line = rig.device.formatVoiceLine(0, 0, 0);
        const std::string name = line.substr(line.size() - 10);
        if (std::count(name.begin(), name.end(), name.front()) != 10) {
            ++torn;
        }
    }
    instrument.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(rig.device.voiceBlockCounts()[0], static_cast<unsigned>(kBlocks));
}

}  // namespace
}  // namespace tessaline::test
