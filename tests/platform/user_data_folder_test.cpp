#include <gtest/gtest.h>

#include <map>

#include "platform/UserDataFolder.h"

namespace tessaline {
namespace {

std::optional<std::filesystem::path> homeWith(std::map<std::string, std::string> variables) {
    return userDataHome([&variables](const char* name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional(found->second);
    });
}

TEST(UserDataHome, TakesOnlyAbsolutePaths) {
    EXPECT_EQ(homeWith({{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/u"}}), "/data");
    EXPECT_EQ(homeWith({{"XDG_DATA_HOME", "data"}, {"HOME", "/home/u"}}), "/home/u/.local/share");
    EXPECT_EQ(homeWith({{"XDG_DATA_HOME", ""}, {"HOME", "/home/u"}}), "/home/u/.local/share");
    EXPECT_EQ(homeWith({{"HOME", "u"}}), std::nullopt);
    EXPECT_EQ(homeWith({}), std::nullopt);
}

}  // namespace
}  // namespace tessaline
