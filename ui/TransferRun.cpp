// The transfer run: what one press of Execute does, and how the run ends. The copy itself is a
// session of the device's (wait for the voice, write, read back, write once more on a
// difference); the window starts it, feeds it notices and ticks, and shows how it ended.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWindow>
#include <memory>

#include "midi/DeliverySettings.h"
#include "platform/UserDataFolder.h"
#include "platform/qt/WindowTimers.h"
#include "res/ResourceIds.h"
#include "synth/CopyBackup.h"
#include "synth/CopySession.h"
#include "synth/SynthDevice.h"
#include "synth/UndoPlan.h"
#include "ui/MainDialog.h"
#include "ui/ProgressPopup.h"
#include "ui/TimerIds.h"

namespace tessaline {

namespace {

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
    // A new Execute ends the copy under way; nothing of it is compared or sent again.
    endSession(SessionOutcome::Cancelled);
    exchange(false);
    const int type = destinationType();
    const int program = programValue(fields_.VoiceLetter, fields_.VoiceNum);
    // A source the lists cannot show names no voice: copying it would put out-of-range bank
    // and program bytes on the wire. The popup then ends in "Timeout" as for an unknown type.
    const bool copyable = (type == kModePerformance || type == kModeSongMix) && voiceBankValid() &&
                          programByte(program) <= 127 && fields_.partIndex >= 0;
    if (copyable) {
        WriteJob job;
        job.mode = type;
        job.choice = {type,
                      fields_.VoiceBank,
                      program,
                      fields_.partIndex,
                      fields_.withSysFx != 0,
                      fields_.withInsFx != 0,
                      fields_.withName != 0};
        SessionOptions options;
        options.check = readCheckEachCopy(device_.profile());
        options.snapshot = readBackUpEachCopy(device_.profile());
        options.answerWithinMs = kTransferTimeoutMs;
        copyPerformance_ = programValue(fields_.PerfLetter, fields_.PerfNum);
        if (!startSession(std::move(job), options)) {
            return;  // it ended before anything was written, and has said why
        }
        showTransmitting();
        advanceSession();
        return;
    }
    if (type == kModePerformance || type == kModeSongMix) {
        device_.setMode(type);
    }
    showTransmitting();  // and nothing to wait for: it ends in "Timeout"
}

bool MainDialog::startSession(WriteJob job, const SessionOptions& options) {
    session_ = std::make_unique<CopySession>(device_, std::move(job), options);
    session_->setSongPrompt(
        [this] { device_.messageBoxes().show(kSongPrompt, device_.deviceName(), BoxIcon::None); });
    session_->setSnapshotKeeper([this](const CompletedDump& snapshot, const CopyPlan& plan) {
        return keepBackup(snapshot, plan);
    });
    // No port closes or opens under the copy; devices that come and go meanwhile are noted.
    holdDeviceEvents(true);
    session_->begin();
    requestsSeen_ = session_->requestsSent();
    if (!session_->running()) {
        finishSession();
        return false;
    }
    return true;
}

void MainDialog::showTransmitting() {
    // A popup still shown from an earlier run would otherwise be orphaned for good.
    progressPopup_ = std::make_unique<ProgressPopup>(QStringLiteral("Transmitting..."), this);
    timers_->start(TIMER_TRANSFER, kTransferTimeoutMs);
    paintBeforeTheCopy(progressPopup_);
}

void MainDialog::advanceSession() {
    if (!session_ || !session_->running()) {
        return;
    }
    session_->advance();
    // The answer can only come once the request is out: the time-out counts from the last one.
    if (session_->requestsSent() != requestsSeen_) {
        requestsSeen_ = session_->requestsSent();
        timers_->start(TIMER_TRANSFER, kTransferTimeoutMs);
    }
    if (session_->running()) {
        timers_->start(TIMER_SESSION_TICK, kSessionTickMs);
    } else {
        finishSession();
    }
}

void MainDialog::endSession(SessionOutcome outcome) {
    if (session_ && session_->running()) {
        session_->end(outcome);
        finishSession();
    }
}

std::string MainDialog::keepBackup(const CompletedDump& snapshot, const CopyPlan& plan) {
    if (!options_.dataFolder) {
        return "There is no folder for backups (" + programDataFolderMissing() +
               "). Untick \"Back up before each copy\" in MIDI Setup to copy without one.";
    }
    const int mode = session_->job().mode;
    const CopyDestination destination{
        device_.deviceName(),
        mode == kModePerformance ? DestinationKind::Performance : DestinationKind::SongMix,
        mode == kModePerformance ? programName(copyPerformance_) : "",
        session_->job().choice.part + 1};
    return keepCopyBackup(BackupStore(*options_.dataFolder), destination, snapshot, plan,
                          std::chrono::system_clock::now())
        .error;
}

void MainDialog::finishSession() {
    timers_->stop(TIMER_SESSION_TICK);
    holdDeviceEvents(false);
    const SessionResult result = session_->result();
    rememberForUndo();
    switch (result.outcome) {
        case SessionOutcome::Checked:
        case SessionOutcome::NotChecked:
        case SessionOutcome::NotAllSent:  // the port has shown its one box
        case SessionOutcome::PortsClosed:
            closeProgressPopup();
            break;
        case SessionOutcome::NotTaken:
            closeProgressPopup();
            device_.messageBoxes().show(
                notTakenText(result.check) + " Press Execute to send the copy again.",
                device_.deviceName(), BoxIcon::Exclamation);
            break;
        case SessionOutcome::Unchecked:
            closeProgressPopup();
            device_.messageBoxes().show(uncheckedText(result.check), device_.deviceName(),
                                        BoxIcon::Exclamation);
            break;
        case SessionOutcome::SnapshotMissing:
            closeProgressPopup();
            device_.messageBoxes().show(kSnapshotMissingText, device_.deviceName(),
                                        BoxIcon::Exclamation);
            break;
        case SessionOutcome::SnapshotNotKept:
            closeProgressPopup();
            device_.messageBoxes().show(result.reason, device_.deviceName(), BoxIcon::Error);
            break;
        case SessionOutcome::TimedOut:
        case SessionOutcome::SourceMissing:
            transferTimedOut();
            break;
        case SessionOutcome::Running:
        case SessionOutcome::Read:
        case SessionOutcome::Cancelled:
            break;
    }
    if (voiceRequestHeld_) {
        // The source changed during the copy; its dump could not be asked for then.
        voiceRequestHeld_ = false;
        requestVoice(programValue(fields_.VoiceLetter, fields_.VoiceNum));
    }
}

bool MainDialog::sessionRunning() const {
    return session_ && session_->running();
}

void MainDialog::rememberForUndo() {
    const WriteJob& job = session_->job();
    const SessionOutcome outcome = session_->result().outcome;
    if (job.kind == WriteJob::Kind::Parameters && outcome == SessionOutcome::Checked) {
        lastCopy_.reset();  // undone
        return;
    }
    // Whatever of a copy went out can be taken back, all of it or the part that was sent.
    if (job.kind == WriteJob::Kind::CopyVoice && session_->snapshot() &&
        (session_->result().sent > 0 || session_->result().sentTwice)) {
        lastCopy_ = LastCopy{device_.deviceName(), job.mode, copyPerformance_, session_->plan(),
                             session_->snapshot()->blocks};
    }
}

void MainDialog::leaveDestination() {
    endSession(SessionOutcome::Cancelled);
    lastCopy_.reset();
}

bool MainDialog::undoAvailable() const {
    if (!lastCopy_ || sessionRunning() || !device_.isConnected() ||
        device_.deviceName() != lastCopy_->instrument || destinationType() != lastCopy_->mode) {
        return false;
    }
    return lastCopy_->mode != kModePerformance ||
           programValue(fields_.PerfLetter, fields_.PerfNum) == lastCopy_->performance;
}

void MainDialog::undoLastCopy() {
    if (!undoAvailable()) {
        return;
    }
    const UndoPlan plan = planUndo(lastCopy_->plan, lastCopy_->before);
    if (!plan.ok()) {
        device_.messageBoxes().show(plan.error, device_.deviceName(), BoxIcon::Error);
        return;
    }
    // The same parameter changes the copy sent, no program change: that would reload the
    // performance from memory.
    WriteJob job;
    job.kind = WriteJob::Kind::Parameters;
    job.mode = lastCopy_->mode;
    job.parameters = plan.messages;
    job.asksForSong = false;
    SessionOptions options;
    options.check = readCheckEachCopy(device_.profile());
    options.answerWithinMs = kTransferTimeoutMs;
    if (!startSession(std::move(job), options)) {
        return;
    }
    showTransmitting();
    advanceSession();
}

void MainDialog::transferTimedOut() {
    if (sessionRunning()) {
        endSession(SessionOutcome::TimedOut);
        return;  // the session's end shows the time-out
    }
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
