#include "synth/CopyBackup.h"

#include "synth/CopyRecord.h"
#include "synth/DestinationDumpFile.h"

namespace tessaline {

SavedBackup keepCopyBackup(const BackupStore& store, const CopyDestination& destination,
                           const CompletedDump& snapshot, const CopyPlan& plan,
                           std::chrono::system_clock::time_point time) {
    const ModelInfo* model = findModelByName(destination.model.c_str());
    if (model == nullptr) {
        return {{}, "No backup is kept for an instrument named \"" + destination.model + "\"."};
    }
    std::vector<unsigned char> bytes;
    for (const auto& message : snapshot.messages) {
        bytes.insert(bytes.end(), message.begin(), message.end());
    }
    const DumpFileResult whole = parseDestinationDump(bytes, *model);
    if (!whole.dump || whole.dump->kind != destination.kind) {
        return {{}, "The destination the instrument sent is not a whole dump: " + whole.error};
    }
    SavedBackup saved =
        store.save(destination.model, backupLabel(destination.kind, destination.performance),
                   whole.dump->messages, time);
    if (!saved.ok()) {
        return saved;
    }
    const CopyRecord record{destination.model, destination.kind, destination.performance,
                            destination.part, plan};
    if (std::string error = writeCopyRecord(recordPathOf(saved.path), record); !error.empty()) {
        return {{}, error};
    }
    return saved;
}

std::string programName(int program) {
    if (program < 0 || program > 127) {
        return "";
    }
    const int number = program % 16 + 1;
    return std::string(1, static_cast<char>('A' + program / 16)) + (number < 10 ? "0" : "") +
           std::to_string(number);
}

}  // namespace tessaline
