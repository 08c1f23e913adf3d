#include <gtest/gtest.h>

#include <QPushButton>

#include "res/AboutDialogTemplate.h"
#include "tests/support/Fakes.h"
#include "tests/ui/LinkFakes.h"
#include "tests/ui/ModalDriver.h"
#include "ui/CursorSource.h"
#include "ui/about/AboutDialog.h"

namespace tessaline::test {
namespace {

class AboutTest : public ::testing::Test {
  protected:
    void TearDown() override { HyperLink::forgetSharedHandCursor(); }

    FakeShell shell;
    BoxRecorder boxes;
    SystemCursorSource cursors;
    LinkServices services{shell, boxes, cursors};
};

TEST_F(AboutTest, LinksCarryTheAuthorsAddressesAndTakeNoTabStop) {
    AboutDialog dialog(services);
    EXPECT_EQ(dialog.windowTitle(), "About Tessaline");

    EXPECT_EQ(dialog.control(IDC_MAIL_LINK), &dialog.mailLink());
    EXPECT_EQ(dialog.mailLink().text(), "Tessaline");
    EXPECT_EQ(dialog.mailLink().linkTarget(), "mailto:tessaline@example.org");
    EXPECT_EQ(dialog.mailLink().toolTip(), "mailto:tessaline@example.org");
    EXPECT_EQ(dialog.webLink().text(), "https://example.org/tessaline");
    EXPECT_EQ(dialog.webLink().linkTarget(), "https://example.org/tessaline");
    EXPECT_EQ(dialog.mailLink().focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(dialog.webLink().focusPolicy(), Qt::NoFocus);

    dialog.mailLink().followLink();
    dialog.webLink().followLink();
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"mailto:tessaline@example.org",
                                                      "https://example.org/tessaline"}));
}

TEST_F(AboutTest, TheRunnerShowsTheBoxModallyAndOkClosesIt) {
    AboutDialogRunner runner(services);
    bool shown = false;
    whenShown<AboutDialog>([&](AboutDialog& dialog) {
        shown = dialog.isModal();
        dialog.findChild<QPushButton*>("control1")->click();
    });
    runner.run(nullptr);
    EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace tessaline::test
