#include <gtest/gtest.h>

#include <map>

#include "platform/UserDataFolder.h"

namespace tessaline {
namespace {

std::optional<std::filesystem::path> folderWith(std::map<std::string, std::string> variables) {
    return programDataFolder([&variables](const char* name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional(found->second);
    });
}

TEST(ProgramDataFolder, IsTheLocalApplicationDataOnly) {
    EXPECT_EQ(folderWith({{"LOCALAPPDATA", R"(C:\Users\u\AppData\Local)"}}),
              std::filesystem::path(R"(C:\Users\u\AppData\Local\Tessaline)"));
    // A roaming or home folder is never taken instead, nor a relative one.
    EXPECT_EQ(folderWith({{"APPDATA", R"(C:\Users\u\AppData\Roaming)"}, {"HOME", R"(C:\u)"}}),
              std::nullopt);
    EXPECT_EQ(folderWith({{"LOCALAPPDATA", R"(AppData\Local)"}}), std::nullopt);
}

}  // namespace
}  // namespace tessaline
