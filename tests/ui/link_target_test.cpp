#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/LinkFakes.h"
#include "ui/about/LinkTarget.h"

namespace tessaline::test {
namespace {

TEST(LinkTarget, MailAddressesBecomeMailtoAndOthersStayAsTheyAre) {
    EXPECT_EQ(normaliseLinkTarget("tessaline@example.org"), "mailto:tessaline@example.org");
    EXPECT_EQ(normaliseLinkTarget("@"), "mailto:@");
    EXPECT_EQ(normaliseLinkTarget("https://example.org/tessaline"),
              "https://example.org/tessaline");
    EXPECT_EQ(normaliseLinkTarget(""), "");
    // Normalising twice (a target set before attaching) keeps one prefix.
    EXPECT_EQ(normaliseLinkTarget("mailto:tessaline@example.org"), "mailto:tessaline@example.org");
}

TEST(FallbackArguments, WhatWouldNotFitIsRefusedNotCut) {
    const std::string program = "browser";                      // 7 bytes and a blank
    const std::string fits(kFallbackCommandSize - 1 - 8, 'a');  // and a terminator: 520
    const std::string tooLong(kFallbackCommandSize - 8, 'a');   // 521
    EXPECT_EQ(fallbackArguments(program, fits), (std::vector<std::string>{program, fits}));
    EXPECT_FALSE(fallbackArguments(program, tooLong).has_value());
}

TEST(OpenLinkTarget, ShellSuccessIsReturnedWithoutTouchingTheAssociations) {
    FakeShell shell;
    shell.associations[".htm"] = "web.desktop";
    EXPECT_EQ(openLinkTarget(shell, "https://x.org", SW_SHOW), shellresult::Opened);
    EXPECT_EQ(shell.opened, std::vector<std::string>{"https://x.org"});
    EXPECT_TRUE(shell.keysRead.empty());
    EXPECT_TRUE(shell.started.empty());
}

TEST(OpenLinkTarget, FailedOpenStartsTheBrowsersOpenCommandWithTheTarget) {
    FakeShell shell;
    shell.openResult = shellresult::NoAssociation;
    shell.associations[".htm"] = "web.desktop";
    shell.associations["web.desktop\\shell\\open\\command"] = "web-browser %u --new";
    shell.startResult = 77;
    EXPECT_EQ(openLinkTarget(shell, "mailto:a b@c.org", SW_SHOW), 77);
    EXPECT_EQ(shell.keysRead,
              (std::vector<std::string>{".htm", "web.desktop\\shell\\open\\command"}));
    using Started = std::vector<std::vector<std::string>>;
    EXPECT_EQ(shell.started, (Started{{"web-browser", "mailto:a b@c.org", "--new"}}));
    EXPECT_EQ(shell.startShows, std::vector<int>{SW_SHOW});
}

TEST(OpenLinkTarget, WithoutAUsableAssociationTheShellsCodeIsReported) {
    FakeShell shell;
    shell.openResult = shellresult::NoAssociation;
    EXPECT_EQ(openLinkTarget(shell, "https://x.org", SW_SHOW), shellresult::NoAssociation);

    shell.associations[".htm"] = "web.desktop";  // but no open command for it
    EXPECT_EQ(openLinkTarget(shell, "https://x.org", SW_SHOW), shellresult::NoAssociation);

    // An open command that cannot be run as written.
    shell.associations["web.desktop\\shell\\open\\command"] = "\"web-browser %u";
    EXPECT_EQ(openLinkTarget(shell, "https://x.org", SW_SHOW), shellresult::NoAssociation);

    // A value longer than the association buffer is not read at all.
    shell.associations[".htm"] = std::string(kAssociationValueSize, 'w');
    shell.associations[std::string(kAssociationValueSize, 'w') + "\\shell\\open\\command"] = "b";
    EXPECT_EQ(openLinkTarget(shell, "https://x.org", SW_SHOW), shellresult::NoAssociation);
    EXPECT_TRUE(shell.started.empty());
}

TEST(OpenLinkTarget, ACommandTooLongForTheBufferIsNotStarted) {
    FakeShell shell;
    shell.openResult = 1;
    shell.associations[".htm"] = "web.desktop";
    shell.associations["web.desktop\\shell\\open\\command"] = "browser %u";
    EXPECT_EQ(openLinkTarget(shell, std::string(kFallbackCommandSize, 'x'), SW_SHOW), 1);
    EXPECT_TRUE(shell.started.empty());
}

TEST(LinkErrorMessage, TextsByCodeByteForByte) {
    EXPECT_EQ(linkErrorMessage(31),
              "Can't open link:\n\nThere is no application associated\nwith the given filename "
              "extension.");
    EXPECT_EQ(linkErrorMessage(1), "Can't open link:\n\nUnknown Error (1) occurred.");
    EXPECT_EQ(linkErrorMessage(-7), "Can't open link:\n\nUnknown Error (-7) occurred.");
    EXPECT_EQ(linkErrorText(26), "A sharing violation occurred. ");
    EXPECT_EQ(linkErrorText(0), "The operating system is out\nof memory or resources.");
    EXPECT_EQ(linkErrorText(30),
              "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
              "being processed.");
    EXPECT_EQ(linkErrorText(32), "The specified dynamic-link library was not found.");
    EXPECT_EQ(linkErrorText(33), "Unknown Error (33) occurred.");
}

}  // namespace
}  // namespace tessaline::test
