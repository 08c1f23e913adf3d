#include <mutex>

#include "synth/SynthDevice.h"

namespace tessaline {

namespace {

// Bulk dump requests come as a triple: open (0E), the fixed middle request, close (0F).
constexpr const char* kRequestOpen = "20 M 0E %b %b";
constexpr const char* kRequestMiddle = "20 M %A";
constexpr const char* kRequestClose = "20 M 0F %b %b";

constexpr unsigned char kVoiceDumpHi = 0x0F;
constexpr unsigned char kPerformanceDumpHi = 0x4F;
constexpr unsigned char kMixDumpHi = 0x5F;
constexpr unsigned char kDumpLo = 0x00;

constexpr int kModeSettleMs = 100;
constexpr unsigned char kHighestProgram = 127;

}  // namespace

int SynthDevice::sendPlanned(const PlannedMessage& message) {
    const int address = message.address;
    const std::vector<unsigned char>& d = message.data;
    switch (d.size()) {
        case 1:
            return sendTemplate("10 M %A %b", address, d[0]);
        case 2:
            return sendTemplate("10 M %A %b %b", address, d[0], d[1]);
        case 3:
            return sendTemplate("10 M %A %b %b %b", address, d[0], d[1], d[2]);
        case 4:
            return sendTemplate("10 M %A %b %b %b %b", address, d[0], d[1], d[2], d[3]);
        default:
            return 1;  // no parameter change carries that many bytes, nor none
    }
}

void SynthDevice::sendParameter(int address, int value, int width) {
    CopyPlan plan;
    planParameter(plan, address, value, width);
    sendPlanned(plan.front());
}

void SynthDevice::sendParameter4(int address, unsigned char b1, unsigned char b2, unsigned char b3,
                                 unsigned char b4) {
    CopyPlan plan;
    planParameter4(plan, address, b1, b2, b3, b4);
    sendPlanned(plan.front());
}

void SynthDevice::writeBlock24(int address, const unsigned char* bytes) {
    CopyPlan plan;
    planEffectBlock(plan, address, bytes, 24);
    sendCopy(plan);
}

void SynthDevice::writeBlock25(int address, const unsigned char* bytes) {
    CopyPlan plan;
    planEffectBlock(plan, address, bytes, 25);
    sendCopy(plan);
}

void SynthDevice::setMode(int mode) {
    sendParameter(kModeAddress, mode, 1);
    // The instrument needs a moment to switch before it takes the next message.
    clock().sleepMs(kModeSettleMs);
}

void SynthDevice::requestDump(unsigned char hi, unsigned char lo) {
    sendTemplate(kRequestOpen, hi, lo);
    sendTemplate(kRequestMiddle, kMixCommonAddress);
    sendTemplate(kRequestClose, hi, lo);
}

// The request is noted before it goes out: its answer may arrive before the send returns.
unsigned SynthDevice::requestVoiceDump(int selection) {
    unsigned serial = 0;
    {
        std::lock_guard guard(inputLock);
        serial = voiceRequests_.ask(selection);
    }
    requestDump(kVoiceDumpHi, kDumpLo);
    return serial;
}

unsigned SynthDevice::requestPerformanceDump(int tag) {
    unsigned serial = 0;
    {
        std::lock_guard guard(inputLock);
        serial = performanceRequests_.ask(tag);
    }
    requestDump(kPerformanceDumpHi, kDumpLo);
    return serial;
}

unsigned SynthDevice::requestMixDump(int tag) {
    unsigned serial = 0;
    {
        std::lock_guard guard(inputLock);
        serial = mixRequests_.ask(tag);
    }
    requestDump(kMixDumpHi, kDumpLo);
    return serial;
}

unsigned SynthDevice::requestDestinationDump(int mode, int tag) {
    return mode == kModePerformance ? requestPerformanceDump(tag) : requestMixDump(tag);
}

unsigned SynthDevice::selectVoice(unsigned char bankIndex, unsigned char program) {
    if (program > kHighestProgram) {
        return 0;
    }
    setMode(kModeVoice);
    // Before identification there are no banks and no program change goes out. A bank index
    // the list does not know selects the program in whatever bank the instrument is on.
    bool haveBanks = false;
    int bankNumber = -1;
    {
        std::lock_guard guard(inputLock);
        haveBanks = !banks.empty();
        if (bankIndex < banks.size()) {
            bankNumber = banks[bankIndex].number;
        }
    }
    if (haveBanks) {
        selectProgram(program, bankNumber);
    }
    // Without the bank the instrument's answer is whatever voice it holds, which names no
    // selection.
    return requestVoiceDump(haveBanks && bankNumber >= 0 ? voiceSelection(bankIndex, program)
                                                         : kUnknownSelection);
}

void SynthDevice::selectPerformance(unsigned char program) {
    if (program > kHighestProgram) {
        return;
    }
    setMode(kModePerformance);
    selectProgram(program, kPerformanceBankNumber);
    requestPerformanceDump();
}

}  // namespace tessaline
