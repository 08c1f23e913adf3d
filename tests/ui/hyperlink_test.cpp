#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/qt/DesktopShell.h"
#include "tests/support/Fakes.h"
#include "tests/ui/LinkFakes.h"
#include "ui/CursorSource.h"
#include "ui/about/HyperLink.h"

namespace tessaline::test {
namespace {

class FakeCursorSource final : public CursorSource {
  public:
    explicit FakeCursorSource(bool hasCursor) : hasCursor_(hasCursor) {}
    std::optional<QCursor> handCursor() override {
        ++loads;
        return hasCursor_ ? std::optional<QCursor>(QCursor(Qt::PointingHandCursor)) : std::nullopt;
    }
    int loads = 0;

  private:
    bool hasCursor_;
};

QColor rgb(const LinkRgb& c) {
    return QColor(c.red, c.green, c.blue);
}

// A shown window with one static text the link takes over, and an edit to move the focus to.
class LinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        HyperLink::forgetSharedHandCursor();
        window.setGeometry(0, 0, 400, 200);
        other = new QLineEdit(&window);
        other->setGeometry(10, 150, 100, 20);
        label = new QLabel("Author", &window);
        label->setGeometry(20, 30, 200, 20);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setProperty("controlId", 1019);
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        QApplication::processEvents();
    }
    void TearDown() override { HyperLink::forgetSharedHandCursor(); }

    void move(const QPoint& at) {
        QMouseEvent event(QEvent::MouseMove, at, link.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&link, &event);
    }
    void button(QEvent::Type type) {
        const QPoint at(2, 2);
        QMouseEvent event(type, at, link.mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&link, &event);
    }
    void key(int code) {
        QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
        QApplication::sendEvent(&link, &event);
    }

    FakeShell shell;
    BoxRecorder boxes;
    FakeCursorSource cursors{true};
    QWidget window;
    QLineEdit* other = nullptr;
    QLabel* label = nullptr;
    HyperLink link{LinkServices{shell, boxes, cursors}};
};

TEST_F(LinkTest, AttachTakesTheControlsPlaceAndAMailTargetBecomesMailto) {
    QPointer<QLabel> old(label);
    link.clearLinkTarget();
    link.attach(label);
    link.setLinkTarget("tessaline@example.org");

    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(link.parentWidget(), &window);
    EXPECT_EQ(link.property("controlId").toInt(), 1019);
    EXPECT_EQ(link.text(), "Author");
    EXPECT_EQ(link.linkTarget(), "mailto:tessaline@example.org");
    EXPECT_EQ(link.toolTip(), "mailto:tessaline@example.org");
    // Fitted to its text, from its top left corner.
    const QFontMetrics metrics(link.font());
    EXPECT_EQ(link.geometry(),
              QRect(20, 30, metrics.horizontalAdvance("Author"), metrics.height()));
    EXPECT_TRUE(link.isVisible());

    link.followLink();
    EXPECT_EQ(shell.opened, std::vector<std::string>{"mailto:tessaline@example.org"});
}

TEST_F(LinkTest, TextAndTargetStandInForEachOther) {
    label->setText("https://example.org/tessaline");
    link.attach(label);
    EXPECT_EQ(link.linkTarget(), "https://example.org/tessaline");
    EXPECT_EQ(link.toolTip(), "https://example.org/tessaline");

    auto* empty = new QLabel(&window);
    HyperLink second{LinkServices{shell, boxes, cursors}};
    second.setLinkTarget("someone@example.org");
    second.attach(empty);
    EXPECT_EQ(second.text(), "mailto:someone@example.org");
}

TEST_F(LinkTest, FittingFollowsTheAlignment) {
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(20, 30, 201, 41);
    link.attach(label);
    const QFontMetrics metrics(link.font());
    const int width = metrics.horizontalAdvance("Author");
    const int shrink = (41 - metrics.height()) / 2;
    EXPECT_EQ(link.geometry(), QRect(221 - width, 30 + shrink, width, 41 - 2 * shrink));
}

TEST_F(LinkTest, UnderlinedExactlyWhileTheMouseIsOverItAndCapturedMeanwhile) {
    link.attach(label);
    EXPECT_EQ(link.textColour(), rgb(kLinkColour));
    EXPECT_FALSE(link.font().underline());

    move(QPoint(3, 3));
    EXPECT_TRUE(link.isOver());
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.textColour(), rgb(kLinkColour));  // no hover colour by default
    EXPECT_EQ(QWidget::mouseGrabber(), &link);

    move(QPoint(4, 4));  // still inside: nothing changes
    EXPECT_TRUE(link.isOver());

    move(QPoint(-5, 3));
    EXPECT_FALSE(link.isOver());
    EXPECT_FALSE(link.font().underline());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    ASSERT_TRUE(link.changeLinkFlags(0, HyperLink::LinkHoverColour, true));
    move(QPoint(3, 3));
    EXPECT_EQ(link.textColour(), rgb(kHoverColour));
    move(QPoint(3, 500));
}

