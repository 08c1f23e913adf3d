#pragma once

#include <QDialog>
#include <QIcon>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "midi/PortFollower.h"
#include "synth/CopySession.h"
#include "ui/DialogBuilder.h"
#include "ui/SavedSelections.h"
#include "ui/SystemMenu.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QStatusBar;

namespace tessaline {

class AboutBoxRunner;
class ColourEdit;
class CursorSource;
class HandBitmapButton;
class ProgressPopup;
class SynthDevice;
class WindowTimers;

// The window's value fields, in their declared order. An index holds -1 when its list had no
// selection at the last read.
struct MainDialogFields {
    int PerfBank = 0;
    int VoiceLetter = 0;
    int VoiceNum = 0;
    int VoiceBank = 0;
    int PerfLetter = 0;
    int PerfNum = 0;
    int partIndex = 0;
    int withInsFx = 1;
    int withSysFx = 1;
    int withName = 1;
    int destTypeIndex = 0;
};

// What the window needs besides the device; every member may be left null.
struct MainDialogOptions {
    AboutBoxRunner* about = nullptr;  // "About..." and the menu entry; nothing when null
    WindowTimers* timers = nullptr;   // null: the window's own Qt timers
    CursorSource* cursors = nullptr;  // null: the platform's hand cursor
    // Where backups of the destination go; none: copies that should keep one do not start.
    std::optional<std::filesystem::path> dataFolder;
};

// The program's main window. It does no MIDI work itself: every request goes to the device,
// and what the device learns arrives as posted notices. Message boxes and waits go through the
// device's services.
class MainDialog : public QDialog {
  public:
    MainDialog(SynthDevice& device, SavedSelections& saved, MainDialogOptions options = {},
               QWidget* parent = nullptr);
    ~MainDialog() override;

    // Window creation: builds the controls and starts the timer that opens the ports. Once.
    void createWindow();
    // Creates the window if needed, runs it modally until the close request, then destroys it.
    int runModal();
    // Stops the timers, removes a popup and copies the six selections out. Once.
    void destroyWindow();
    bool windowExists() const { return windowExists_; }

    // Timers and system commands, as the platform delivers them.
    void onTimer(int id);
    void onSysCommand(int command);
    std::vector<SystemMenuEntry> systemMenu() const { return systemMenu_; }

    // States and selections.
    void showNotConnected();
    void showConnected();
    int destinationType() const;
    void refreshParts();
    void sourceChanged();
    void destinationChanged();
    void stepSource(int step);
    void stepDestination(int step);
    void showVoiceLine();
    void showPerformanceLine();
    void setStatusText(const QString& text);
    QString statusText() const;

    // Control exchange: true moves the fields into the controls, false reads the controls.
    void exchange(bool toControls);
    const MainDialogFields& fields() const { return fields_; }

    // The transfer run (Execute).
    void execute();
    const CopySession* session() const { return session_.get(); }
    // Undo Last Copy: offered while the instrument, the destination type and its performance
    // are still the ones the last copy went into.
    bool undoAvailable() const;
    void undoLastCopy();
    // While held, devices that come and go are noted but not acted on: no port closes or opens
    // under a copy. Letting go looks at once and acts on everything seen meanwhile.
    void holdDeviceEvents(bool hold);
    ProgressPopup* progressPopup() const { return progressPopup_.get(); }

    QWidget* control(int id) const;
    const QIcon& icon() const { return icon_; }

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Enter presses the focused button and nothing else; Esc does nothing.
    void keyPressEvent(QKeyEvent* event) override;
    // Enter and Esc end nothing: only the close request ends the window.
    void accept() override {}
    void reject() override {}

  private:
    void connectHandlers();
    void createStatusBar();
    void handleNotice(unsigned message);
    // Follows the devices as they come and go; an open setup dialog shows the lists anew.
    void lookAtDevices();
    // Looks when the MIDI system announces a change; where it announces none, once a second.
    void watchDevices();
    void runAbout();
    // Asks for the source voice or destination performance when the request is well formed.
    void requestVoice(int program);
    void requestPerformance(int program);
    bool voiceBankValid() const;
    // Transfer run. False when the session ended before anything was written.
    bool startSession(WriteJob job, const SessionOptions& options);
    void showTransmitting();
    // Lets the session go on with what has arrived; called on its notices and ticks.
    void advanceSession();
    // Ends the session under way from outside, and shows how it ended.
    void endSession(SessionOutcome outcome);
    void finishSession();
    bool sessionRunning() const;
    // The destination is about to change: the copy under way ends, and the last one can no
    // longer be undone here.
    void leaveDestination();
    // Keeps what the copy that just ended needs to be undone, or forgets a copy undone.
    void rememberForUndo();
    // Writes the backup of a copy's destination; the reason when it could not.
    std::string keepBackup(const CompletedDump& snapshot, const CopyPlan& plan);
    void transferTimedOut();
    void closeProgressPopup();

    SynthDevice& device_;
    SavedSelections& saved_;
    MainDialogOptions options_;
    std::unique_ptr<WindowTimers> ownTimers_;
    WindowTimers* timers_ = nullptr;
    std::unique_ptr<CursorSource> ownCursors_;

    BuiltDialog built_;
    ColourEdit* sourceLine_ = nullptr;
    ColourEdit* destinationLine_ = nullptr;
    HandBitmapButton* executeButton_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QCheckBox* withNameBox_ = nullptr;
    QComboBox* partList_ = nullptr;
    QComboBox* typeList_ = nullptr;
    QComboBox* sourceBankList_ = nullptr;
    QComboBox* destinationBankList_ = nullptr;
    MainDialogFields fields_;
    QIcon icon_;
    std::vector<SystemMenuEntry> systemMenu_;
    std::unique_ptr<ProgressPopup> progressPopup_;
    // The copy under way, or the last one.
    std::unique_ptr<CopySession> session_;
    unsigned requestsSeen_ = 0;  // the session's dump requests when the time-out last started
    // The source changed while a copy ran: its dump is asked for once the copy has ended.
    bool voiceRequestHeld_ = false;
    // What the last copy wrote and what its destination held before, while it can be undone.
    struct LastCopy {
        std::string instrument;
        int mode = 0;
        int performance = -1;
        CopyPlan plan;
        std::vector<ReceivedBlock> before;
    };
    std::optional<LastCopy> lastCopy_;
    int copyPerformance_ = -1;  // the performance of the copy under way
    PortFollower follower_;
    bool devicesAnnounced_ = false;  // the MIDI system tells of devices that come and go
    bool windowExists_ = false;
    bool windowDestroyed_ = false;
};

// The program value of a letter and a number: letter * 16 + number, or -1 when either lies
// outside its list (nothing selected).
int programValue(int letter, int number);
// A program value as the device takes it: a value outside 0..127 becomes 0xFF, which the
// device's selections ignore, instead of wrapping round into some other valid program.
unsigned char programByte(int program);

}  // namespace tessaline
