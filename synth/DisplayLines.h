#pragma once

#include <span>
#include <string>

#include "synth/ByteBlock.h"

namespace tessaline {

// Byte 12 of a voice or performance common block.
inline constexpr int kCategoryByte = 12;

// The two-character category abbreviations, indexed by the category byte.
std::span<const char* const> categoryNames();
// The abbreviation for a category byte; "??" for a value the table does not know.
const char* categoryName(unsigned char category);

// " PRE1:001(A01) Ap:" followed by the ten name characters of the voice common block. The bank
// text is padded on the left to four characters, so PRE1 and GM line up and USER1 sticks out.
// A missing block reads as zeros.
std::string voiceLine(const std::string& bankName, int letter, int number,
                      const ByteBlock* voiceCommon);
// " USER:004(A04) Co:" followed by the ten name characters of the performance common block.
std::string performanceLine(int letter, int number, const ByteBlock* performanceCommon);

}  // namespace tessaline
