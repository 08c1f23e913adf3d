#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/screenshot/ScreenshotOptions.h"

namespace tessaline::screenshot {
namespace {

std::string parse(std::vector<std::string> words, ScreenshotOptions& options) {
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    return parseOptions(static_cast<int>(argv.size()), argv.data(), options);
}

TEST(ScreenshotOptions, AnEmptyOutputNameIsAUsageErrorNotTheDefaultFile) {
    ScreenshotOptions options;
    const std::string error =
        parse({"tessaline-screenshot", "--dialog", "about", "--out", ""}, options);
    EXPECT_NE(error.find("--out"), std::string::npos) << error;
    EXPECT_TRUE(options.output.empty());

    ScreenshotOptions defaults;
    EXPECT_EQ(parse({"tessaline-screenshot", "--dialog", "about"}, defaults), "");
    EXPECT_EQ(defaults.output, "tessaline-about.png");
}

}  // namespace
}  // namespace tessaline::screenshot
