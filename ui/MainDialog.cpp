#include "ui/MainDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

#include "midi/Notices.h"
#include "platform/qt/QtWindowTimers.h"
#include "res/Images.h"
#include "res/ResourceIds.h"
#include "res/Strings.h"
#include "res/Templates.h"
#include "synth/SynthDevice.h"
#include "ui/AboutBoxRunner.h"
#include "ui/ColourEdit.h"
#include "ui/CursorSource.h"
#include "ui/DialogFonts.h"
#include "ui/HandBitmapButton.h"
#include "ui/ProgressPopup.h"
#include "ui/TimerIds.h"

namespace tessaline {

namespace {

const QColor kLineColour(224, 255, 64);

// The six selections between the saved ones and the window's fields, either way.
template <typename From, typename To>
void copySelections(const From& from, To& to) {
    to.VoiceBank = from.VoiceBank;
    to.VoiceLetter = from.VoiceLetter;
    to.VoiceNum = from.VoiceNum;
    to.PerfBank = from.PerfBank;
    to.PerfLetter = from.PerfLetter;
    to.PerfNum = from.PerfNum;
}

QWidget* makeOwnControl(const ControlTemplate& entry, QWidget* parent) {
    switch (entry.id) {
        case IDC_VOICE_LINE:
        case IDC_PERF_LINE:
            return new ColourEdit(parent);
        case IDC_EXECUTE: {
            // The text is never drawn, but names the button to assistive tools.
            auto* button = new HandBitmapButton(parent);
            button->setText(QString::fromUtf8(entry.text));
            return button;
        }
        default:
            return nullptr;
    }
}

}  // namespace

MainDialog::MainDialog(SynthDevice& device, SavedSelections& saved, MainDialogOptions options,
                       QWidget* parent)
    : QDialog(parent), device_(device), saved_(saved), options_(options), follower_(device) {
    // Whoever made the selections, only values the lists can show reach the fields.
    copySelections(withinRange(saved), fields_);
    icon_ = loadIcon(IDI_MAIN_ICON);

    if (options_.timers == nullptr) {
        ownTimers_ = std::make_unique<QtWindowTimers>();
        timers_ = ownTimers_.get();
    } else {
        timers_ = options_.timers;
    }
    timers_->setHandler([this](int id) { onTimer(id); });
    if (options_.cursors == nullptr) {
        ownCursors_ = std::make_unique<SystemCursorSource>();
        options_.cursors = ownCursors_.get();
    }
}

MainDialog::~MainDialog() {
    destroyWindow();
    timers_->setHandler({});
}

void MainDialog::createWindow() {
    if (windowExists_ || windowDestroyed_) {
        return;
    }
    windowExists_ = true;

    // 1. The dialog itself, then a first exchange to the controls.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    built_ = buildDialog(*this, mainDialogTemplate(), makeOwnControl);
    sourceLine_ = built_.find<ColourEdit>(IDC_VOICE_LINE);
    destinationLine_ = built_.find<ColourEdit>(IDC_PERF_LINE);
    executeButton_ = built_.find<HandBitmapButton>(IDC_EXECUTE);
    withNameBox_ = built_.find<QCheckBox>(IDC_WITH_NAME);
    partList_ = built_.find<QComboBox>(IDC_PART);
    typeList_ = built_.find<QComboBox>(IDC_DEST_TYPE);
    sourceBankList_ = built_.find<QComboBox>(IDC_VOICE_BANK);
    destinationBankList_ = built_.find<QComboBox>(IDC_PERF_BANK);
    // No button is the default: Enter presses only the button that has the focus.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
    }
    connectHandlers();
    exchange(true);
    sourceBankList_->setFocus();

    // 2. The system menu's own entry.
    systemMenu_ = standardSystemMenu();
    QString about = QString::fromStdString(loadString(IDS_ABOUTBOX));
    if (!about.isEmpty()) {
        systemMenu_.push_back({0, {}});
        systemMenu_.push_back({IDM_ABOUTBOX, about});
    }
    systemMenu_.push_back({IDM_UNDO_COPY, QStringLiteral("Undo Last Copy")});
    auto* undo = new QShortcut(QKeySequence::Undo, this);
    connect(undo, &QShortcut::activated, this, [this] { onSysCommand(IDM_UNDO_COPY); });

