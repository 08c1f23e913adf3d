#include "synth/WholeFileWrite.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>

#include "platform/FileSync.h"

namespace tessaline {

namespace {

constexpr const char* kTemporaryPrefix = ".tessaline-";
constexpr const char* kTemporarySuffix = ".tmp";

// A name no other writer, in this process or another, picks at the same moment.
std::string temporaryName() {
    static std::atomic<unsigned> counter{0};
    std::random_device device;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    std::seed_seq seed{device(), device(), static_cast<unsigned>(now), counter.fetch_add(1)};
    std::mt19937_64 random(seed);
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(random()));
    return std::string(kTemporaryPrefix) + digits + kTemporarySuffix;
}

std::string reasonOf(int error) {
    return error != 0 ? std::generic_category().message(error) : "the write failed";
}

std::string failedWrite(const std::filesystem::path& path, const std::string& reason) {
    return "Could not write " + path.string() + ": " + reason + ".";
}

TemporaryFile failedTemporary(const std::filesystem::path& path, int error) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return {{}, reasonOf(error)};
}

}  // namespace

TemporaryFile writeTemporaryFile(const std::filesystem::path& folder,
                                 std::span<const unsigned char> bytes) {
    const std::filesystem::path path = folder / temporaryName();
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.flush();
    }
    const bool written = static_cast<bool>(out);
    const int error = errno;
    out.close();
    if (!written || out.fail()) {
        return failedTemporary(path, error);
    }
    if (!syncFileToDisk(path)) {
        return failedTemporary(path, errno);
    }
    return {path, {}};
}

bool isTemporaryFileName(const std::string& fileName) {
    const std::string prefix = kTemporaryPrefix;
    const std::string suffix = kTemporarySuffix;
    return fileName.size() > prefix.size() + suffix.size() && fileName.starts_with(prefix) &&
           fileName.ends_with(suffix);
}

std::error_code publishWithoutReplacing(const std::filesystem::path& temporary,
                                        const std::filesystem::path& target) {
    // A hard link fails on a name that exists, where a rename would silently replace it: two
    // programs saving in the same second keep both files.
    std::error_code ec;
    std::filesystem::create_hard_link(temporary, target, ec);
    if (!ec) {
        std::filesystem::remove(temporary, ec);
        return {};
    }
    if (ec == std::errc::file_exists) {
        return ec;
    }
    // A file system without hard links: the name is checked, then taken by a rename.
    if (std::filesystem::exists(target, ec)) {
        return std::make_error_code(std::errc::file_exists);
    }
    std::filesystem::rename(temporary, target, ec);
    return ec;
}

std::string writeFileWhole(const std::filesystem::path& target,
                           std::span<const unsigned char> bytes) {
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        return "Could not create the folder " + folder.string() + ": " + ec.message() + ".";
    }
    const TemporaryFile temporary = writeTemporaryFile(folder, bytes);
    if (!temporary.failure.empty()) {
        return failedWrite(target, temporary.failure);
    }
    std::filesystem::rename(temporary.path, target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary.path, ignored);
        return failedWrite(target, ec.message());
    }
    syncFolderToDisk(folder);
    return {};
}

}  // namespace tessaline