TEST_F(LinkTest, ClickTakesFocusFollowsOnReleaseAndColoursByState) {
    link.attach(label);
    button(QEvent::MouseButtonPress);
    EXPECT_TRUE(link.hasFocus());
    EXPECT_TRUE(link.isActive());
    EXPECT_TRUE(shell.opened.empty());  // not on the press
    EXPECT_EQ(link.textColour(), rgb(kActiveColour));

    button(QEvent::MouseButtonRelease);
    EXPECT_EQ(shell.opened, std::vector<std::string>{"Author"});
    EXPECT_TRUE(link.isVisited());
    EXPECT_EQ(link.textColour(), rgb(kActiveColour));  // active while it keeps the focus

    other->setFocus();
    EXPECT_FALSE(link.isActive());
    EXPECT_EQ(link.textColour(), rgb(kVisitedColour));
}

TEST_F(LinkTest, FollowOnPressOpensOnThePressOnly) {
    link.attach(label);
    link.changeLinkFlags(HyperLink::LinkFocusOnClick, HyperLink::LinkFollowOnPress, true);
    button(QEvent::MouseButtonPress);
    button(QEvent::MouseButtonRelease);
    EXPECT_EQ(shell.opened.size(), 1u);
    EXPECT_FALSE(link.hasFocus());
}

TEST_F(LinkTest, SpaceBarFollowsOtherKeysDoNot) {
    link.attach(label);
    key(Qt::Key_A);
    key(Qt::Key_Return);
    EXPECT_TRUE(shell.opened.empty());
    key(Qt::Key_Space);
    EXPECT_EQ(shell.opened.size(), 1u);
}

TEST_F(LinkTest, FailedOpenBeepsAndReportsTheExactTextAndStaysUnvisited) {
    link.attach(label);
    shell.openResult = shellresult::NoAssociation;
    link.followLink();
    EXPECT_EQ(shell.beeps, 1);
    ASSERT_EQ(boxes.count(), 1u);
    const RecordedBox box = boxes.boxes()[0];
    EXPECT_EQ(box.text,
              "Can't open link:\n\nThere is no application associated\nwith the given filename "
              "extension.");
    EXPECT_EQ(box.caption, "");
    EXPECT_EQ(box.icon, BoxIcon::Exclamation);
    EXPECT_FALSE(box.handedOver);
    EXPECT_FALSE(link.isVisited());

    shell.openResult = 1;
    link.followLink();
    EXPECT_EQ(boxes.boxes()[1].text, "Can't open link:\n\nUnknown Error (1) occurred.");
}

TEST_F(LinkTest, FlagsThatBothAddAndRemoveTheSameBitChangeNothing) {
    link.attach(label);
    const std::uint32_t before = link.linkFlags();
    EXPECT_EQ(before, 0x14u);
    EXPECT_FALSE(link.changeLinkFlags(0x01, 0x03, true));
    EXPECT_EQ(link.linkFlags(), before);
    EXPECT_TRUE(link.changeLinkFlags(HyperLink::LinkUnderline, 0, false));  // nothing to remove
    EXPECT_TRUE(link.changeLinkFlags(0, HyperLink::LinkUnderline, true));
    EXPECT_TRUE(link.font().underline());
}

TEST_F(LinkTest, HandCursorIsSharedAndOnlyWhenTheSourceHasOne) {
    link.attach(label);
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(cursors.loads, 1);

    // Loaded once for the process: a second link does not ask again.
    HyperLink second{LinkServices{shell, boxes, cursors}};
    second.attach(new QLabel("x", &window));
    EXPECT_EQ(cursors.loads, 1);
    EXPECT_EQ(second.cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(LinkTest, WithoutAHandCursorTheCursorIsLeftAlone) {
    FakeCursorSource none(false);
    HyperLink bare{LinkServices{shell, boxes, none}};
    bare.attach(label);
    move(QPoint(1, 1));
    EXPECT_EQ(none.loads, 1);
    EXPECT_FALSE(bare.testAttribute(Qt::WA_SetCursor));

    // A link that does not want the cursor does not ask for it.
    FakeCursorSource counted(true);
    HyperLink noHand{LinkServices{shell, boxes, counted}};
    noHand.changeLinkFlags(0, HyperLink::LinkNoHandCursor, false);
    noHand.attach(new QLabel("y", &window));
    EXPECT_EQ(counted.loads, 0);
}

// The production shell starts a program with its arguments, and reports a program that cannot
// start as not found rather than as started.
TEST(DesktopShell, StartsProgramsAndReportsMissingOnes) {
    DesktopShell shell;
    EXPECT_GT(shell.startProgram("true", {"an argument", "mailto:a@b.org"}, SW_SHOW), 31);
    EXPECT_EQ(shell.startProgram("/nonexistent/web-browser", {"https://x.org"}, SW_SHOW),
              shellresult::FileNotFound);
    EXPECT_EQ(shell.startProgram("", {"true"}, SW_SHOW), shellresult::FileNotFound);
    EXPECT_EQ(shell.open(""), shellresult::FileNotFound);
    EXPECT_EQ(shell.open("/nonexistent/page.htm"), shellresult::FileNotFound);
}

}  // namespace
}  // namespace tessaline::test
