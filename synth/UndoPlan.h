#pragma once

#include <span>
#include <string>

#include "synth/CopyPlan.h"
#include "synth/ReadBack.h"

namespace tessaline {

// The messages that take a copy back, or the reason there are none.
struct UndoPlan {
    CopyPlan messages;
    std::string error;
    bool ok() const { return error.empty(); }
};

// For every message of the copy, in its order, the same address and the same number of data
// bytes, carrying what the backup holds there: the instrument takes the values back in the
// form it took the copy. Where the copy wrote an address twice, both carry the backup's value.
// An address the backup does not hold makes the undo impossible.
UndoPlan planUndo(const CopyPlan& copy, std::span<const ReceivedBlock> backup);

// True only when every value the copy wrote is found, unchanged, in the current blocks; a copy
// that wrote nothing proves nothing and gives false.
bool stillHoldsCopy(const WrittenValues& written, std::span<const ReceivedBlock> current);

// Every byte of every block at its address, the later block winning where two overlap: what a
// restore of the dump expects to read back.
WrittenValues valuesOfDump(std::span<const ReceivedBlock> blocks);

}  // namespace tessaline
