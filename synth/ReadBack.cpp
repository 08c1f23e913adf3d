#include "synth/ReadBack.h"

#include <algorithm>

namespace tessaline {

namespace {

// The byte a block holds for an address, or -1.
int heldAt(const ReceivedBlock& block, int address) {
    const long long offset = static_cast<long long>(address) - block.address;
    if (offset < 0 || offset >= static_cast<long long>(block.data.size())) {
        return -1;
    }
    return block.data[static_cast<std::size_t>(offset)];
}

}  // namespace

ReadBackResult compareReadBack(const WrittenValues& written, std::span<const ReceivedBlock> blocks,
                               std::span<const BlockSpan> expected) {
    ReadBackResult result;
    result.values = static_cast<int>(written.size());
    for (const auto& [where, sent] : written) {
        const int address = where;  // a name a lambda can capture
        int found = -1;
        for (auto block = blocks.rbegin(); block != blocks.rend() && found < 0; ++block) {
            found = heldAt(*block, address);
        }
        if (found >= 0) {
            ++result.checked;
            if (found != sent) {
                result.differences.push_back({address, sent, found});
            }
            continue;
        }
        const auto home = std::find_if(expected.begin(), expected.end(),
                                       [address](const BlockSpan& b) { return b.holds(address); });
        if (home == expected.end()) {
            ++result.notReported;
            continue;
        }
        ++result.unchecked;
        if (std::find(result.missingBlocks.begin(), result.missingBlocks.end(), home->address) ==
            result.missingBlocks.end()) {
            result.missingBlocks.push_back(home->address);
        }
    }
    return result;
}

}  // namespace tessaline
