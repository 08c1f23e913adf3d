#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "synth/DestinationKind.h"
#include "synth/ModelFamily.h"
#include "synth/ReadBack.h"

namespace tessaline {

// The largest dump file taken; a whole song mix is a few kilobytes.
inline constexpr std::size_t kMaxDumpFileBytes = std::size_t{1} << 20;

// One performance or song mix dump as the instrument sends it: its header block, data blocks
// and footer block.
struct DestinationDump {
    DestinationKind kind = DestinationKind::Performance;
    // Every message of the dump, byte for byte, header and footer included.
    std::vector<std::vector<unsigned char>> messages;
    // The data blocks alone, in their order.
    std::vector<ReceivedBlock> blocks;
};

// A dump, or the reason it was refused.
struct DumpFileResult {
    std::optional<DestinationDump> dump;
    std::string error;
};

// Takes `bytes` as one dump of the current performance or song mix of `model`, or refuses it
// with a plain reason before anything could be sent: too large, stray bytes, a damaged message
// (no end, a byte with its top bit set, a wrong byte count or checksum), another model's ID,
// or not a whole performance or song mix dump that the model has.
DumpFileResult parseDestinationDump(std::span<const unsigned char> bytes, const ModelInfo& model);

// The same for a file; refuses one larger than kMaxDumpFileBytes without reading it all.
DumpFileResult readDestinationDumpFile(const std::filesystem::path& path, const ModelInfo& model);

}  // namespace tessaline
