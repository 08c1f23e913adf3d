// Feeds arbitrary received messages to an identified device of each family. The first input
// byte picks the family; the rest, up to one input buffer's worth, is the message. Besides the
// sanitizers' checks, the device must keep its family's block sizes and produce its lines.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/NullServices.h"
#include "synth/SynthDevice.h"

namespace {

using namespace tessaline;

// One model of each family, by its Identity Reply bytes 8 and 9.
constexpr unsigned char kFamilyModels[4][2] = {
    {0x05, 0x2A},  // S90
    {0x7D, 0x04},  // Motif 7
    {0x58, 0x04},  // Motif Rack
    {0x6A, 0x05},  // Motif ES7
};

void deliver(SynthDevice& device, const unsigned char* data, std::size_t size) {
    const MidiPort::ScopedLock held(device);
    device.onLongMessage(data, static_cast<int>(size));
}

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    NullMidiService midi;
    NullProfile profile;
    NullBoxes boxes;
    NullPoster poster;
    NullClock clock;
    SynthDevice device(PortServices{midi, profile, boxes, poster, clock});

    const unsigned char* model = kFamilyModels[input[0] % 4];
    const unsigned char reply[] = {0xF0,     0x7E,     0x7F, 0x06, 0x02, 0x43, 0x00, 0x41,
                                   model[0], model[1], 0x00, 0x00, 0x00, 0x01, 0xF7};
    deliver(device, reply, sizeof reply);
    check(device.isConnected() == 1);

    // An exact copy, so that any read past the message is caught.
    const std::size_t length = std::min<std::size_t>(size - 1, kInputBufferSize);
    auto message = std::make_unique<unsigned char[]>(length);
    if (length > 0) {
        std::memcpy(message.get(), input + 1, length);
    }
    deliver(device, message.get(), length);

    // Whatever arrived, possibly another model's reply, the storage matches the family.
    const FamilyLayout& layout = familyLayout(device.family());
    const VoiceRecord voice = device.voiceSnapshot();
    for (std::size_t i = 0; i < 4; ++i) {
        check(voice.blocks[i].size() == layout.voiceBlockSizes[i]);
    }
    check(device.performanceCommonSnapshot().size() == layout.performanceCommonSize);
    check(!device.formatVoiceLine(0, 0, 0).empty());
    check(!device.formatPerformanceLine(7, 15).empty());
    return 0;
}
