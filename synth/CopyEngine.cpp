#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "synth/CopyScript.h"
#include "synth/SynthDevice.h"

namespace tessaline {

namespace copyscript {

namespace {

constexpr int kPartStride = 0x100;
constexpr int kFirstPartOffset = 0x10000;
constexpr int kEffectBlockBuffer = 25;  // the larger of the two 24- and 25-byte blocks

// A byte outside the block reads as 0: a record taken before identification, or one of
// another layout, must never be read past its end.
int byteAt(const ByteBlock& block, int index) {
    if (index < 0 || index >= block.size()) {
        return 0;
    }
    return block.data()[index];
}

bool holds(When when, const CopyInputs& in) {
    const bool performance = in.mode == kModePerformance;
    switch (when) {
        case When::Always:
            return true;
        case When::Performance:
            return performance;
        case When::PerformanceWithName:
            return performance && in.withName;
        case When::WithInsFx:
            return in.withInsFx;
        case When::WithSysFx:
            return in.withSysFx;
    }
    return false;
}

int commonBase(int mode) {
    return mode == kModePerformance ? kPerformanceCommonAddress : kMixCommonAddress;
}

int partBase(int mode, int part) {
    return commonBase(mode) + kFirstPartOffset + part * kPartStride;
}

class Interpreter {
  public:
    Interpreter(const Script& script, const CopyInputs& inputs, CopyPlan& plan)
        : script_(script), in_(inputs), plan_(plan) {}

    void run() {
        for (const Step& step : script_.steps) {
            if (!holds(step.when, in_)) {
                continue;
            }
            switch (step.base) {
                case Base::Part:
                    sendRun(step, partBase(in_.mode, in_.part), in_.part);
                    break;
                case Base::Common:
                    sendRun(step, commonBase(in_.mode), in_.part);
                    break;
                case Base::EachPart:
                case Base::OtherParts:
                    for (int part = 0; part < kPerformanceParts; ++part) {
                        if (step.base == Base::OtherParts && part == in_.part) {
                            continue;
                        }
                        sendRun(step, partBase(in_.mode, part), part);
                    }
                    break;
            }
        }
    }

  private:
    // The voice block a source reads; null for every other source.
    const ByteBlock* blockOf(Source source) const {
        const int index = source == Source::C    ? 0
                          : source == Source::D  ? 1
                          : source == Source::F1 ? 2
                          : source == Source::F2 ? 3
                                                 : -1;
        return index < 0 ? nullptr : &in_.voice->blocks[index];
    }

    int tableByte(int index) const {
        const auto& table = script_.fixedBlock;
        return index >= 0 && static_cast<std::size_t>(index) < table.size() ? table[index] : 0;
    }

    int sourceByte(Source source, int index) const {
        if (source == Source::FixedTable) {
            return tableByte(index);
        }
        const ByteBlock* block = blockOf(source);
        return block != nullptr ? byteAt(*block, index) : 0;
    }

    // The value of write `k` of a run; `loopPart` is the part a per-part row is writing.
    int valueOf(const Value& value, Send send, int k, int loopPart) const {
        const int stride = send == Send::Pair ? 2 : 1;
        switch (value.source) {
            case Source::Constant:
                return value.arg;
            case Source::C:
            case Source::D:
            case Source::F1:
            case Source::F2:
            case Source::FixedTable: {
                const int index = value.arg + k * stride;
                if (send == Send::Pair) {
                    return sourceByte(value.source, index) * 128 +
                           sourceByte(value.source, index + 1);
                }
                return sourceByte(value.source, index);
            }
            case Source::BankMsb:
                return (in_.bankNumber >> 7) & 0x7F;
            case Source::BankLsb:
                return in_.bankNumber & 0x7F;
            case Source::Program:
                return in_.program;
            case Source::PartIndex:
                return in_.part;
            case Source::IsDestination:
                return loopPart == in_.part ? 1 : 0;
            case Source::Bit1FromC:
                return 0x7D | ((byteAt(in_.voice->blocks[0], value.arg) & 1) << 1);
            case Source::PartMask:
                // Bit n marks part index n; the widest field four data bytes can carry is 28
                // bits, far beyond the 16 parts of a mix.
                return in_.part < 28 ? 1 << in_.part : 0;
        }
        return 0;
    }

