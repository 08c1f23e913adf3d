#pragma once

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <system_error>

namespace tessaline {

// A file written whole or not at all: its bytes go into a temporary file in the target's
// folder, which is flushed, closed and synced before it gets its name. A crash at any moment
// leaves either no file of that name or the whole file, and at worst a temporary file that
// isTemporaryFileName recognises.

// The path of the finished temporary file, or why there is none ("No space left on device").
struct TemporaryFile {
    std::filesystem::path path;
    std::string failure;
};

// Writes `bytes` into a new temporary file in `folder` (which must exist).
TemporaryFile writeTemporaryFile(const std::filesystem::path& folder,
                                 std::span<const unsigned char> bytes);

// True for the name of a file that writeTemporaryFile made.
bool isTemporaryFileName(const std::string& fileName);

// Gives a finished temporary file its final name. Tests replace it to stop a write right there.
using PublishStep = std::function<std::error_code(const std::filesystem::path& temporary,
                                                  const std::filesystem::path& target)>;

// Never replaces a file: std::errc::file_exists when `target` is taken, the temporary file
// staying where it is.
std::error_code publishWithoutReplacing(const std::filesystem::path& temporary,
                                        const std::filesystem::path& target);

// Creates the target's folder if needed and writes the file, replacing one of that name.
// Empty on success, else the reason, naming the path.
std::string writeFileWhole(const std::filesystem::path& target,
                           std::span<const unsigned char> bytes);

}  // namespace tessaline
