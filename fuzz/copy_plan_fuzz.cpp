// The copy scripts over arbitrary voices, every family, destination, part and option.
//
// First the script interpreter on its own, with voice blocks of any size and content. Within
// what the program hands it (7-bit voice bytes, as only verified blocks are stored; a program
// below 128; a part below 16) every planned message carries one to four data bytes below 0x80
// at an address of three 7-bit bytes that does not run past its low byte, lands in the
// destination's common area or its parts, and names or effect blocks are written only when
// asked for. Beyond that, it must only stay within its memory.
//
// Then a whole copy as the window runs it: a device of the input's model receives the voice in
// bulk blocks, plans the copy, sends it; the messages that go out are the plan's parameter
// changes, and a virtual instrument of the same model that took them reports back, in its
// destination dump, every value the copy wrote.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "fuzz/SharedInstruments.h"
#include "platform/NullServices.h"
#include "synth/CopyScript.h"
#include "synth/SynthDevice.h"

namespace {

using namespace tessaline;
using fuzz::check;
using Bytes = std::vector<unsigned char>;

constexpr int kNameLength = 10;
constexpr int kEffectBlocksFirst = 0x100;
constexpr int kEffectBlocksEnd = 0x300;

struct Destination {
    int mode = kModePerformance;
    unsigned char part = 0;
    bool withSysFx = false;
    bool withName = false;
};

bool sevenBit(int byte) {
    return byte >= 0 && byte < 0x80;
}

void checkPlan(const CopyPlan& plan, const Destination& to) {
    const bool performance = to.mode == kModePerformance;
    const int common = performance ? kPerformanceCommonAddress : kMixCommonAddress;
    const int commonHigh = common >> 16;
    for (const PlannedMessage& message : plan) {
        check(!message.data.empty() && message.data.size() <= 4);
        for (unsigned char byte : message.data) {
            check(byte < 0x80);
        }
        const int high = message.address >> 16;
        const int mid = (message.address >> 8) & 0xFF;
        const int low = message.address & 0xFF;
        check(sevenBit(high) && sevenBit(mid) && sevenBit(low));
        check(low + static_cast<int>(message.data.size()) - 1 < 0x80);
        check(high == commonHigh || high == commonHigh + 1);
        if (high == commonHigh + 1) {
            // The destination part, or in a performance any of its four parts.
            check(mid == to.part || (performance && mid < copyscript::kPerformanceParts));
        }
        const int offset = message.address - common;
        if (!(performance && to.withName)) {
            check(offset < 0 || offset >= kNameLength);
        }
        if (!to.withSysFx) {
            check(offset < kEffectBlocksFirst || offset >= kEffectBlocksEnd);
        }
    }
}

void runScript(FuzzedDataProvider& in) {
    const copyscript::Script& script =
        in.ConsumeBool() ? copyscript::motifEsScript() : copyscript::motifScript();
    const bool withinContract = in.ConsumeBool();
    VoiceRecord voice;
    for (ByteBlock& block : voice.blocks) {
        block.allocate(in.ConsumeIntegralInRange(0, 100));
        const Bytes bytes = in.ConsumeBytes<unsigned char>(static_cast<std::size_t>(block.size()));
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            block.data()[i] = withinContract ? bytes[i] & 0x7F : bytes[i];
        }
    }
    copyscript::CopyInputs inputs;
    inputs.voice = in.ConsumeBool() ? &voice : nullptr;
    inputs.mode = in.ConsumeBool() ? in.ConsumeIntegral<int>()
                                   : (in.ConsumeBool() ? kModePerformance : kModeSongMix);
    inputs.bankNumber = in.ConsumeIntegralInRange(0, 0x3FFF);
    inputs.program = in.ConsumeIntegral<unsigned char>();
    inputs.part = in.ConsumeIntegral<unsigned char>();
    inputs.withSysFx = in.ConsumeBool();
    inputs.withInsFx = in.ConsumeBool();
    inputs.withName = in.ConsumeBool();
    if (withinContract) {
        inputs.program &= 0x7F;
        inputs.part %= 16;
    }
    const CopyPlan plan = copyscript::plan(script, inputs);
    if (withinContract) {
        checkPlan(plan, {inputs.mode, inputs.part, inputs.withSysFx, inputs.withName});
    }
}

