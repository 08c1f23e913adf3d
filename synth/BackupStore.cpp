#include "synth/BackupStore.h"

#include <algorithm>
#include <ctime>
#include <mutex>
#include <tuple>

#include "platform/FileSync.h"

namespace tessaline {

namespace {

constexpr const char* kExtension = ".syx";
constexpr const char* kRecordExtension = ".json";
constexpr std::size_t kStampLength = 19;  // YYYY-MM-DD_HH-MM-SS
constexpr std::size_t kMaxNamePart = 64;
constexpr int kMaxSuffix = 999;
// The folder is ours, but anyone can fill it; looking further than this is not worth the time.
constexpr std::size_t kMaxEntriesLooked = 100000;
// A temporary file this old was left by a writer that died; a younger one may still be written.
constexpr auto kStaleTemporaryAge = std::chrono::hours(1);

// std::localtime shares one buffer between callers; this program's callers take turns.
std::string stampOf(std::chrono::system_clock::time_point time) {
    static std::mutex mutex;
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    char text[kStampLength + 1] = {};
    std::lock_guard<std::mutex> lock(mutex);
    const std::tm* local = std::localtime(&seconds);
    if (local == nullptr || std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", local) == 0) {
        return {};
    }
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isStamp(std::string_view text) {
    constexpr std::string_view kPattern = "dddd-dd-dd_dd-dd-dd";
    if (text.size() != kPattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (kPattern[i] == 'd' ? !isDigit(text[i]) : text[i] != kPattern[i]) {
            return false;
        }
    }
    return true;
}

// A label goes into a file name as it stands, so it keeps to letters, digits and dashes.
bool isLabel(std::string_view label) {
    return !label.empty() && label.size() <= kMaxNamePart &&
           std::all_of(label.begin(), label.end(), [](char c) {
               return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-';
           });
}

// A model name becomes one folder, never a way out of the backups folder.
bool isFolderName(std::string_view model) {
    return !model.empty() && model.size() <= kMaxNamePart && model != "." && model != ".." &&
           std::none_of(model.begin(), model.end(), [](char c) {
               return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
           });
}

// The -N a name taken in the same second got, 1 for none.
int suffixOf(std::string_view label) {
    const std::size_t dash = label.rfind('-');
    if (dash == std::string_view::npos || dash + 1 == label.size() || label.size() - dash > 4) {
        return 1;
    }
    int value = 0;
    for (char c : label.substr(dash + 1)) {
        if (!isDigit(c)) {
            return 1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string nameFor(const std::string& stamp, const std::string& label, int suffix) {
    return stamp + "_" + label + (suffix > 1 ? "-" + std::to_string(suffix) : "") + kExtension;
}

struct Listed {
    std::string stamp;
    std::filesystem::file_time_type modified;
    int suffix;
    std::filesystem::path path;
};

void removeStaleTemporaryFiles(const std::filesystem::path& folder) {
    std::error_code ec;
    const auto now = std::filesystem::file_time_type::clock::now();
    std::size_t looked = 0;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (++looked > kMaxEntriesLooked) {
            break;
        }
        std::error_code entryError;
        if (isTemporaryFileName(it->path().filename().string()) &&
            now - it->last_write_time(entryError) > kStaleTemporaryAge && !entryError) {
            std::filesystem::remove(it->path(), entryError);
        }
    }
}

}  // namespace

BackupStore::BackupStore(std::filesystem::path dataFolder, PublishStep publish)
    : dataFolder_(std::move(dataFolder)),
      publish_(publish ? std::move(publish) : PublishStep(publishWithoutReplacing)) {}

std::filesystem::path BackupStore::folderOf(const std::string& model) const {
    return dataFolder_ / "backups" / model;
}

SavedBackup BackupStore::save(const std::string& model, const std::string& label,
                              std::span<const std::vector<unsigned char>> messages,
                              std::chrono::system_clock::time_point time) const {
    if (!isFolderName(model) || !isLabel(label)) {
        return {{}, "Cannot name a backup of \"" + model + "\" as \"" + label + "\"."};
    }
    const std::filesystem::path folder = folderOf(model);
    const std::string stamp = stampOf(time);
    if (stamp.empty()) {
        return {{}, "Cannot name a backup in " + folder.string() + ": the time is out of range."};
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        return {{}, "Could not create the folder " + folder.string() + ": " + ec.message() + "."};
    }
    std::vector<unsigned char> bytes;
    for (const std::vector<unsigned char>& message : messages) {
        bytes.insert(bytes.end(), message.begin(), message.end());
    }
    const TemporaryFile temporary = writeTemporaryFile(folder, bytes);
    if (!temporary.failure.empty()) {
        return {{},
                "Could not write " + (folder / nameFor(stamp, label, 1)).string() + ": " +
                    temporary.failure + "."};
    }
    for (int suffix = 1; suffix <= kMaxSuffix; ++suffix) {
        const std::filesystem::path target = folder / nameFor(stamp, label, suffix);
        ec = publish_(temporary.path, target);
        if (ec == std::errc::file_exists) {
            continue;
        }
        if (ec) {
            std::error_code ignored;
            std::filesystem::remove(temporary.path, ignored);
            return {{}, "Could not write " + target.string() + ": " + ec.message() + "."};
        }
        syncFolderToDisk(folder);
        prune(model);
        return {target, {}};
    }
    std::filesystem::remove(temporary.path, ec);
    return {{},
            "Could not write a backup in " + folder.string() + ": every name of " + stamp +
                " is taken."};
}

std::vector<std::filesystem::path> BackupStore::backups(const std::string& model) const {
    std::vector<Listed> listed;
    if (!isFolderName(model)) {
        return {};
    }
    std::error_code ec;
    std::size_t looked = 0;
    for (std::filesystem::directory_iterator it(folderOf(model), ec), end; !ec && it != end;
         it.increment(ec)) {
        if (++looked > kMaxEntriesLooked) {
            break;
        }
        const std::string name = it->path().filename().string();
        const std::string_view extension = kExtension;
        if (name.size() < kStampLength + 1 + extension.size() || !name.ends_with(extension) ||
            !isStamp(std::string_view(name).substr(0, kStampLength)) || name[kStampLength] != '_') {
            continue;
        }
        std::error_code entryError;
        if (!it->is_regular_file(entryError)) {
            continue;
        }
        const std::string_view label = std::string_view(name).substr(
            kStampLength + 1, name.size() - kStampLength - 1 - extension.size());
        listed.push_back({name.substr(0, kStampLength), it->last_write_time(entryError),
                          suffixOf(label), it->path()});
    }
    // The name's time first; within one second, the file written later, then the higher -N.
    std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
        return std::tie(a.stamp, a.modified, a.suffix, a.path) <
               std::tie(b.stamp, b.modified, b.suffix, b.path);
    });
    std::vector<std::filesystem::path> paths;
    paths.reserve(listed.size());
    for (Listed& entry : listed) {
        paths.push_back(std::move(entry.path));
    }
    return paths;
}

std::optional<std::filesystem::path> BackupStore::newest(const std::string& model) const {
    std::vector<std::filesystem::path> all = backups(model);
    if (all.empty()) {
        return std::nullopt;
    }
    return std::move(all.back());
}

void BackupStore::prune(const std::string& model) const {
    const std::vector<std::filesystem::path> all = backups(model);
    const std::size_t excess = all.size() > kKeptPerModel ? all.size() - kKeptPerModel : 0;
    for (std::size_t i = 0; i < excess; ++i) {
        std::error_code ignored;
        std::filesystem::remove(all[i], ignored);
        std::filesystem::remove(recordPathOf(all[i]), ignored);
    }
    removeStaleTemporaryFiles(folderOf(model));
}

std::filesystem::path recordPathOf(const std::filesystem::path& backup) {
    std::filesystem::path record = backup;
    record.replace_extension(kRecordExtension);
    return record;
}

}  // namespace tessaline
