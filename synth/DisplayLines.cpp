#include "synth/DisplayLines.h"

#include <cstdio>
#include <mutex>

#include "synth/SynthDevice.h"

namespace tessaline {

namespace {

constexpr const char* kCategoryNames[] = {
    "--", "Ap", "Kb", "Or", "Gt", "Ba", "St", "Br", "Rp",
    "Ld", "Pd", "Sc", "Cp", "Dr", "Se", "Me", "Co",
};

constexpr const char* kUnknownCategory = "??";
constexpr std::size_t kBankColumns = 4;

unsigned char categoryOf(const ByteBlock* block) {
    if (block == nullptr || block->size() <= kCategoryByte) {
        return 0;
    }
    return block->data()[kCategoryByte];
}

// "%03d(%c%02d) %s:" of a program and its category: the part both lines share.
std::string programText(int letter, int number, const ByteBlock* block) {
    char text[64];
    std::snprintf(text, sizeof text, "%03d(%c%02d) %s:", letter * 16 + number + 1,
                  static_cast<char>('A' + letter), number + 1, categoryName(categoryOf(block)));
    return text;
}

std::string nameOf(const ByteBlock* block) {
    return block != nullptr ? block->name() : std::string();
}

}  // namespace

std::span<const char* const> categoryNames() {
    return kCategoryNames;
}

const char* categoryName(unsigned char category) {
    return category < std::size(kCategoryNames) ? kCategoryNames[category] : kUnknownCategory;
}

std::string voiceLine(const std::string& bankName, int letter, int number,
                      const ByteBlock* voiceCommon) {
    std::string line = " ";
    if (bankName.size() < kBankColumns) {
        line.append(kBankColumns - bankName.size(), ' ');
    }
    line += bankName;
    line += ':';
    line += programText(letter, number, voiceCommon);
    line += nameOf(voiceCommon);
    return line;
}

std::string performanceLine(int letter, int number, const ByteBlock* performanceCommon) {
    return " USER:" + programText(letter, number, performanceCommon) + nameOf(performanceCommon);
}

std::string SynthDevice::formatVoiceLine(int bankIndex, int letter, int number) const {
    std::lock_guard guard(inputLock);
    const bool known = bankIndex >= 0 && bankIndex < static_cast<int>(banks.size());
    return voiceLine(known ? banks[static_cast<std::size_t>(bankIndex)].name : std::string(),
                     letter, number, voiceRecord ? &voiceRecord->blocks[0] : nullptr);
}

std::string SynthDevice::formatPerformanceLine(int letter, int number) const {
    std::lock_guard guard(inputLock);
    return performanceLine(letter, number, performanceCommon.get());
}

}  // namespace tessaline
