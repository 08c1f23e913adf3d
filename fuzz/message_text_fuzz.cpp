// The text form of messages: templates expanded with arguments and a model ID, hex text turned
// into bytes, values formatted as hex pairs, and a message sent from text through a port.
//
// Besides memory safety (the byte buffer is exactly the port's message buffer, on the heap):
// hex text never yields more bytes than the buffer holds; hex pairs read back as the value they
// were made from; and a template made of placeholders, M and hex bytes expands to the bytes
// that its arguments, taken in order (0 once they run out), stand for.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/NullServices.h"
#include "synth/SynthDevice.h"

namespace {

using namespace tessaline;
using fuzz::check;
using Bytes = std::vector<unsigned char>;
using MessageBuffer = unsigned char[kMessageBufferSize];

Bytes hexBytes(const std::string& text) {
    auto buffer = std::make_unique<MessageBuffer[]>(1);
    const int count = MidiPort::hexTextToBytes(text, buffer[0]);
    check(count >= 0 && count <= kMessageBufferSize);
    return {buffer[0], buffer[0] + count};
}

void checkHexPairs(unsigned value, int count) {
    const std::string text = MidiPort::formatHexPairs(value, count);
    if (count < 1 || count > 4) {
        check(text.empty());
        return;
    }
    check(text.size() == static_cast<std::size_t>(3 * count - 1));
    const Bytes bytes = hexBytes(text);
    check(bytes.size() == static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        check(bytes[static_cast<std::size_t>(i)] == ((value >> (8 * (count - 1 - i))) & 0xFF));
    }
}

// A template of whole tokens, and the bytes it must expand to.
void checkTokenTemplate(FuzzedDataProvider& in, const std::string& modelIdText,
                        const std::vector<int>& args) {
    std::string text;
    Bytes expected;
    std::size_t next = 0;
    auto take = [&]() -> unsigned {
        return next < args.size() ? static_cast<unsigned>(args[next++]) : 0u;
    };
    const Bytes modelId = hexBytes(modelIdText);
    const std::size_t tokens = in.ConsumeIntegralInRange<std::size_t>(0, 40);
    for (std::size_t t = 0; t < tokens; ++t) {
        if (!text.empty()) {
            text += ' ';
        }
        switch (in.ConsumeIntegralInRange(0, 4)) {
            case 0: {
                text += "%A";
                const unsigned v = take();
                expected.insert(expected.end(), {static_cast<unsigned char>(v >> 16),
                                                 static_cast<unsigned char>(v >> 8),
                                                 static_cast<unsigned char>(v)});
                break;
            }
            case 1: {
                text += "%B";
                const unsigned v = take();
                expected.insert(expected.end(), {static_cast<unsigned char>((v >> 7) & 0x7F),
                                                 static_cast<unsigned char>(v & 0x7F)});
                break;
            }
            case 2:
                text += "%b";
                expected.push_back(static_cast<unsigned char>(take()));
                break;
            case 3:
                text += "M";
                expected.insert(expected.end(), modelId.begin(), modelId.end());
                break;
            default: {
                const auto byte = in.ConsumeIntegral<unsigned char>();
                text += MidiPort::formatHexPairs(byte, 1);
                expected.push_back(byte);
                break;
            }
        }
    }
    const Bytes bytes = hexBytes(MidiPort::expandTemplate(text, modelIdText, args));
    if (expected.size() > kMessageBufferSize) {
        expected.resize(kMessageBufferSize);
    }
    check(bytes == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    FuzzedDataProvider in(input, size);
    const auto models = modelTable();
    const std::string modelIdText =
        in.ConsumeBool()
            ? in.ConsumeRandomLengthString(16)
            : models[in.ConsumeIntegralInRange<std::size_t>(0, models.size() - 1)].modelIdText;
    std::vector<int> args(in.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (int& arg : args) {
        arg = in.ConsumeIntegral<int>();
    }

    checkHexPairs(in.ConsumeIntegral<unsigned>(), in.ConsumeIntegralInRange(-2, 6));
    checkTokenTemplate(in, modelIdText, args);

    // Free text, as a template and as a message body sent through a port.
    const std::string text = in.ConsumeRandomLengthString(1200);
    const std::string expanded = MidiPort::expandTemplate(text, modelIdText, args);
    hexBytes(text);
    hexBytes(expanded);

    fuzz::DeviceRig<> rig;
    fuzz::HarnessMidi& midi = rig.midi;
    SynthDevice& device = rig.device;
    check(device.open(0) == 1);
    // More bytes than the message buffer holds are refused whole, never sent cut short.
    if (MidiPort::hasTokenBeyond("F0 43 " + expanded + " F7", kMessageBufferSize)) {
        check(device.sendSysEx(expanded) == 1);
        check(midi.sent().empty());
        return 0;
    }
    check(device.sendSysEx(expanded) == 0);
    check(midi.sent().size() == 1);
    const Bytes& sent = midi.sent().front();
    check(sent.size() <= kMessageBufferSize && sent.size() >= 2 && sent[0] == 0xF0 &&
          sent[1] == 0x43);
    return 0;
}
