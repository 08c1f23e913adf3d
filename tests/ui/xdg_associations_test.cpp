#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/DesktopExec.h"
#include "platform/qt/XdgAssociations.h"

namespace tessaline::test {
namespace {

namespace fs = std::filesystem;

// A private set of XDG folders: config home and one config dir, data home and one data dir.
class XdgFolders : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("tessaline-xdg-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        dirs.configDirs = {root / "config-home", root / "etc-xdg"};
        dirs.dataDirs = {root / "data-home", root / "usr-share"};
    }
    void TearDown() override { fs::remove_all(root); }

    void write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }
    void install(const std::string& relative, const std::string& exec) {
        write(root / "usr-share" / "applications" / relative,
              "[Desktop Action New]\nExec=wrong %u\n\n[Desktop Entry]\nName=Web\nExec=" + exec +
                  "\n");
    }

    fs::path root;
    XdgDirs dirs;
};

TEST_F(XdgFolders, DefaultApplicationIsTheFirstInstalledOneInPreferenceOrder) {
    install("second.desktop", "second %u");
    install("third.desktop", "third %u");
    // Not installed entries are skipped; the user's file comes before the system's.
    write(root / "config-home" / "mimeapps.list",
          "[Added Associations]\ntext/html=third.desktop;\n"
          "[Default Applications]\ntext/plain=third.desktop\n"
          "text/html=missing.desktop;second.desktop;\n");
    write(root / "etc-xdg" / "mimeapps.list", "[Default Applications]\ntext/html=third.desktop\n");
    EXPECT_EQ(defaultApplication(dirs, "text/html"), "second.desktop");

    // A desktop-specific file beats the plain one of the same folder.
    dirs.desktops = {"calm"};
    write(root / "config-home" / "calm-mimeapps.list",
          "[Default Applications]\ntext/html=third.desktop\n");
    EXPECT_EQ(defaultApplication(dirs, "text/html"), "third.desktop");
}

TEST_F(XdgFolders, WithoutADefaultTheMimeCacheDecidesAndWithoutThatThereIsNone) {
    EXPECT_FALSE(defaultApplication(dirs, "text/html").has_value());
    install("cached.desktop", "cached %F");
    write(root / "usr-share" / "applications" / "mimeinfo.cache",
          "[MIME Cache]\ntext/html=gone.desktop;cached.desktop;\n");
    EXPECT_EQ(defaultApplication(dirs, "text/html"), "cached.desktop");
}

TEST_F(XdgFolders, EntriesMayLieInVendorSubfolders) {
    install("vendor/web.desktop", "web %u");
    EXPECT_EQ(findDesktopEntry(dirs, "vendor-web.desktop"),
              root / "usr-share" / "applications" / "vendor" / "web.desktop");
    EXPECT_FALSE(findDesktopEntry(dirs, "../web.desktop").has_value());
}

// Every row starts the same target: blanks, quotes, a command substitution, a backslash and a
// field code of its own, none of which may be read.
const std::string kTarget = R"(https://x.org/?q=$(touch x) "a b" %u \)";

struct ExecCase {
    const char* name;
    const char* exec;  // as written in the desktop entry
    std::optional<std::vector<std::string>> arguments;
};

void PrintTo(const ExecCase& row, std::ostream* os) {
    *os << row.name;
}

class ExecArguments : public ::testing::TestWithParam<ExecCase> {};

TEST_P(ExecArguments, TheTargetIsOneArgumentAndTheLineIsReadByTheRules) {
    EXPECT_EQ(execArguments(GetParam().exec, kTarget), GetParam().arguments);
}

using Args = std::vector<std::string>;
const auto kRefused = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    DesktopEntryRules, ExecArguments,
    ::testing::Values(
        ExecCase{"CodeAlone", "browser %u", Args{"browser", kTarget}},
        ExecCase{"CodeInTheMiddle", "browser --new-window %U --private --class=%c",
                 Args{"browser", "--new-window", kTarget, "--private", "--class="}},
        ExecCase{"NoCodeAppends", "plain-browser --new", Args{"plain-browser", "--new", kTarget}},
        ExecCase{"OnlyTheFirstCode", "viewer %f %u %i", Args{"viewer", kTarget}},
        ExecCase{"Percent", "tool --ratio=100%% \"50%%\" %k %u",
                 Args{"tool", "--ratio=100%", "50%", kTarget}},
        ExecCase{"CodeWithinAWord", "browser --url=%u", Args{"browser", "--url=" + kTarget}},
        ExecCase{"QuotedProgramAndStringEscape", R"("/opt/My\sWeb/run" "" %u)",
                 Args{"/opt/My Web/run", "", kTarget}},
        // \\ is undone as a string escape before the quoting rules see what is left.
        ExecCase{"EscapesInQuotes", R"(run "say \"hi\" \$HOME \`x\` \\\\ \\$y" x\y %u)",
                 Args{"run", R"(say "hi" $HOME `x` \ $y)", R"(x\y)", kTarget}},
        ExecCase{"ScriptInQuotesStaysText", R"(sh -c "xdg-open %u")",
                 Args{"sh", "-c", "xdg-open %u", kTarget}},
        ExecCase{"UnclosedQuote", "\"browser %u", kRefused},
        ExecCase{"UnknownCode", "browser %z %u", kRefused},
        ExecCase{"LonePercent", "browser 100%", kRefused},
        ExecCase{"TargetAsProgram", "%u --new", kRefused}, ExecCase{"NoProgram", " %i ", kRefused}),
    [](const ::testing::TestParamInfo<ExecCase>& row) { return row.param.name; });

TEST_F(XdgFolders, AssociationKeysGiveTheIdAndItsOpenCommand) {
    install("web.desktop", "web-browser --new-tab %u");
    write(root / "config-home" / "mimeapps.list",
          "[Default Applications]\ntext/html=web.desktop\n");
    std::string value = "untouched";
    ASSERT_EQ(readXdgAssociation(dirs, ".htm", value), 0);
    EXPECT_EQ(value, "web.desktop");
    ASSERT_EQ(readXdgAssociation(dirs, "web.desktop\\shell\\open\\command", value), 0);
    EXPECT_EQ(value, "web-browser --new-tab %u");

    value = "untouched";
    EXPECT_EQ(readXdgAssociation(dirs, "other.desktop\\shell\\open\\command", value), 2);
    EXPECT_EQ(readXdgAssociation(dirs, ".txt", value), 2);
    EXPECT_EQ(value, "untouched");
}

}  // namespace
}  // namespace tessaline::test
