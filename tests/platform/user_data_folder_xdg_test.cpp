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

TEST(ProgramDataFolder, TakesOnlyAbsolutePaths) {
    EXPECT_EQ(folderWith({{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/u"}}), "/data/tessaline");
    EXPECT_EQ(folderWith({{"XDG_DATA_HOME", "data"}, {"HOME", "/home/u"}}),
              "/home/u/.local/share/tessaline");
    EXPECT_EQ(folderWith({{"XDG_DATA_HOME", ""}, {"HOME", "/home/u"}}),
              "/home/u/.local/share/tessaline");
    EXPECT_EQ(folderWith({{"HOME", "u"}}), std::nullopt);
    EXPECT_EQ(folderWith({}), std::nullopt);
}

}  // namespace
}  // namespace tessaline
