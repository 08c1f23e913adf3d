#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "synth/ReadBack.h"

namespace tessaline {

// Dump areas, by the mid byte of their header (0E mm 00) and footer (0F mm 00).
inline constexpr int kVoiceDumpArea = 0x0F;
inline constexpr int kPerformanceDumpArea = 0x4F;
inline constexpr int kMixDumpArea = 0x5F;

// One dump as it arrived, from its header block to its footer block.
struct CompletedDump {
    int area = 0;
    // The data blocks that passed their checks, in the order they arrived.
    std::vector<ReceivedBlock> blocks;
    // Every message of the dump byte for byte, header and footer included, as the instrument
    // sent them: what a backup keeps.
    std::vector<std::vector<std::uint8_t>> messages;
    // A block failed its checks, the header was missing, or the dump outgrew its bounds.
    bool damaged = false;
};

// Collects the instrument's bulk dumps block by block and hands each out once its footer has
// arrived. Not thread-safe: the device keeps it under the port's lock.
class DumpCollector {
  public:
    // A mix has 20 blocks and its messages some 2.5 KiB; more than this between one header and
    // footer is not an answer of the family, and memory stays bounded whatever arrives.
    static constexpr std::size_t kMaxBlocks = 64;
    static constexpr std::size_t kMaxBytes = 64 * 1024;

    // One bulk block that passed its checks, with its whole message. Returns the dump it closed.
    std::optional<CompletedDump> take(int address, std::span<const unsigned char> data,
                                      std::span<const unsigned char> message);
    // A block that failed its checks: the dump under way is damaged.
    void damaged();
    void reset();

    // The blocks of the last performance or song mix dump that closed, in arrival order.
    const std::vector<ReceivedBlock>& lastDump() const { return last_; }
    // How many performance or song mix dumps have closed since the last reset.
    unsigned completed() const { return completed_; }

  private:
    std::optional<CompletedDump> close(int area, std::span<const unsigned char> message);
    void keep(std::span<const unsigned char> message);

    bool open_ = false;
    CompletedDump collecting_;
    std::size_t bytes_ = 0;
    std::vector<ReceivedBlock> last_;
    unsigned completed_ = 0;
};

}  // namespace tessaline
