#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/synth/SynthRig.h"

namespace tessaline::test {
namespace {

// One parameter change as it went out: the address and its data bytes.
struct Param {
    int address = 0;
    Bytes data;
};

struct Model {
    unsigned char byte8;
    unsigned char byte9;
    Bytes modelId;
    std::array<int, 4> sizes;
};

const Model kMotif7{0x7D, 0x04, {0x6B}, {66, 15, 24, 25}};
const Model kS90{0x05, 0x2A, {0x6B}, {66, 15, 24, 25}};
const Model kMotifEs7{0x6A, 0x05, {0x7F, 0x00}, {82, 17, 36, 37}};

constexpr int kPerformance = 1;
constexpr int kSongMix = 3;

// A voice whose every byte differs from its neighbours, so a byte taken from the wrong offset
// or the wrong block shows.
VoiceRecord voiceOf(const Model& model, int seed = 0) {
    VoiceRecord voice;
    for (int b = 0; b < 4; ++b) {
        voice.blocks[b].allocate(model.sizes[b]);
        for (int i = 0; i < model.sizes[b]; ++i) {
            voice.blocks[b].data()[i] =
                static_cast<unsigned char>((seed + b * 40 + i * 3 + 1) & 0x7F);
        }
    }
    return voice;
}

class CopyTest : public ::testing::Test {
  protected:
    void identify(const Model& model) {
        model_ = model;
        ASSERT_EQ(rig.device.open(0), 1);
        rig.deliver(identityReply(model.byte8, model.byte9));
        ASSERT_TRUE(rig.device.isConnected());
        rig.midi.clearRecords();
    }

    CopyReport copy(const VoiceRecord& voice, int mode, int bankIndex, int program, int part,
                    bool sysFx = false, bool insFx = false, bool name = false) {
        const auto b = static_cast<unsigned char>(bankIndex);
        const auto p = static_cast<unsigned char>(program);
        const auto d = static_cast<unsigned char>(part);
        if (model_.modelId.size() == 2) {
            return rig.device.copyVoiceToPartES(voice, mode, b, p, d, sysFx, insFx, name);
        }
        return rig.device.copyVoiceToPart(voice, mode, b, p, d, sysFx, insFx, name);
    }

    // Every long message sent, decoded; a message that is not a well-formed parameter change
    // of this model fails the test.
    std::vector<Param> params() {
        std::vector<Param> result;
        const std::size_t head = 3 + model_.modelId.size();
        for (const Bytes& m : rig.midi.sentLong()) {
            EXPECT_GE(m.size(), head + 5);
            if (m.size() < head + 5) {
                continue;
            }
            EXPECT_EQ(Bytes(m.begin(), m.begin() + 3), (Bytes{0xF0, 0x43, 0x10}));
            EXPECT_EQ(Bytes(m.begin() + 3, m.begin() + head), model_.modelId);
            EXPECT_EQ(m.back(), 0xF7);
            for (std::size_t i = 1; i + 1 < m.size(); ++i) {
                EXPECT_LT(m[i], 0x80) << "byte " << i << " of a message to " << std::hex
                                      << (m[head] << 16 | m[head + 1] << 8 | m[head + 2]);
            }
            result.push_back({m[head] << 16 | m[head + 1] << 8 | m[head + 2],
                              Bytes(m.begin() + head + 3, m.end() - 1)});
        }
        return result;
    }

    static std::vector<Bytes> once(Bytes data) { return {std::move(data)}; }

    // The data of every write to an address, in order.
    static std::vector<Bytes> writesTo(const std::vector<Param>& ps, int address) {
        std::vector<Bytes> out;
        for (const Param& p : ps) {
            if (p.address == address) {
                out.push_back(p.data);
            }
        }
        return out;
    }

    SynthRig rig;
    Model model_ = kMotif7;
};

TEST_F(CopyTest, FirstMessagesCarryBankAndProgramOnTheWire) {
    identify(kMotif7);
    copy(voiceOf(kMotif7), kPerformance, 0, 0x25, 0);  // PRE1 = 3F/00
    const auto sent = rig.midi.sentLong();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[0], (Bytes{0xF0, 0x43, 0x10, 0x6B, 0x31, 0x00, 0x00, 0x3F, 0xF7}));
    EXPECT_EQ(sent[1], (Bytes{0xF0, 0x43, 0x10, 0x6B, 0x31, 0x00, 0x01, 0x00, 0xF7}));
    EXPECT_EQ(sent[2], (Bytes{0xF0, 0x43, 0x10, 0x6B, 0x31, 0x00, 0x02, 0x25, 0xF7}));

