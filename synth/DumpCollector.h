#pragma once

#include <span>
#include <vector>

#include "synth/ReadBack.h"

namespace tessaline {

// Keeps the data blocks of the latest performance or song mix dump, the answer a read-back
// check compares with. A dump runs from its header block (0E 4F 00 or 0E 5F 00) to its footer
// (0F 4F 00 or 0F 5F 00); only a dump that reached its footer is handed out. Not thread-safe:
// the device keeps it under the port's lock.
class DumpCollector {
  public:
    // A mix has 20 blocks; more than this between one header and footer is not an answer of
    // the family, and memory stays bounded whatever arrives.
    static constexpr std::size_t kMaxBlocks = 64;

    // One verified bulk block. True when it closed a destination dump.
    bool take(int address, std::span<const unsigned char> data);
    void reset();

    // The blocks of the last complete dump, in the order they arrived.
    const std::vector<ReceivedBlock>& lastDump() const { return last_; }
    // How many destination dumps have completed since the last reset.
    unsigned completed() const { return completed_; }

  private:
    int open_ = 0;  // header address of the dump under way, 0 when none
    std::vector<ReceivedBlock> collecting_;
    std::vector<ReceivedBlock> last_;
    unsigned completed_ = 0;
};

}  // namespace tessaline
