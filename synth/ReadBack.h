#pragma once

#include <span>
#include <vector>

#include "synth/CopyPlan.h"

namespace tessaline {

// One data block of a bulk dump: its address AH AM AL and its data bytes, which stand for the
// addresses AH AM AL .. AL+n-1.
struct ReceivedBlock {
    int address = 0;
    std::vector<unsigned char> data;
    bool operator==(const ReceivedBlock&) const = default;
};

struct ValueDifference {
    int address = 0;
    int sent = 0;
    int found = 0;
    bool operator==(const ValueDifference&) const = default;
};

// The read-back check of one copy: of `values` written, `checked` were found in the answer and
// `notReported` were in no block of it; `differences` lists, by address, the checked values that
// the instrument holds otherwise.
struct ReadBackResult {
    int values = 0;
    int checked = 0;
    int notReported = 0;
    std::vector<ValueDifference> differences;
    bool matches() const { return differences.empty(); }
};

// An address that no block holds is not reported, never a difference: the instrument only
// answers with the blocks it has. Where blocks overlap, the later one counts, as it arrived
// last.
ReadBackResult compareReadBack(const WrittenValues& written, std::span<const ReceivedBlock> blocks);

}  // namespace tessaline