    // USER1 on a Motif ES song mix, part 6: the part base moves to 37 05 00.
    rig.midi.clearRecords();
    identify(kMotifEs7);
    copy(voiceOf(kMotifEs7), kSongMix, 6, 0x7F, 5);
    const auto es = rig.midi.sentLong();
    ASSERT_GE(es.size(), 3u);
    EXPECT_EQ(es[0], (Bytes{0xF0, 0x43, 0x10, 0x7F, 0x00, 0x37, 0x05, 0x00, 0x3F, 0xF7}));
    EXPECT_EQ(es[1], (Bytes{0xF0, 0x43, 0x10, 0x7F, 0x00, 0x37, 0x05, 0x01, 0x08, 0xF7}));
    EXPECT_EQ(es[2], (Bytes{0xF0, 0x43, 0x10, 0x7F, 0x00, 0x37, 0x05, 0x02, 0x7F, 0xF7}));
}

TEST_F(CopyTest, GmBankAndAnIndexOutsideTheListSelectBankZero) {
    identify(kS90);  // PRE1..PRE3, USER1, GM
    for (int bankIndex : {4, 5, 200}) {
        rig.midi.clearRecords();
        copy(voiceOf(kS90), kPerformance, bankIndex, 3, 0);
        const auto ps = params();
        ASSERT_GE(ps.size(), 3u);
        EXPECT_EQ(ps[0].data, Bytes{0x00}) << bankIndex;
        EXPECT_EQ(ps[1].data, Bytes{0x00}) << bankIndex;
        EXPECT_EQ(ps[2].data, Bytes{0x03}) << bankIndex;
    }
}

struct CountCase {
    const Model* model;
    int mode;
    bool sysFx, insFx, name;
    std::size_t expected;
};

TEST_F(CopyTest, MessageCountsByFamilyDestinationAndFlag) {
    const CountCase cases[] = {
        {&kMotif7, kPerformance, false, false, false, 91},
        {&kMotif7, kSongMix, false, false, false, 87},
        {&kMotif7, kPerformance, false, false, true, 103},
        {&kMotif7, kSongMix, false, false, true, 87},  // a mix has no name to write
        {&kMotif7, kPerformance, false, true, false, 92},
        {&kMotif7, kSongMix, true, false, false, 114},
        {&kMotif7, kPerformance, true, true, true, 131},
        {&kMotifEs7, kPerformance, false, false, false, 133},
        {&kMotifEs7, kSongMix, false, false, false, 130},
        {&kMotifEs7, kPerformance, false, false, true, 145},
        {&kMotifEs7, kSongMix, false, true, true, 131},
        {&kMotifEs7, kPerformance, true, false, false, 172},
        {&kMotifEs7, kPerformance, true, true, true, 185},
        {&kMotifEs7, kSongMix, true, true, true, 170},
    };
    for (const CountCase& c : cases) {
        identify(*c.model);
        copy(voiceOf(*c.model), c.mode, 0, 0, 1, c.sysFx, c.insFx, c.name);
        EXPECT_EQ(rig.midi.sentLong().size(), c.expected)
            << "model id " << c.model->modelId.size() << " mode " << c.mode << " sys " << c.sysFx
            << " ins " << c.insFx << " name " << c.name;
        rig.device.close();
    }
}

TEST_F(CopyTest, SongMixWritesOnlyTheDestinationPartAndTheMixCommon) {
    for (const Model* model : {&kMotif7, &kMotifEs7}) {
        identify(*model);
        copy(voiceOf(*model), kSongMix, 1, 9, 10, true, true, true);
        const auto ps = params();
        for (const Param& p : ps) {
            const int area = p.address & 0xFF0000;
            EXPECT_TRUE((area == 0x370000 && ((p.address >> 8) & 0x7F) == 10) || area == 0x360000)
                << std::hex << p.address;
        }
        // with NAME is ignored for a mix: the name and category addresses stay untouched.
        for (int a = 0x360000; a <= 0x36000D; ++a) {
            EXPECT_TRUE(writesTo(ps, a).empty()) << std::hex << a;
        }
        rig.device.close();
    }
}

TEST_F(CopyTest, PerformanceMarksTheDestinationAmongAllFourParts) {
    identify(kS90);
    copy(voiceOf(kS90), kPerformance, 0, 0, 1);
    const auto ps = params();
    std::vector<Param> marks;
    std::copy_if(ps.begin(), ps.end(), std::back_inserter(marks),
                 [](const Param& p) { return (p.address & 0xFF) == 0x1F; });
    ASSERT_EQ(marks.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(marks[i].address, 0x31001F + i * 0x100);
        EXPECT_EQ(marks[i].data, Bytes{static_cast<unsigned char>(i == 1 ? 1 : 0)});
    }
}

TEST_F(CopyTest, MotifEsPerformanceSilencesTheOtherPartsOnly) {
    identify(kMotifEs7);
    copy(voiceOf(kMotifEs7), kPerformance, 0, 0, 2);
    const auto ps = params();
    EXPECT_EQ(writesTo(ps, 0x31000D), once({0x00}));
    EXPECT_EQ(writesTo(ps, 0x31010D), once({0x00}));
    EXPECT_EQ(writesTo(ps, 0x31030D), once({0x00}));
    EXPECT_EQ(writesTo(ps, 0x31020D), once({0x7F}));
    // Those three writes come straight after the destination's own 0D.
    ASSERT_GE(ps.size(), 17u);
    EXPECT_EQ(ps[12].address, 0x31020D);
    EXPECT_EQ(ps[13].address, 0x31000D);
    EXPECT_EQ(ps[14].address, 0x31010D);
    EXPECT_EQ(ps[15].address, 0x31030D);
    EXPECT_EQ(ps[16].address, 0x31020E);
}

TEST_F(CopyTest, InsertionEffectNamesTheDestinationPart) {
    identify(kMotif7);
    copy(voiceOf(kMotif7), kSongMix, 0, 0, 15, false, true);
    EXPECT_EQ(writesTo(params(), 0x36004D), once({0x0F}));

    // Motif ES: a bit per part over four 7-bit data bytes.
    const std::pair<int, Bytes> esCases[] = {
        {0, {0x00, 0x00, 0x00, 0x01}},  {2, {0x00, 0x00, 0x00, 0x04}},
        {6, {0x00, 0x00, 0x00, 0x40}},  {7, {0x00, 0x00, 0x01, 0x00}},
        {13, {0x00, 0x00, 0x40, 0x00}}, {15, {0x00, 0x02, 0x00, 0x00}},
    };
    identify(kMotifEs7);
    for (const auto& [part, expected] : esCases) {
        rig.midi.clearRecords();
        copy(voiceOf(kMotifEs7), part < 4 ? kPerformance : kSongMix, 0, 0, part, false, true);
        const int address = part < 4 ? 0x300060 : 0x360060;
        EXPECT_EQ(writesTo(params(), address), once(expected)) << "part " << part;
    }
}

TEST_F(CopyTest, NameAndCategoryGoToThePerformanceCommon) {
    for (const Model* model : {&kMotif7, &kMotifEs7}) {
        identify(*model);
        const VoiceRecord voice = voiceOf(*model, 5);
        copy(voice, kPerformance, 0, 0, 0, false, false, true);
        const auto ps = params();
        for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x0C, 0x0D}) {
            EXPECT_EQ(writesTo(ps, 0x300000 + i), once({voice.blocks[0].data()[i]}))
                << "offset " << i;
        }
        EXPECT_TRUE(writesTo(ps, 0x30000A).empty());
        EXPECT_TRUE(writesTo(ps, 0x30000B).empty());
        rig.device.close();
    }
}

