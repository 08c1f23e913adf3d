#pragma once

#include <chrono>
#include <filesystem>
#include <string>

#include "synth/BackupStore.h"
#include "synth/CopyPlan.h"
#include "synth/DestinationKind.h"
#include "synth/DumpCollector.h"

namespace tessaline {

// Where a copy goes, as its backup and record name it.
struct CopyDestination {
    std::string model;  // display name, e.g. "Motif ES7"
    DestinationKind kind = DestinationKind::Performance;
    std::string performance;  // e.g. "B16"; empty for the song mix
    int part = 1;             // 1-based
};

// Keeps the destination as the instrument sent it before a copy, a standard .syx file, and the
// copy's record beside it, so that the copy can be undone later, from any run of the program.
// The snapshot is read once more as a file would be, so that only a whole dump is kept. Returns
// the backup's path, or the reason it could not be kept.
SavedBackup keepCopyBackup(const BackupStore& store, const CopyDestination& destination,
                           const CompletedDump& snapshot, const CopyPlan& plan,
                           std::chrono::system_clock::time_point time);

// "B16" for a program value 0..127.
std::string programName(int program);

}  // namespace tessaline
