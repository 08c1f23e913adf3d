#include "synth/CopyPlan.h"

namespace tessaline {

namespace {

constexpr int kPairedBytes = 22;  // of a 24- or 25-byte block, sent two per message

}  // namespace

void planParameter(CopyPlan& plan, int address, int value, int width) {
    const auto v = static_cast<unsigned>(value);
    if (width == 1) {
        plan.push_back({address, {static_cast<unsigned char>(v & 0xFF)}});
    } else {
        plan.push_back(
            {address,
             {static_cast<unsigned char>((v >> 7) & 0x7F), static_cast<unsigned char>(v & 0x7F)}});
    }
}

void planParameter4(CopyPlan& plan, int address, unsigned char b1, unsigned char b2,
                    unsigned char b3, unsigned char b4) {
    plan.push_back({address, {b1, b2, b3, b4}});
}

void planEffectBlock(CopyPlan& plan, int address, const unsigned char* bytes, int size) {
    // Each source byte is 7-bit, so a pair goes out unchanged as the two bytes of a 14-bit value.
    for (int i = 0; i < kPairedBytes; i += 2) {
        planParameter(plan, address + i, bytes[i] * 128 + bytes[i + 1], 2);
    }
    for (int i = kPairedBytes; i < size; ++i) {
        planParameter(plan, address + i, bytes[i], 1);
    }
}

WrittenValues writtenValues(const CopyPlan& plan) {
    WrittenValues written;
    for (const PlannedMessage& message : plan) {
        for (std::size_t i = 0; i < message.data.size(); ++i) {
            written[message.address + static_cast<int>(i)] = message.data[i];
        }
    }
    return written;
}

}  // namespace tessaline
