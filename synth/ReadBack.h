#pragma once

#include <span>
#include <vector>

#include "synth/CopyPlan.h"
#include "synth/DestinationLayout.h"

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

// The read-back check of one write: of `values` written, `checked` were found in an intact block
// of the answer; `unchecked` lie in a block the answer must hold but which did not arrive intact
// (`missingBlocks` names those blocks); `notReported` lie outside every block the answer holds by
// design. `differences` lists, by address, the checked values the instrument holds otherwise.
struct ReadBackResult {
    int values = 0;
    int checked = 0;
    int unchecked = 0;
    int notReported = 0;
    std::vector<int> missingBlocks;
    std::vector<ValueDifference> differences;
    bool matches() const { return differences.empty(); }
    // Every value the answer should hold was seen, and at least one value was.
    bool complete() const { return unchecked == 0 && checked > 0; }
};

// Where blocks overlap, the later one counts, as it arrived last.
ReadBackResult compareReadBack(const WrittenValues& written, std::span<const ReceivedBlock> blocks,
                               std::span<const BlockSpan> expected);

}  // namespace tessaline