    void sendRun(const Step& step, int base, int loopPart) {
        const int address = base + step.offset;
        switch (step.send) {
            case Send::One:
            case Send::Pair: {
                const int width = step.send == Send::Pair ? 2 : 1;
                for (int k = 0; k < step.count; ++k) {
                    planParameter(plan_, address + k * width,
                                  valueOf(step.value, step.send, k, loopPart), width);
                }
                break;
            }
            case Send::Four: {
                // Seven bits ride in each data byte, most significant group first, so no bit
                // of the value ever lands in a byte's top bit.
                const auto value =
                    static_cast<std::uint32_t>(valueOf(step.value, step.send, 0, loopPart));
                planParameter4(plan_, address, static_cast<unsigned char>((value >> 21) & 0x7F),
                               static_cast<unsigned char>((value >> 14) & 0x7F),
                               static_cast<unsigned char>((value >> 7) & 0x7F),
                               static_cast<unsigned char>(value & 0x7F));
                break;
            }
            case Send::Block24:
            case Send::Block25: {
                // A block always has its full count of bytes; a shorter source block is padded
                // with zeros rather than over-read.
                unsigned char bytes[kEffectBlockBuffer] = {};
                const ByteBlock* block = blockOf(step.value.source);
                if (block != nullptr && !block->empty()) {
                    std::memcpy(
                        bytes, block->data(),
                        static_cast<std::size_t>(std::min(block->size(), kEffectBlockBuffer)));
                }
                planEffectBlock(plan_, address, bytes, step.send == Send::Block24 ? 24 : 25);
                break;
            }
        }
    }

    const Script& script_;
    const CopyInputs& in_;
    CopyPlan& plan_;
};

}  // namespace

CopyPlan plan(const Script& script, const CopyInputs& inputs) {
    static const VoiceRecord empty;
    CopyInputs checked = inputs;
    if (checked.voice == nullptr) {
        checked.voice = &empty;
    }
    CopyPlan result;
    Interpreter(script, checked, result).run();
    return result;
}

}  // namespace copyscript

namespace {

copyscript::CopyInputs makeInputs(const MidiPort& port, const VoiceRecord& voice, int mode,
                                  unsigned char bankIndex, unsigned char program,
                                  unsigned char part, int withSysFx, int withInsFx, int withName) {
    copyscript::CopyInputs in;
    in.voice = &voice;
    in.mode = mode;
    // An index outside the bank list is never read; it selects bank 0.
    const std::optional<BankEntry> bank = port.bankAt(bankIndex);
    in.bankNumber = bank ? bank->number : 0;
    in.program = program;
    in.part = part;
    in.withSysFx = withSysFx != 0;
    in.withInsFx = withInsFx != 0;
    in.withName = withName != 0;
    return in;
}

}  // namespace

CopyReport SynthDevice::sendCopy(const CopyPlan& plan) {
    CopyReport report;
    report.planned = static_cast<int>(plan.size());
    // A message that fails has shown its box; the rest would land on a part half written, and
    // each would raise a box of its own.
    for (const PlannedMessage& message : plan) {
        if (sendPlanned(message) != 0) {
            break;
        }
        ++report.sent;
    }
    report.written = writtenValues(plan);
    return report;
}

CopyReport SynthDevice::copyVoiceToPart(const VoiceRecord& voice, int mode, unsigned char bankIndex,
                                        unsigned char program, unsigned char part, int withSysFx,
                                        int withInsFx, int withName) {
    return sendCopy(copyscript::plan(
        copyscript::motifScript(),
        makeInputs(*this, voice, mode, bankIndex, program, part, withSysFx, withInsFx, withName)));
}

CopyReport SynthDevice::copyVoiceToPartES(const VoiceRecord& voice, int mode,
                                          unsigned char bankIndex, unsigned char program,
                                          unsigned char part, int withSysFx, int withInsFx,
                                          int withName) {
    return sendCopy(copyscript::plan(
        copyscript::motifEsScript(),
        makeInputs(*this, voice, mode, bankIndex, program, part, withSysFx, withInsFx, withName)));
}

CopyPlan SynthDevice::planCopyOfFamily(int mode, unsigned char bankIndex, unsigned char program,
                                       unsigned char part, int withSysFx, int withInsFx,
                                       int withName) const {
    // A dump arriving on the input thread during the copy must not change what is sent, so
    // the script reads a copy taken under the port's lock.
    return planCopy(voiceSnapshot(), mode, bankIndex, program, part, withSysFx, withInsFx,
                    withName);
}

CopyPlan SynthDevice::planCopy(const VoiceRecord& voice, int mode, unsigned char bankIndex,
                               unsigned char program, unsigned char part, int withSysFx,
                               int withInsFx, int withName) const {
    const copyscript::Script& script =
        family() == FamilyMotifES ? copyscript::motifEsScript() : copyscript::motifScript();
    return copyscript::plan(script, makeInputs(*this, voice, mode, bankIndex, program, part,
                                               withSysFx, withInsFx, withName));
}

CopyReport SynthDevice::copyVoiceOfFamily(int mode, unsigned char bankIndex, unsigned char program,
                                          unsigned char part, int withSysFx, int withInsFx,
                                          int withName) {
    return sendCopy(
        planCopyOfFamily(mode, bankIndex, program, part, withSysFx, withInsFx, withName));
}

}  // namespace tessaline
