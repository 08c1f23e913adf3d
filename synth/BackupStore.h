#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "synth/WholeFileWrite.h"

namespace tessaline {

// Where a save went, or the reason it did not (naming the path).
struct SavedBackup {
    std::filesystem::path path;
    std::string error;
    bool ok() const { return error.empty(); }
};

// The destinations kept before copies, one folder per model under
// <program data folder>/backups/<model>/, as standard .syx files named
// <YYYY-MM-DD_HH-MM-SS>_<label>.syx in local time. Each may have a record file beside it, the
// same name ending in .json, which goes when the backup goes.
class BackupStore {
  public:
    static constexpr std::size_t kKeptPerModel = 200;

    explicit BackupStore(std::filesystem::path dataFolder,
                         PublishStep publish = publishWithoutReplacing);

    std::filesystem::path folderOf(const std::string& model) const;

    // Writes the messages, concatenated byte for byte, whole or not at all; a name taken in the
    // same second gets -2, -3, ... before .syx. Then keeps only the newest kKeptPerModel
    // backups of the model. `label` is e.g. "performance-B16" or "song-mix".
    SavedBackup save(const std::string& model, const std::string& label,
                     std::span<const std::vector<unsigned char>> messages,
                     std::chrono::system_clock::time_point time) const;

    // The model's backups, oldest first; nothing else in the folder counts as one.
    std::vector<std::filesystem::path> backups(const std::string& model) const;
    std::optional<std::filesystem::path> newest(const std::string& model) const;

  private:
    void prune(const std::string& model) const;

    std::filesystem::path dataFolder_;
    PublishStep publish_;
};

// The record file that belongs to a backup.
std::filesystem::path recordPathOf(const std::filesystem::path& backup);

}  // namespace tessaline
