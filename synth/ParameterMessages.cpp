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
constexpr int kPairedBytes = 22;  // of a 24- or 25-byte block, sent two per message
constexpr unsigned char kHighestProgram = 127;

}  // namespace

void SynthDevice::sendParameter(int address, int value, int width) {
    if (width == 1) {
        sendTemplate("10 M %A %b", address, value);
    } else {
        sendTemplate("10 M %A %B", address, value);
    }
}

void SynthDevice::sendParameter4(int address, unsigned char b1, unsigned char b2, unsigned char b3,
                                 unsigned char b4) {
    sendTemplate("10 M %A %b %b %b %b", address, b1, b2, b3, b4);
}

void SynthDevice::writeBlock24(int address, const unsigned char* bytes) {
    // Each source byte is 7-bit, so a pair goes out unchanged as the two bytes of a 14-bit value.
    for (int i = 0; i < kPairedBytes; i += 2) {
        sendParameter(address + i, bytes[i] * 128 + bytes[i + 1], 2);
    }
    sendParameter(address + 22, bytes[22], 1);
    sendParameter(address + 23, bytes[23], 1);
}

void SynthDevice::writeBlock25(int address, const unsigned char* bytes) {
    writeBlock24(address, bytes);
    sendParameter(address + 24, bytes[24], 1);
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

void SynthDevice::requestVoiceDump() {
    requestDump(kVoiceDumpHi, kDumpLo);
}

void SynthDevice::requestPerformanceDump() {
    requestDump(kPerformanceDumpHi, kDumpLo);
}

void SynthDevice::requestMixDump() {
    requestDump(kMixDumpHi, kDumpLo);
}

void SynthDevice::selectVoice(unsigned char bankIndex, unsigned char program) {
    if (program > kHighestProgram) {
        return;
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
    requestVoiceDump();
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
