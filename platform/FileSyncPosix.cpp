// Syncing to disk where files are reached through POSIX descriptors.
#include <fcntl.h>
#include <unistd.h>

#include "platform/FileSync.h"

namespace tessaline {

namespace {

bool syncPath(const std::filesystem::path& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

}  // namespace

bool syncFileToDisk(const std::filesystem::path& path) {
    return syncPath(path, O_RDONLY);
}

void syncFolderToDisk(const std::filesystem::path& folder) {
    (void)syncPath(folder, O_RDONLY | O_DIRECTORY);
}

}  // namespace tessaline