// One whole copy per layout and destination, every option on, message by message, against a
// list kept beside this file: a step moved, dropped or given another value shows as the first
// line that differs.
TEST_F(CopyTest, WholeCopyMatchesTheCheckedInSequence) {
    struct Case {
        const Model* model;
        int mode;
        int part;
        const char* file;
    };
    const Case cases[] = {{&kMotif7, kPerformance, 1, "copy-motif.txt"},
                          {&kMotifEs7, kPerformance, 1, "copy-motif-es.txt"},
                          {&kMotif7, kSongMix, 10, "copy-motif-mix.txt"},
                          {&kMotifEs7, kSongMix, 10, "copy-motif-es-mix.txt"}};
    for (const auto& [model, mode, part, file] : cases) {
        std::ifstream in(std::string(TESSALINE_GOLDEN_DIR) + "/" + file);
        ASSERT_TRUE(in) << file;
        std::vector<std::string> expected;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line[0] != '#') {
                expected.push_back(line);
            }
        }
        identify(*model);
        const CopyReport report = copy(voiceOf(*model, 9), mode, 1, 0x25, part, true, true, true);
        const auto ps = params();
        WrittenValues onTheWire;
        std::vector<std::string> actual;
        for (const Param& p : ps) {
            std::string line = MidiPort::formatHexPairs(static_cast<unsigned>(p.address), 3) + ":";
            for (std::size_t i = 0; i < p.data.size(); ++i) {
                line += " " + MidiPort::formatHexPairs(p.data[i], 1);
                onTheWire[p.address + static_cast<int>(i)] = p.data[i];
            }
            actual.push_back(line);
        }
        ASSERT_FALSE(expected.empty()) << file;
        for (std::size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
            ASSERT_EQ(i < actual.size() ? actual[i] : "(nothing)",
                      i < expected.size() ? expected[i] : "(nothing)")
                << file << ", message " << i;
        }
        // The report counts what went out, and holds the last byte each address was sent.
        EXPECT_EQ(report.planned, static_cast<int>(expected.size()));
        EXPECT_EQ(report.sent, report.planned);
        EXPECT_EQ(report.written, onTheWire);
        rig.device.close();
    }
}