    // 3. Icon.
    setWindowIcon(icon_);

    // 4. Status bar.
    createStatusBar();

    // 5. Own controls.
    executeButton_->attach(*options_.cursors);
    executeButton_->loadBitmaps(IDB_EXECUTE_UP, IDB_EXECUTE_DOWN, IDB_EXECUTE_UP);

    // 6. and 7. The two display lines.
    const QFont font = lineFont();
    for (ColourEdit* line : {sourceLine_, destinationLine_}) {
        line->setBackgroundColour(kLineColour);
        line->setReadOnly(true);
        line->setFont(font);
    }

    // 8. and 9. Start unconnected; the ports open once the window's first events are handled.
    showNotConnected();
    timers_->start(TIMER_OPEN_PORTS, kOpenPortsDelayMs);
}

void MainDialog::createStatusBar() {
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("control%1").arg(IDC_STATUS_BAR));
    statusBar_->setSizeGripEnabled(false);
    statusLabel_ = new QLabel(statusBar_);
    statusLabel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusLabel_->setTextFormat(Qt::PlainText);
    statusBar_->addWidget(statusLabel_, 1);
    const int height = statusBar_->sizeHint().height();
    statusBar_->setGeometry(0, built_.clientSize().height() - height, built_.clientSize().width(),
                            height);
    statusBar_->show();
}

void MainDialog::connectHandlers() {
    for (int id : {IDC_VOICE_BANK, IDC_VOICE_LETTER, IDC_VOICE_NUM}) {
        connect(built_.find<QComboBox>(id), &QComboBox::activated, this,
                [this] { sourceChanged(); });
    }
    for (int id : {IDC_PERF_BANK, IDC_PERF_LETTER, IDC_PERF_NUM}) {
        connect(built_.find<QComboBox>(id), &QComboBox::activated, this,
                [this] { destinationChanged(); });
    }
    connect(built_.find<QComboBox>(IDC_DEST_TYPE), &QComboBox::activated, this, [this] {
        leaveDestination();
        exchange(false);
        refreshParts();
    });
    connect(built_.find<QComboBox>(IDC_PART), &QComboBox::activated, this, [this] {
        exchange(false);
        refreshParts();
    });
    for (int id : {IDC_WITH_SYS_FX, IDC_WITH_INS_FX, IDC_WITH_NAME}) {
        connect(built_.find<QCheckBox>(id), &QCheckBox::clicked, this, [this] { exchange(false); });
    }
    auto onClick = [this](int id, auto handler) {
        connect(built_.find<QAbstractButton>(id), &QAbstractButton::clicked, this, handler);
    };
    onClick(IDC_VOICE_BACK, [this] { stepSource(-1); });
    onClick(IDC_VOICE_ON, [this] { stepSource(1); });
    onClick(IDC_PERF_BACK, [this] { stepDestination(-1); });
    onClick(IDC_PERF_ON, [this] { stepDestination(1); });
    onClick(IDC_EXECUTE, [this] { execute(); });
    onClick(IDC_ABOUT, [this] { runAbout(); });
    onClick(IDC_MIDI_SETUP, [this] { device_.runSetupDialog(); });
}

int MainDialog::runModal() {
    createWindow();
    const int result = exec();
    destroyWindow();
    return result;
}

void MainDialog::destroyWindow() {
    if (!windowExists_) {
        return;
    }
    windowExists_ = false;
    windowDestroyed_ = true;
    timers_->stop(TIMER_OPEN_PORTS);
    timers_->stop(TIMER_TRANSFER);
    timers_->stop(TIMER_DEVICE_LOOK);
    if (devicesAnnounced_) {
        device_.midiService().setDeviceChangeHandler({});
        devicesAnnounced_ = false;
    }
    closeProgressPopup();
    hide();
    // The fields as they stand: the controls are not read first.
    copySelections(fields_, saved_);
}