Bytes voiceBlock(const Bytes& modelId, int address, FuzzedDataProvider& in, int size) {
    Bytes data = in.ConsumeBytes<unsigned char>(static_cast<std::size_t>(size));
    data.resize(static_cast<std::size_t>(size));
    Bytes block{0xF0, 0x43, 0x00};
    block.insert(block.end(), modelId.begin(), modelId.end());
    block.insert(block.end(), {static_cast<unsigned char>((size >> 7) & 0x7F),
                               static_cast<unsigned char>(size & 0x7F),
                               static_cast<unsigned char>(address >> 16),
                               static_cast<unsigned char>((address >> 8) & 0xFF),
                               static_cast<unsigned char>(address & 0xFF)});
    for (unsigned char byte : data) {
        block.push_back(byte & 0x7F);
    }
    block.push_back(fuzz::bulkChecksumOf(block, block.size()));
    block.push_back(0xF7);
    return block;
}

void runCopy(FuzzedDataProvider& in) {
    const std::size_t modelIndex = in.ConsumeIntegralInRange<std::size_t>(0, 7);
    const ModelInfo& model = modelTable()[modelIndex];
    const FamilyLayout& layout = familyLayout(model.family);
    VirtualInstrument& instrument = fuzz::SharedInstruments::fresh(modelIndex);
    const Bytes& modelId = instrument.modelId();

    fuzz::DeviceRig<> rig;
    fuzz::HarnessMidi& midi = rig.midi;
    SynthDevice& device = rig.device;
    check(device.open(1) == 1);
    midi.receive(instrument.identityReply());
    check(device.isConnected() == 1 && device.family() == model.family);
    for (std::size_t i = 0; i < 4; ++i) {
        midi.receive(voiceBlock(modelId, kVoiceBlockAddresses[i], in, layout.voiceBlockSizes[i]));
        check(device.voiceBlockCounts()[i] == 1);
    }

    Destination to;
    // Only a destination the model offers: the instrument has no other to read back from.
    const bool performance = layout.offersSongMix ? layout.offersPerformance && in.ConsumeBool()
                                                  : layout.offersPerformance;
    to.mode = performance ? kModePerformance : kModeSongMix;
    const int parts = to.mode == kModePerformance ? copyscript::kPerformanceParts : 16;
    to.part = static_cast<unsigned char>(in.ConsumeIntegralInRange(0, parts - 1));
    to.withSysFx = in.ConsumeBool();
    const bool withInsFx = in.ConsumeBool();
    to.withName = in.ConsumeBool();
    const CopyPlan plan = device.planCopyOfFamily(
        to.mode, in.ConsumeIntegral<unsigned char>(), in.ConsumeIntegralInRange(0, 127), to.part,
        to.withSysFx ? 1 : 0, withInsFx ? 1 : 0, to.withName ? 1 : 0);
    checkPlan(plan, to);

    midi.clearSent();
    const CopyReport report = device.sendCopy(plan);
    check(report.allSent() && report.planned == static_cast<int>(plan.size()));
    check(report.written == writtenValues(plan));
    check(midi.sent().size() == plan.size());
    for (std::size_t i = 0; i < plan.size(); ++i) {
        Bytes expected{0xF0, 0x43, 0x10};
        expected.insert(expected.end(), modelId.begin(), modelId.end());
        const int address = plan[i].address;
        expected.insert(expected.end(), {static_cast<unsigned char>(address >> 16),
                                         static_cast<unsigned char>((address >> 8) & 0xFF),
                                         static_cast<unsigned char>(address & 0xFF)});
        expected.insert(expected.end(), plan[i].data.begin(), plan[i].data.end());
        expected.push_back(0xF7);
        check(midi.sent()[i] == expected);
        instrument.receive(midi.sent()[i]);
    }

    // The instrument answers the destination's dump request into the device's input.
    midi.clearSent();
    if (to.mode == kModePerformance) {
        device.requestPerformanceDump();
    } else {
        device.requestMixDump();
    }
    const std::vector<Bytes> requests = midi.sent();
    instrument.setReplySink([&midi](const Bytes& reply) { midi.receive(reply); });
    for (const Bytes& request : requests) {
        instrument.receive(request);
    }
    instrument.setReplySink(nullptr);
    const ReadBackResult readBack = compareReadBack(report.written, device.destinationDumpBlocks(),
                                                    destinationBlocks(device.family(), to.mode));
    check(readBack.matches() && readBack.complete());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    FuzzedDataProvider in(input, size);
    runScript(in);
    runCopy(in);
    return 0;
}