TEST_F(CopyTest, MotifEsLayerFlagsNeverNeedAnEighthBit) {
    identify(kMotifEs7);
    const std::pair<unsigned char, unsigned char> cases[] = {
        {0x00, 0x7D}, {0x01, 0x7F}, {0x40, 0x7D}, {0x41, 0x7F}, {0x7E, 0x7D}, {0x7F, 0x7F}};
    for (const auto& [layer, expected] : cases) {
        rig.midi.clearRecords();
        VoiceRecord voice = voiceOf(kMotifEs7);
        voice.blocks[0].data()[0x16] = layer;
        copy(voice, kPerformance, 0, 0, 3);
        EXPECT_EQ(writesTo(params(), 0x31031F), once({expected})) << "C[16] = " << int(layer);
    }
}

TEST_F(CopyTest, EveryValueReadsItsOwnOffsetOfTheVoice) {
    // A spot check of the part area against the voice's bytes, for both layouts.
    identify(kMotif7);
    VoiceRecord v = voiceOf(kMotif7, 17);
    copy(v, kSongMix, 0, 0, 3);
    auto ps = params();
    const std::uint8_t* C = v.blocks[0].data();
    const std::uint8_t* D = v.blocks[1].data();
    EXPECT_EQ(writesTo(ps, 0x370304), once({D[0x03]}));
    EXPECT_EQ(writesTo(ps, 0x37030E), once({C[0x25]}));
    EXPECT_EQ(writesTo(ps, 0x370310), once({0x08, 0x00}));
    EXPECT_EQ(writesTo(ps, 0x370326), once({C[0x3A]}));
    EXPECT_EQ(writesTo(ps, 0x37031C), once({D[0x07]}));
    EXPECT_EQ(writesTo(ps, 0x360020), once({C[0x20], C[0x21]}));
    EXPECT_EQ(writesTo(ps, 0x360034), once({C[0x34]}));
    EXPECT_EQ(writesTo(ps, 0x36003A), once({0x40}));
    EXPECT_TRUE(writesTo(ps, 0x36003B).empty());

    identify(kMotifEs7);
    v = voiceOf(kMotifEs7, 23);
    const std::uint8_t* E = v.blocks[0].data();
    const std::uint8_t* DE = v.blocks[1].data();
    copy(v, kSongMix, 0, 0, 3);
    ps = params();
    EXPECT_EQ(writesTo(ps, 0x37030E), once({E[0x35]}));
    EXPECT_EQ(writesTo(ps, 0x370313), once({DE[0x0C]}));
    EXPECT_TRUE(writesTo(ps, 0x370314).empty());
    EXPECT_EQ(writesTo(ps, 0x37032C), once({E[0x3D]}));
    EXPECT_EQ(writesTo(ps, 0x360014), once({E[0x14], E[0x15]}));
    EXPECT_EQ(writesTo(ps, 0x360032), once({E[0x32], E[0x33]}));
    EXPECT_EQ(writesTo(ps, 0x360046), once({E[0x46]}));
    EXPECT_EQ(writesTo(ps, 0x360051), once({0x40}));
    EXPECT_EQ(writesTo(ps, 0x36005F), once({0x01}));
}

