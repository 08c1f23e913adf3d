#include "platform/FileSync.h"

#if __has_include(<unistd.h>)
#include <fcntl.h>
#include <unistd.h>
#define TESSALINE_HAS_FSYNC 1
#endif

namespace tessaline {

namespace {

#ifdef TESSALINE_HAS_FSYNC
bool syncPath(const std::filesystem::path& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}
#endif

}  // namespace

bool syncFileToDisk(const std::filesystem::path& path) {
#ifdef TESSALINE_HAS_FSYNC
    return syncPath(path, O_RDONLY);
#else
    (void)path;
    return true;
#endif
}

void syncFolderToDisk(const std::filesystem::path& folder) {
#ifdef TESSALINE_HAS_FSYNC
    (void)syncPath(folder, O_RDONLY | O_DIRECTORY);
#else
    (void)folder;
#endif
}

}  // namespace tessaline
