#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "synth/CopyPlan.h"
#include "synth/DestinationKind.h"

namespace tessaline {

// What a copy did, kept beside the backup of its destination so that an undo, even from another
// run of the program, knows what to take back and can tell whether the copy is still there.
struct CopyRecord {
    std::string model;  // display name, e.g. "Motif ES7"
    DestinationKind kind = DestinationKind::Performance;
    std::string performance;  // e.g. "B16"; empty for the song mix
    int part = 1;             // 1-based
    CopyPlan messages;        // in the order they went out
    bool operator==(const CopyRecord&) const = default;
};

// A record file larger than this is not one of ours; a copy's record is a few kilobytes.
inline constexpr std::size_t kMaxRecordFileBytes = std::size_t{256} << 10;
inline constexpr std::size_t kMaxRecordMessages = 2048;

struct RecordResult {
    std::optional<CopyRecord> record;
    std::string error;
};

std::string copyRecordToJson(const CopyRecord& record);
// Checks every field; a malformed text gives the reason, never a half record.
RecordResult copyRecordFromJson(std::string_view text);

// Whole or not at all; empty on success, else the reason, naming the path.
std::string writeCopyRecord(const std::filesystem::path& path, const CopyRecord& record);
RecordResult readCopyRecord(const std::filesystem::path& path);

}  // namespace tessaline
