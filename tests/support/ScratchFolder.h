#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>

namespace tessaline::test {

// A folder of the test's own under the system's temporary folder, gone with the object.
class ScratchFolder {
  public:
    ScratchFolder() {
        static std::atomic<int> next{0};
        path = std::filesystem::temp_directory_path() /
               ("tessaline-test-" + std::to_string(::getpid()) + "-" + std::to_string(next++));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path path;
};

}  // namespace tessaline::test
