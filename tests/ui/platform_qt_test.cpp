// The Qt platform layer: notices as events, boxes handed over between threads, the settings
// store and the window timers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QThread>
#include <atomic>
#include <memory>
#include <thread>

#include "platform/qt/NoticeEvent.h"
#include "platform/qt/QtMessageBoxes.h"
#include "platform/qt/QtPoster.h"
#include "platform/qt/QtProfile.h"
#include "platform/qt/QtWindowTimers.h"
#include "tests/ui/ModalDriver.h"
#include "tests/ui/WindowRig.h"
#include "ui/ProgressPopup.h"

namespace tessaline::test {
namespace {

class NoticeCatcher final : public QObject {
  public:
    bool event(QEvent* event) override {
        if (auto* notice = dynamic_cast<NoticeEvent*>(event)) {
            messages.push_back(notice->message());
            params.emplace_back(notice->wParam(), notice->lParam());
            return true;
        }
        return QObject::event(event);
    }
    std::vector<unsigned> messages;
    std::vector<std::pair<std::uintptr_t, std::intptr_t>> params;
};

TEST(QtPoster, DeliversNoticesFromAnyThreadAsEventsOfTheirNumber) {
    QtPoster poster;
    NoticeCatcher window;
    poster.setMainWindow(&window);
    std::thread other([&] { poster.post(1224, 0, 0, nullptr); });
    other.join();
    poster.post(1323, 5, -6, nullptr);
    ASSERT_TRUE(waitUntil([&] { return window.messages.size() == 2; }));
    EXPECT_EQ(window.messages, (std::vector<unsigned>{1224, 1323}));
    EXPECT_EQ(window.params[1], std::make_pair(std::uintptr_t{5}, std::intptr_t{-6}));
}

TEST(QtPoster, DropsNoticesWithoutAMainWindowAndForgetsADestroyedOne) {
    QtPoster poster;
    poster.post(1224, 0, 0, nullptr);  // nobody to receive it: dropped, no crash

    auto window = std::make_unique<NoticeCatcher>();
    poster.setMainWindow(window.get());
    window.reset();
    EXPECT_EQ(poster.mainWindow(), nullptr);
    poster.post(1225, 0, 0, nullptr);
    QCoreApplication::processEvents();

    // A number outside the range events can carry is dropped too.
    NoticeCatcher other;
    poster.setMainWindow(&other);
    poster.post(12, 0, 0, nullptr);
    poster.post(1226, 0, 0, nullptr);
    ASSERT_TRUE(waitUntil([&] { return !other.messages.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(other.messages, std::vector<unsigned>{1226});
}

struct Presented {
    QString text;
    QString caption;
    bool onGuiThread = false;
};

TEST(QtMessageBoxes, HandsBoxesOverToTheGuiThreadWithoutStackingRepeats) {
    std::vector<Presented> presented;
    QtMessageBoxes* boxesPtr = nullptr;
    std::atomic<int> repeatsAsked{0};
    QtMessageBoxes boxes([&](const QString& text, const QString& caption, BoxIcon) {
        presented.push_back({text, caption, QThread::currentThread() == qApp->thread()});
        // While this box is open, the MIDI thread asks again for the same text and another.
        if (presented.size() == 1) {
            std::thread midi([&] {
                boxesPtr->showLater("Bulk Receive Error", "", BoxIcon::Exclamation);
                boxesPtr->showLater("MIDI In Error text", "MIDI In Error", BoxIcon::Error);
                ++repeatsAsked;
            });
            midi.join();
        }
    });
    boxesPtr = &boxes;

    std::thread midi([&] { boxes.showLater("Bulk Receive Error", "", BoxIcon::Exclamation); });
    midi.join();
    EXPECT_TRUE(presented.empty());  // nothing shows until the GUI thread's loop runs
    ASSERT_TRUE(waitUntil([&] { return presented.size() == 2 && boxes.openCount() == 0; }));
    EXPECT_EQ(repeatsAsked.load(), 1);
    EXPECT_EQ(presented[0].text, "Bulk Receive Error");
    EXPECT_EQ(presented[0].caption, QCoreApplication::applicationName());
    EXPECT_TRUE(presented[0].onGuiThread);
    EXPECT_EQ(presented[1].text, "MIDI In Error text");
    EXPECT_EQ(presented[1].caption, "MIDI In Error");
    EXPECT_TRUE(presented[1].onGuiThread);

    // Once closed, the same text may be shown again.
    boxes.show("Bulk Receive Error", "Caption", BoxIcon::None);
    ASSERT_EQ(presented.size(), 3u);
    EXPECT_EQ(presented[2].caption, "Caption");
}

// The transfer popup takes the activation when it appears. A box asked for meanwhile (an output
// error during the copy, a bulk error while waiting) belongs to the window under the popup, so
// it stays open when the run ends and the popup goes.
TEST(QtMessageBoxes, ABoxOutlivesTheTransferPopupThatWasActiveWhenItOpened) {
    QWidget window;
    window.resize(300, 200);
    window.show();
    QApplication::setActiveWindow(&window);
    auto popup = std::make_unique<ProgressPopup>(QStringLiteral("Transmitting..."), &window);
    ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == popup.get(); }));

    QtMessageBoxes boxes;
    QWidget* owner = nullptr;
    bool survived = false;
    whenShown<QMessageBox>([&](QMessageBox& box) {
        QPointer<QMessageBox> guard(&box);
        owner = box.parentWidget();
        popup.reset();  // the run times out while the box is open
        survived = !guard.isNull() && guard->isVisible();
        if (guard) {
            guard->accept();
        }
    });
    boxes.show("MIDI Out Error text", "MIDI Out Error", BoxIcon::Error);
    EXPECT_EQ(owner, &window);
    EXPECT_TRUE(survived);
}

TEST(QtProfile, StoresIntegersAndTextsUnderTheOrganisationAndReadsAnythingElseAsMissing) {
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quorvath", "profile_test").clear();
    QtProfile profile("profile_test");
    EXPECT_EQ(profile.organisation(), "Quorvath");
    EXPECT_EQ(profile.readInt("", "VoiceBank", 7), 7);
    profile.writeInt("", "VoiceBank", -3);
    profile.writeInt("", "Motif ES7 In", 2);
    profile.writeInt("Other", "VoiceBank", 9);
    EXPECT_EQ(profile.readInt("", "VoiceBank", 0), -3);
    EXPECT_EQ(profile.readInt("", "Motif ES7 In", 0), 2);
    EXPECT_EQ(profile.readInt("Other", "VoiceBank", 0), 9);
    EXPECT_TRUE(profile.location().contains("Quorvath")) << profile.location().toStdString();

    {
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Quorvath", "profile_test");
        raw.setValue("VoiceLetter", "two");
        raw.setValue("VoiceNum", "3.5");
        raw.setValue("PerfNum", "99999999999");
    }
    EXPECT_EQ(profile.readInt("", "VoiceLetter", -1), -1);
    EXPECT_EQ(profile.readInt("", "VoiceNum", -1), -1);
    EXPECT_EQ(profile.readInt("", "PerfNum", -1), -1);

    // Device names come back as written, separators and all.
    profile.writeText("", "Motif ES7 In Name", "system:midi_capture_1, port \"2\"");
    EXPECT_EQ(profile.readText("", "Motif ES7 In Name", ""), "system:midi_capture_1, port \"2\"");

    // A second profile object, as the command line front end would make, sees the values.
    QtProfile again("profile_test");
    EXPECT_EQ(again.readInt("", "VoiceBank", 0), -3);
}

TEST(QtWindowTimers, FireOnceEachAndRestartFromZero) {
    QtWindowTimers timers;
    std::vector<int> fired;
    timers.setHandler([&](int id) { fired.push_back(id); });
    timers.start(111, 0);
    EXPECT_TRUE(timers.isActive(111));
    ASSERT_TRUE(waitUntil([&] { return !fired.empty(); }));
    EXPECT_FALSE(timers.isActive(111));
    QCoreApplication::processEvents();
    EXPECT_EQ(fired, std::vector<int>{111});

    timers.start(222, 60000);
    timers.start(222, 60000);
    EXPECT_TRUE(timers.isActive(222));
    timers.stop(222);
    EXPECT_FALSE(timers.isActive(222));
    EXPECT_FALSE(timers.isActive(333));
}

}  // namespace
}  // namespace tessaline::test