void MainDialog::onTimer(int id) {
    // Every timer of this window fires once.
    timers_->stop(id);
    if (!windowExists_) {
        return;
    }
    if (id == TIMER_OPEN_PORTS) {
        device_.open(1);
        watchDevices();
    } else if (id == TIMER_TRANSFER) {
        transferTimedOut();
    } else if (id == TIMER_DEVICE_LOOK) {
        lookAtDevices();
    } else if (id == TIMER_SESSION_TICK) {
        advanceSession();
    }
}

void MainDialog::onSysCommand(int command) {
    switch (command) {
        case IDM_ABOUTBOX:
            runAbout();
            break;
        case IDM_UNDO_COPY:
            undoLastCopy();
            break;
        case SC_MINIMIZE:
            showMinimized();
            break;
        case SC_CLOSE:
            close();
            break;
        default:
            break;
    }
}

void MainDialog::runAbout() {
    if (options_.about != nullptr) {
        options_.about->run(this);
    }
}

QWidget* MainDialog::control(int id) const {
    if (id == IDC_STATUS_BAR) {
        return statusBar_;
    }
    return built_.control(id);
}

void MainDialog::setStatusText(const QString& text) {
    if (statusLabel_ != nullptr) {
        statusLabel_->setText(text);
    }
}

QString MainDialog::statusText() const {
    return statusLabel_ != nullptr ? statusLabel_->text() : QString();
}

bool MainDialog::event(QEvent* event) {
    const auto message = static_cast<unsigned>(event->type());
    switch (message) {
        case WM_SYNTH_IDENTIFIED:
        case WM_VOICE_RECEIVED:
        case WM_PERFORMANCE_RECEIVED:
        case WM_MIX_RECEIVED:
        case WM_DESTINATION_DUMP_RECEIVED:
        case WM_VOICE_DUMP_RECEIVED:
        case WM_PORTS_CLOSED:
            if (windowExists_) {
                handleNotice(message);
            }
            return true;
        case WM_DEVICES_CHANGED:
            if (windowExists_ && devicesAnnounced_) {
                lookAtDevices();
            }
            return true;
        default:
            return QDialog::event(event);
    }
}

void MainDialog::handleNotice(unsigned message) {
    switch (message) {
        case WM_SYNTH_IDENTIFIED:
            // The ports were opened again: whatever the copy under way sent may be lost, and the
            // instrument may be another one.
            endSession(SessionOutcome::PortsClosed);
            lastCopy_.reset();
            showConnected();
            break;
        case WM_PORTS_CLOSED:
            endSession(SessionOutcome::PortsClosed);
            lastCopy_.reset();
            showNotConnected();
            break;
        case WM_VOICE_RECEIVED:
            showVoiceLine();
            break;
        case WM_PERFORMANCE_RECEIVED:
            // While a copy runs, its own end closes the popup: the first answer may yet be
            // followed by a second send.
            if (!sessionRunning()) {
                closeProgressPopup();
            }
            showPerformanceLine();
            break;
        case WM_MIX_RECEIVED:
            if (!sessionRunning()) {
                closeProgressPopup();
            }
            break;
        case WM_VOICE_DUMP_RECEIVED:
        case WM_DESTINATION_DUMP_RECEIVED:
            advanceSession();
            break;
        default:
            break;
    }
}

void MainDialog::closeEvent(QCloseEvent* event) {
    // The close box ends the modal run with OK; nothing else does.
    QDialog::done(QDialog::Accepted);
    event->accept();
}

void MainDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A push button with the focus is pressed; a check box is not ticked.
            if (auto* button = dynamic_cast<QAbstractButton*>(focusWidget());
                button != nullptr && dynamic_cast<QCheckBox*>(button) == nullptr) {
                button->click();
            }
            event->accept();
            return;
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void MainDialog::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    for (const SystemMenuEntry& entry : systemMenu_) {
        if (entry.command == 0) {
            menu.addSeparator();
        } else {
            QAction* action = menu.addAction(entry.text);
            action->setData(entry.command);
            if (entry.command == IDM_UNDO_COPY) {
                action->setShortcut(QKeySequence::Undo);
                action->setEnabled(undoAvailable());  // greyed while there is nothing to undo
            }
        }
    }
    if (QAction* chosen = menu.exec(event->globalPos())) {
        onSysCommand(chosen->data().toInt());
    }
}

}  // namespace tessaline
