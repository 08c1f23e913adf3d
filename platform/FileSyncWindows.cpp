// Syncing to disk on Windows: a file's buffers are flushed through a handle opened for writing.
// A folder's entries are the file system's own business there; NTFS journals them.
#include <windows.h>

#include "platform/FileSync.h"

namespace tessaline {

bool syncFileToDisk(const std::filesystem::path& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool flushed = FlushFileBuffers(file) != 0;
    return CloseHandle(file) != 0 && flushed;
}

void syncFolderToDisk(const std::filesystem::path& folder) {
    (void)folder;
}

}  // namespace tessaline