TEST_F(CopyTest, ASendFailureIsReportedOnceAndTheCopyStopsThere) {
    identify(kMotif7);
    int seen = 0;
    rig.midi.onLongSent([&](const Bytes&) {
        if (++seen == 10) {
            rig.midi.failCall("outLongMsg", midiresult::NotReady);
        }
    });
    const CopyReport report = copy(voiceOf(kMotif7), kPerformance, 0, 0, 0, true);
    EXPECT_EQ(report.planned, 118);
    EXPECT_EQ(report.sent, 10);
    const auto boxes = rig.boxes.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "MIDI Out Error");
    const auto ps = params();
    ASSERT_EQ(ps.size(), 10u);  // nothing from 31 00 0B, the one that failed, on
    EXPECT_EQ(ps.back().address, 0x31000A);
}

TEST_F(CopyTest, NoVoiceYetSendsZerosAndReadsNothingOutsideTheBlocks) {
    identify(kMotifEs7);
    // A record of the smaller layout, and an empty one: reads past either would be caught by
    // the address sanitizer; the missing bytes go out as zeros.
    copy(voiceOf(kMotif7), kPerformance, 0, 0, 0, true, true, true);
    EXPECT_EQ(writesTo(params(), 0x310026), once({0x00}));  // C[0x4A]
    EXPECT_EQ(writesTo(params(), 0x300123), once({0x00}));  // F1[0x23]
    rig.midi.clearRecords();
    copy(VoiceRecord{}, kPerformance, 0, 0, 0, true, true, true);
    EXPECT_EQ(rig.midi.sentLong().size(), 185u);
    EXPECT_EQ(writesTo(params(), 0x31000E), once({0x00}));

    identify(kMotif7);
    copy(VoiceRecord{}, kPerformance, 0, 0, 0, true, true, true);
    EXPECT_EQ(rig.midi.sentLong().size(), 131u);
    EXPECT_EQ(writesTo(params(), 0x300200), once({0x00, 0x00}));
}

// A voice dump that lands while a copy runs changes the device's record but not the copy.
TEST_F(CopyTest, CopyUsesTheVoiceAsItWasWhenItStarted) {
    model_ = kMotifEs7;
    ASSERT_EQ(rig.device.open(1), 1);
    ASSERT_TRUE(rig.midi.inject(identityReply(kMotifEs7.byte8, kMotifEs7.byte9)));
    ASSERT_TRUE(rig.midi.waitDelivered());
    ASSERT_TRUE(rig.device.isConnected());
    const VoiceRecord before = voiceOf(kMotifEs7, 1);
    const VoiceRecord after = voiceOf(kMotifEs7, 50);
    auto sendVoice = [&](const VoiceRecord& v) {
        for (int b = 0; b < 4; ++b) {
            const Bytes data = blockBytes(v.blocks[b]);
            ASSERT_TRUE(
                rig.midi.inject(bulkBlock(kMotifEs7.modelId, kVoiceBlockAddresses[b], data)));
        }
        ASSERT_TRUE(rig.midi.waitDelivered());
    };
    sendVoice(before);
    ASSERT_EQ(blockBytes(rig.device.voiceSnapshot().blocks[0]), blockBytes(before.blocks[0]));
    rig.midi.clearRecords();

    int seen = 0;
    rig.midi.onLongSent([&](const Bytes&) {
        if (++seen == 1) {
            sendVoice(after);
        }
    });
    rig.device.copyVoiceOfFamily(kPerformance, 0, 0, 0, 1, 1, 1);
    rig.midi.onLongSent({});
    const auto sentDuring = params();

    // The dump did arrive mid-copy ...
    ASSERT_EQ(blockBytes(rig.device.voiceSnapshot().blocks[0]), blockBytes(after.blocks[0]));
    // ... yet the copy is exactly the one of the voice it started with.
    rig.midi.clearRecords();
    rig.device.copyVoiceToPartES(before, kPerformance, 0, 0, 0, 1, 1, 1);
    const auto expected = params();
    ASSERT_EQ(sentDuring.size(), 185u);
    ASSERT_EQ(expected.size(), sentDuring.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(sentDuring[i].address, expected[i].address) << i;
        EXPECT_EQ(sentDuring[i].data, expected[i].data) << i;
    }
    rig.device.close();
}

}  // namespace
}  // namespace tessaline::test
