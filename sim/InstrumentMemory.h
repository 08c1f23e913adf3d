#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/InstrumentModels.h"
#include "sim/MemoryLayout.h"

namespace tessaline {

// Everything the virtual instrument remembers: its voice banks and USER performances (reached
// only through program changes) and the addressable memory (the voice, performance and song
// mix edit buffers and the mode parameter), all filled from a seed at construction. A family
// without performances or song mix has neither their edit buffers nor stored performances.
// Not thread-safe; the instrument guards it.
class InstrumentMemory {
  public:
    InstrumentMemory(InstrumentFamily family, std::uint64_t seed);

    InstrumentFamily family() const { return family_; }

    // The addressable block with this base address, or null.
    const std::vector<unsigned char>* block(unsigned base) const;
    // Writes one byte of addressable memory; false when the address lies in no block.
    bool writeByte(unsigned address, unsigned char value);
    bool holds(unsigned address) const;
    // Takes a bulk block into the edit buffer it is dumped from: false (and nothing written)
    // unless `base` starts one of the family's dump blocks and `data` is exactly its size.
    bool writeDumpBlock(unsigned base, const std::vector<unsigned char>& data);
    const BlockMap& addressable() const { return edit_; }

    // An area's blocks in dump order, with their current contents.
    std::vector<std::pair<unsigned, std::vector<unsigned char>>> dumpBlocks(DumpArea area) const;

    int bankCount() const { return static_cast<int>(banks_.size()); }
    // Stored contents, keyed by the edit-buffer addresses; empty when out of range.
    BlockMap storedVoice(int bankIndex, int program) const;
    BlockMap userPerformance(int program) const;

    // Copy a stored voice or performance into its edit buffer; false when out of range.
    bool loadVoice(int bankIndex, int program);
    bool loadPerformance(int program);

    int mode() const;

  private:
    InstrumentFamily family_;
    BlockMap edit_;
    std::vector<std::vector<BlockMap>> banks_;  // [bank][program]
    std::vector<BlockMap> performances_;        // [program], none without performances
};

}  // namespace tessaline
