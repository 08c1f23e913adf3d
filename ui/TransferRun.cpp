// The transfer run: what one press of Execute does, and how the run ends.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWindow>
#include <memory>

#include "midi/DeliverySettings.h"
#include "platform/qt/WindowTimers.h"
#include "res/ResourceIds.h"
#include "synth/ReadBack.h"
#include "synth/SynthDevice.h"
#include "ui/MainDialog.h"
#include "ui/ProgressPopup.h"
#include "ui/TimerIds.h"

namespace tessaline {

namespace {

const char* const kSongPrompt = "Please, select song number in your synth, now!";
// How long a run waits at most for the window system to show its popup.
constexpr int kPopupShownWithinMs = 200;

// The copy holds the event loop until its last message has gone, seconds at a slow send speed,
// so the popup is painted first. A window can be painted only once the window system shows it,
// which it does in its own time. Anything handled meanwhile may close the popup.
void paintBeforeTheCopy(const std::unique_ptr<ProgressPopup>& popup) {
    const QDeadlineTimer deadline(kPopupShownWithinMs);
    auto shown = [&popup] {
        return popup->windowHandle() != nullptr && popup->windowHandle()->isExposed();
    };
    do {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } while (popup && !shown() && !deadline.hasExpired());
    if (popup) {
        popup->repaint();
    }
}

}  // namespace

void MainDialog::execute() {
    if (!device_.isConnected()) {
        return;
    }
    copyCheck_.reset();
    const int type = destinationType();
    if (type == 1 || type == 3) {
        device_.setMode(type);
    }
    if (type == 3) {
        device_.messageBoxes().show(kSongPrompt, device_.deviceName(), BoxIcon::None);
    }
    // A popup still shown from an earlier run would otherwise be orphaned for good.
    progressPopup_ = std::make_unique<ProgressPopup>(QStringLiteral("Transmitting..."), this);
    timers_->start(TIMER_TRANSFER, kTransferTimeoutMs);
    paintBeforeTheCopy(progressPopup_);
    exchange(false);
    if (type == -1) {
        return;
    }
    // A source the lists cannot show names no voice: copying it would put out-of-range bank
    // and program bytes on the wire. The popup then ends in "Timeout" as for an unknown type.
    const int program = programValue(fields_.VoiceLetter, fields_.VoiceNum);
    if (!voiceBankValid() || programByte(program) > 127 || fields_.partIndex < 0) {
        return;
    }
    const CopyPlan plan = device_.planCopyOfFamily(
        type, static_cast<unsigned char>(fields_.VoiceBank), programByte(program),
        static_cast<unsigned char>(fields_.partIndex), fields_.withSysFx, fields_.withInsFx,
        fields_.withName);
    const CopyReport report = device_.sendCopy(plan);
    // A copy that did not all go out has had its error boxes; comparing would only add one.
    if (readCheckEachCopy(device_.profile()) && report.allSent()) {
        copyCheck_ = CopyCheck{plan, report.written, type, 0, false};
    }
    requestDestination(type);
}

void MainDialog::requestDestination(int type) {
    if (copyCheck_) {
        copyCheck_->dumpsBefore = device_.destinationDumpsCompleted();
    }
    if (type == 1) {
        device_.requestPerformanceDump();
    } else {
        device_.requestMixDump();
    }
    // The answer can only come once the request is out: the time-out counts from there.
    timers_->start(TIMER_TRANSFER, kTransferTimeoutMs);
}

void MainDialog::checkCopy() {
    if (!copyCheck_ || device_.destinationDumpsCompleted() == copyCheck_->dumpsBefore) {
        return;
    }
    const ReadBackResult result =
        compareReadBack(copyCheck_->written, device_.destinationDumpBlocks());
    if (result.matches()) {
        copyCheck_.reset();
        return;
    }
    if (!copyCheck_->sentTwice) {
        // A message lost on the way is the usual cause: the same copy again, mode change first
        // as Execute does, and a second look.
        copyCheck_->sentTwice = true;
        device_.setMode(copyCheck_->type);
        if (!device_.sendCopy(copyCheck_->plan).allSent()) {
            copyCheck_.reset();
            return;
        }
        requestDestination(copyCheck_->type);
        return;
    }
    copyCheck_.reset();
    device_.messageBoxes().show(
        "The instrument did not take " + std::to_string(result.differences.size()) + " of the " +
            std::to_string(result.values) + " values sent. Press Execute to send the copy again.",
        device_.deviceName(), BoxIcon::Exclamation);
}

void MainDialog::transferTimedOut() {
    if (!progressPopup_) {
        return;
    }
    progressPopup_->setText(QStringLiteral("Timeout"));
    // The wait below blocks the event loop, so the new text is painted now.
    progressPopup_->repaint();
    device_.clock().sleepMs(kTimeoutShownMs);
    closeProgressPopup();
}

void MainDialog::closeProgressPopup() {
    if (!progressPopup_) {
        return;
    }
    // The popup took the activation when it appeared. The window system need not hand it back
    // to the window under it, and the keyboard would then reach no window of the program.
    const bool wasActive = progressPopup_->isActiveWindow();
    progressPopup_.reset();
    if (wasActive && windowExists_ && isVisible()) {
        activateWindow();
    }
}

}  // namespace tessaline
