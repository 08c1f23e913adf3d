// A copy end to end against the virtual instrument: after it, every address the script wrote
// holds what the copy tables give for the voice the instrument holds, and no other byte of the
// instrument's memory has changed.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "tests/tools/CliRig.h"

namespace tessaline::test {
namespace {

using Memory = std::map<unsigned, std::vector<unsigned char>>;

struct Case {
    int device;  // virtual device number: 0 ES7, 1 Motif 7, 2 Rack, 3 S90
    bool performance;
    int flags;  // bit 0 sys fx, bit 1 ins fx, bit 2 name
};

std::string describe(const Case& c) {
    std::ostringstream text;
    text << "device " << c.device << (c.performance ? " performance" : " mix") << " flags "
         << c.flags;
    return text.str();
}

// The byte at an address, or -1 where the memory has none.
int byteAt(const Memory& memory, unsigned address) {
    auto it = memory.upper_bound(address);
    if (it == memory.begin()) {
        return -1;
    }
    --it;
    const unsigned offset = address - it->first;
    return offset < it->second.size() ? it->second[offset] : -1;
}

// Parameter changes sent, parsed back from the trace: address -> last bytes written there.
std::map<unsigned, int> writesInTrace(const std::string& trace, bool twoByteModelId) {
    std::map<unsigned, int> writes;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("> F0 43 10 ", 0) != 0) {
            continue;
        }
        std::vector<int> bytes;
        std::istringstream hex(line.substr(2));
        for (std::string token; hex >> token;) {
            bytes.push_back(std::stoi(token, nullptr, 16));
        }
        const std::size_t a = twoByteModelId ? 5 : 4;
        const unsigned address =
            static_cast<unsigned>(bytes[a] << 16 | bytes[a + 1] << 8 | bytes[a + 2]);
        for (std::size_t i = a + 3; i + 1 < bytes.size(); ++i) {
            writes[address + static_cast<unsigned>(i - a - 3)] = bytes[i];
        }
    }
    return writes;
}

std::vector<unsigned char> bytesOf(const ByteBlock& block) {
    return {block.bytes().begin(), block.bytes().end()};
}

class CopyIntoInstrument : public ::testing::TestWithParam<Case> {};

