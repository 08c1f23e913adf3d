// Feeds a sequence of received messages to an open device through its input buffer, as the
// driver's delivery thread would, and reads what the window reads after each one.
//
// The input is a run of records: a kind byte, a length (one byte, or two, high first, when the
// kind's top bit is set) and that many payload bytes. The kind's low two bits say what the
// payload becomes:
//   0  the message itself
//   1  the message with the byte before its last replaced by the bulk checksum, so that a
//      mutated block still passes the check
//   2  the Identity Reply of model payload[0] % 8
//   3  a bulk block framed for model payload[0] % 8: F0 43 00 <model ID> BH BL, then the rest of
//      the payload (AH AM AL data), the checksum (wrong when bit 2 is set) and F7
// Bits 4 to 6 pick the letter the display lines are formatted for.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "midi/Notices.h"
#include "platform/NullServices.h"
#include "synth/BankList.h"
#include "synth/SynthDevice.h"

namespace {

using namespace tessaline;
using fuzz::check;

constexpr std::size_t kMaxRecords = 512;

struct NoticeCounts {
    unsigned identified = 0;
    unsigned voices = 0;
    unsigned dumps = 0;
};

class CountingPoster final : public NoticePoster {
  public:
    void post(unsigned message, std::uintptr_t, std::intptr_t, WindowTarget) override {
        if (message == WM_SYNTH_IDENTIFIED) {
            ++counts.identified;
        } else if (message == WM_VOICE_RECEIVED) {
            ++counts.voices;
        } else if (message == WM_DESTINATION_DUMP_RECEIVED) {
            ++counts.dumps;
        }
    }
    NoticeCounts counts;
};

std::vector<unsigned char> modelIdOf(const ModelInfo& model) {
    unsigned char buffer[kMessageBufferSize];
    const int count = MidiPort::hexTextToBytes(model.modelIdText, buffer);
    return {buffer, buffer + count};
}

std::vector<unsigned char> identityReply(const ModelInfo& model) {
    return {0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x43, 0x00, 0x41, model.replyByte8, model.replyByte9,
            0x00, 0x00, 0x00, 0x01, 0xF7};
}

// A bulk block of the model that a storing device would take, when one voice block or the
// performance common block arrives whole.
struct Framed {
    const ModelInfo* model = nullptr;
    int address = -1;
    std::vector<unsigned char> data;
    bool intact = false;  // right checksum, nothing but data bytes
};

std::vector<unsigned char> frameBlock(std::span<const unsigned char> payload, bool corrupt,
                                      Framed& framed) {
    const auto models = modelTable();
    framed.model = &models[payload.empty() ? 0 : payload[0] % models.size()];
    const std::span<const unsigned char> rest = payload.empty() ? payload : payload.subspan(1);
    const std::size_t dataSize = rest.size() >= 3 ? rest.size() - 3 : 0;

    std::vector<unsigned char> block{0xF0, 0x43, 0x00};
    const std::vector<unsigned char> id = modelIdOf(*framed.model);
    block.insert(block.end(), id.begin(), id.end());
    block.push_back(static_cast<unsigned char>((dataSize >> 7) & 0x7F));
    block.push_back(static_cast<unsigned char>(dataSize & 0x7F));
    block.insert(block.end(), rest.begin(), rest.end());
    unsigned char checksum = fuzz::bulkChecksumOf(block, block.size());
    if (corrupt) {
        checksum = static_cast<unsigned char>((checksum + 1) & 0x7F);
    }
    block.push_back(checksum);
    block.push_back(0xF7);

    if (rest.size() >= 3) {
        framed.address = (rest[0] << 16) | (rest[1] << 8) | rest[2];
        framed.data.assign(rest.begin() + 3, rest.end());
    }
    framed.intact = !corrupt && fuzz::isWholeSysEx(block);
    return block;
}

bool allDataBytes(const ByteBlock& block) {
    for (const std::uint8_t byte : block.bytes()) {
        if (byte >= 0x80) {
            return false;
        }
    }
    return true;
}

bool holdsPrefixOf(const ByteBlock& block, const std::vector<unsigned char>& data) {
    return data.size() >= static_cast<std::size_t>(block.size()) &&
           std::equal(block.bytes().begin(), block.bytes().end(), data.begin());
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

struct WindowView {
    VoiceRecord voice;
    ByteBlock performance;
    std::array<unsigned, 4> counts{};
    unsigned dumpsCompleted = 0;
};

// What the window reads after a notice, with what must hold of it.
WindowView readAsTheWindowDoes(const SynthDevice& device, int letter, int number) {
    WindowView view;
    view.voice = device.voiceSnapshot();
    view.performance = device.performanceCommonSnapshot();
    view.counts = device.voiceBlockCounts();
    view.dumpsCompleted = device.destinationDumpsCompleted();

    const ModelFamily family = device.family();
    const FamilyLayout& layout = familyLayout(family);
    if (device.isConnected() != 0) {
        for (std::size_t i = 0; i < 4; ++i) {
            check(view.voice.blocks[i].size() == layout.voiceBlockSizes[i]);
        }
        check(view.performance.size() == layout.performanceCommonSize);
        check(device.bankCount() == static_cast<int>(voiceBanksOf(family).size()));
    } else {
        // Nothing is stored before an instrument has named itself.
        for (const ByteBlock& block : view.voice.blocks) {
            check(block.size() == 0);
        }
        check(view.performance.size() == 0 && device.bankCount() == 0);
    }
    // Only verified blocks are stored, and they carry nothing but data bytes: anything else
    // would go back to the instrument as a status byte inside a message.
    for (const ByteBlock& block : view.voice.blocks) {
        check(allDataBytes(block));
    }
    check(allDataBytes(view.performance));
    const std::vector<ReceivedBlock> dump = device.destinationDumpBlocks();
    check(dump.size() <= DumpCollector::kMaxBlocks);
    for (const ReceivedBlock& block : dump) {
        for (unsigned char byte : block.data) {
            check(byte < 0x80);
        }
    }

    // One past the last bank too: a list that shrank under the window.
    for (int bank = 0; bank <= device.bankCount(); ++bank) {
        const std::string line = device.formatVoiceLine(bank, letter, number);
        check(endsWith(line, view.voice.blocks[0].name()));
    }
    check(endsWith(device.formatPerformanceLine(letter, number), view.performance.name()));
    return view;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    fuzz::DeviceRig<fuzz::HarnessMidi, CountingPoster> rig;
    fuzz::HarnessMidi& midi = rig.midi;
    CountingPoster& poster = rig.poster;
    SynthDevice& device = rig.device;
    check(device.open(1) == 1);

    WindowView before = readAsTheWindowDoes(device, 0, 0);
    std::size_t offset = 0;
    for (std::size_t record = 0; record < kMaxRecords && offset < size; ++record) {
        const unsigned char kind = input[offset++];
        std::size_t length = 0;
        if ((kind & 0x80) != 0) {
            if (offset + 2 > size) {
                break;
            }
            length = (std::size_t{input[offset]} << 8) | input[offset + 1];
            offset += 2;
        } else if (offset < size) {
            length = input[offset++];
        }
        length = std::min(length, size - offset);
        const std::span<const unsigned char> payload(input + offset, length);
        offset += length;

        std::vector<unsigned char> message;
        Framed framed;
        switch (kind & 0x03) {
            case 0:
                message.assign(payload.begin(), payload.end());
                break;
            case 1:
                message.assign(payload.begin(), payload.end());
                if (message.size() >= 6) {
                    message[message.size() - 2] = fuzz::bulkChecksumOf(message, message.size() - 2);
                }
                break;
            case 2: {
                const auto models = modelTable();
                message = identityReply(models[payload.empty() ? 0 : payload[0] % models.size()]);
                break;
            }
            case 3:
                message = frameBlock(payload, (kind & 0x04) != 0, framed);
                break;
        }

        const ModelFamily familyBefore = device.family();
        const bool connectedBefore = device.isConnected() != 0;
        const NoticeCounts noticesBefore = poster.counts;
        // An exact copy, so that a read past the message is caught.
        auto bytes = std::make_unique<unsigned char[]>(message.size());
        std::copy(message.begin(), message.end(), bytes.get());
        midi.receive(bytes.get(), message.size());

        const int letter = (kind >> 4) & 0x07;
        const int number = static_cast<int>(record % 16);
        const WindowView after = readAsTheWindowDoes(device, letter, number);

        if (poster.counts.identified != noticesBefore.identified) {
            check(device.isConnected() != 0);
            before = after;
            continue;
        }
        // Between identifications the counts only grow, each step with its notice.
        const unsigned voices = poster.counts.voices - noticesBefore.voices;
        check(after.counts[0] == before.counts[0] + voices);
        for (std::size_t i = 1; i < 4; ++i) {
            check(after.counts[i] >= before.counts[i]);
        }
        check(after.dumpsCompleted ==
              before.dumpsCompleted + (poster.counts.dumps - noticesBefore.dumps));

        // A whole, intact block of the identified family lands where its address says.
        if (connectedBefore && framed.intact && framed.model->family == familyBefore &&
            message.size() <= kInputBufferSize) {
            for (std::size_t i = 0; i < 4; ++i) {
                const ByteBlock& block = after.voice.blocks[i];
                if (framed.address == kVoiceBlockAddresses[i] &&
                    framed.data.size() >= static_cast<std::size_t>(block.size())) {
                    check(after.counts[i] == before.counts[i] + 1);
                    check(holdsPrefixOf(block, framed.data));
                }
            }
            if (framed.address == kPerformanceCommonAddress &&
                framed.data.size() >= static_cast<std::size_t>(after.performance.size())) {
                check(holdsPrefixOf(after.performance, framed.data));
            }
        }
        before = after;
    }
    return 0;
}
