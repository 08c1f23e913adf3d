#pragma once

#include <filesystem>

namespace tessaline {

// Asks the system to put a file's bytes on the disk before returning, so that a file renamed
// into place is whole even after a power cut. True when done or when the platform offers no
// such call; false when the call failed.
bool syncFileToDisk(const std::filesystem::path& path);

// The same for a folder's entries, so that a rename into it survives a power cut too. Some file
// systems cannot do it; the file's bytes are safe by then, so that is no failure of a write.
void syncFolderToDisk(const std::filesystem::path& folder);

}  // namespace tessaline