TEST_P(CopyIntoInstrument, MemoryHoldsTheVoiceAndNothingElseChanged) {
    const Case c = GetParam();
    CliRig rig;
    VirtualInstrument& instrument = *rig.virtualDevices.instrument(c.device);
    const bool es = instrument.family() == InstrumentFamily::MotifES;
    rig.stored.writeInt("", "MIDI Device In", c.device);
    rig.stored.writeInt("", "MIDI Device Out", c.device);

    BoxRecorder boxes;
    NoticeQueue notices;
    RecordingClock clock;
    SynthDevice device(PortServices{rig.tracing, rig.overlay, boxes, notices, clock});
    ASSERT_EQ(device.open(1), 1);
    ASSERT_TRUE(notices.waitFor(WM_SYNTH_IDENTIFIED, 2000));

    // Source PRE2:C07, destination performance B16 or the song mix; part 3 or 12.
    const int bankIndex = 1;
    const int program = 2 * 16 + 6;
    const int part = c.performance ? 2 : 11;
    if (c.performance) {
        device.selectPerformance(31);
        ASSERT_TRUE(notices.waitFor(WM_PERFORMANCE_RECEIVED, 2000));
    }
    device.selectVoice(bankIndex, program);
    ASSERT_TRUE(notices.waitFor(WM_VOICE_RECEIVED, 2000));
    const int mode = c.performance ? kModePerformance : kModeSongMix;
    device.setMode(mode);
    ASSERT_TRUE(rig.virtualDevices.waitIdle());
    while (device.voiceBlockCounts()[3] == 0) {
        notices.take(5);
    }
    // The device holds what the instrument sent, block for block and size for size: the two
    // sides keep their block sizes in tables of their own.
    const VoiceRecord held = device.voiceSnapshot();
    const Memory source = instrument.storedVoice(bankIndex, program);
    const unsigned voiceBlocks[] = {0x407000, 0x400000, 0x400100, 0x400200};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(bytesOf(held.blocks[i]), source.at(voiceBlocks[i])) << "voice block " << i;
    }
    if (c.performance) {
        EXPECT_EQ(bytesOf(device.performanceCommonSnapshot()),
                  instrument.userPerformance(31).at(0x300000));
    }
    const Memory before = instrument.snapshot();
    rig.trace.str("");

    device.copyVoiceOfFamily(mode, bankIndex, program, static_cast<unsigned char>(part),
                             c.flags & 1, (c.flags >> 1) & 1, (c.flags >> 2) & 1);
    ASSERT_TRUE(rig.virtualDevices.waitIdle());
    const Memory after = instrument.snapshot();
    EXPECT_EQ(boxes.count(), 0u);

    // 1. Every written address holds the last byte written there; nothing else moved.
    const auto writes = writesInTrace(rig.trace.str(), es);
    ASSERT_FALSE(writes.empty());
    for (const auto& [address, value] : writes) {
        EXPECT_EQ(byteAt(after, address), value) << std::hex << address;
        EXPECT_LT(value, 0x80) << std::hex << address;
    }
    for (const auto& [base, bytes] : after) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const unsigned address = base + static_cast<unsigned>(i);
            if (writes.count(address) == 0) {
                ASSERT_EQ(bytes[i], before.at(base)[i])
                    << "unwritten byte changed at " << std::hex << address;
            }
        }
    }

    // 2. The values are the copy tables' for the voice the instrument holds.
    const auto voice = instrument.storedVoice(bankIndex, program);
    const auto& C = voice.at(0x407000);
    const auto& D = voice.at(0x400000);
    const auto& F1 = voice.at(0x400100);
    const auto& F2 = voice.at(0x400200);
    const unsigned K = c.performance ? 0x300000 : 0x360000;
    const unsigned P = K + 0x10000 + static_cast<unsigned>(part) * 0x100;
    auto at = [&](unsigned address) { return byteAt(after, address); };
    auto unchanged = [&](unsigned address) { return byteAt(before, address); };

    EXPECT_EQ(at(P + 0x00), 0x3F);  // PRE2: bank select 3F 01
    EXPECT_EQ(at(P + 0x01), 0x01);
    EXPECT_EQ(at(P + 0x02), program);
    EXPECT_EQ(at(P + 0x04), D[0x03]);
    EXPECT_EQ(at(P + 0x09), D[0x05]);
    EXPECT_EQ(at(P + 0x0A), D[0x06]);
    EXPECT_EQ(at(P + 0x0D), 0x7F);
    EXPECT_EQ(at(P + 0x10), 0x08);
    EXPECT_EQ(at(P + 0x11), 0x00);
    EXPECT_EQ(at(P + 0x12), D[0x0B]);
    EXPECT_EQ(at(P + 0x13), D[0x0C]);
    EXPECT_EQ(at(P + 0x1A), D[0x08]);
    EXPECT_EQ(at(P + 0x1B), D[0x09]);
    EXPECT_EQ(at(P + 0x1C), D[0x07]);
    if (es) {
        EXPECT_EQ(at(P + 0x0E), C[0x35]);
        EXPECT_EQ(at(P + 0x17), C[0x47]);
        EXPECT_EQ(at(P + 0x1F), 0x7D | ((C[0x16] & 1) << 1));
        EXPECT_EQ(at(P + 0x26), C[0x4A]);
        EXPECT_EQ(at(K + 0x14), C[0x14]);
        EXPECT_EQ(at(K + 0x15), C[0x15]);
        EXPECT_EQ(at(K + 0x5F), 0x01);
    } else {
        EXPECT_EQ(at(P + 0x0E), C[0x25]);
        EXPECT_EQ(at(P + 0x17), C[0x37]);
        EXPECT_EQ(at(P + 0x23), C[0x39]);
        EXPECT_EQ(at(P + 0x26), C[0x3A]);
        EXPECT_EQ(at(K + 0x13), C[0x13]);
        EXPECT_EQ(at(K + 0x34), C[0x34]);
    }
    if (c.performance) {
        for (unsigned i = 0; i < 4; ++i) {
            const unsigned other = 0x310000 + i * 0x100;
            if (es) {
                EXPECT_EQ(at(other + 0x0D), static_cast<int>(i) == part ? 0x7F : 0x00);
            } else {
                EXPECT_EQ(at(other + 0x1F), static_cast<int>(i) == part ? 0x01 : 0x00);
            }
        }
    }
    const bool name = c.performance && (c.flags & 4) != 0;
    for (unsigned i = 0; i < 10; ++i) {
        EXPECT_EQ(at(K + i), name ? C[i] : unchanged(K + i));
    }
    EXPECT_EQ(at(K + 0x0C), name ? C[0x0C] : unchanged(K + 0x0C));
    if ((c.flags & 2) != 0) {
        if (es) {
            const unsigned m = 1u << part;
            EXPECT_EQ(at(K + 0x60), static_cast<int>((m >> 21) & 0x7F));
            EXPECT_EQ(at(K + 0x61), static_cast<int>((m >> 14) & 0x7F));
            EXPECT_EQ(at(K + 0x62), static_cast<int>((m >> 7) & 0x7F));
            EXPECT_EQ(at(K + 0x63), static_cast<int>(m & 0x7F));
        } else {
            EXPECT_EQ(at(K + 0x4D), part);
        }
    } else {
        EXPECT_EQ(at(es ? K + 0x63 : K + 0x4D), unchanged(es ? K + 0x63 : K + 0x4D));
    }
    for (std::size_t i = 0; i < F1.size(); ++i) {
        const unsigned address = K + 0x100 + static_cast<unsigned>(i);
        EXPECT_EQ(at(address), (c.flags & 1) ? F1[i] : unchanged(address)) << i;
    }
    for (std::size_t i = 0; i < F2.size(); ++i) {
        const unsigned address = K + 0x200 + static_cast<unsigned>(i);
        EXPECT_EQ(at(address), (c.flags & 1) ? F2[i] : unchanged(address)) << i;
    }
    const int fixed[20] = {0x40, 0x0C, 0x07, 0x00, 0x40, 0x14, 0x07, es ? 0x00 : 0x01,
                           0x40, 0x1C, 0x07, 0x00, 0x40, 0x2C, 0x07, 0x00,
                           0x40, 0x34, 0x07, 0x00};
    for (unsigned i = 0; i < 20; ++i) {
        EXPECT_EQ(at(K + 0x1000 + i), fixed[i]) << i;
    }
}

std::vector<Case> allCases() {
    std::vector<Case> cases;
    for (int device = 0; device < 4; ++device) {
        for (int flags = 0; flags < 8; ++flags) {
            if (device != 2) {  // the Motif Rack has no performances
                cases.push_back({device, true, flags});
            }
            if (device != 3) {  // the S90 has no song mix
                cases.push_back({device, false, flags});
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryFamilyDestinationAndFlag, CopyIntoInstrument,
                         ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<Case>& param) {
                             std::string name = describe(param.param);
                             for (char& ch : name) {
                                 if (ch == ' ') {
                                     ch = '_';
                                 }
                             }
                             return name;
                         });

}  // namespace
}  // namespace tessaline::test
