#include "ui/setup/MidiSetupDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>
#include <string>
#include <vector>

#include "midi/DeviceWatch.h"
#include "platform/qt/DialogOwner.h"
#include "res/SetupDialogTemplate.h"

namespace tessaline {

namespace {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Appends every device in number order, from one look at the lists, so that the numbers are
// those the port's setup will count in; a device whose name cannot be read still takes its
// place.
void fillDeviceList(QComboBox& list, const std::vector<std::string>& names) {
    for (std::size_t device = 0; device < names.size(); ++device) {
        list.addItem(QString::fromStdString(names[device].empty() ? "(unavailable device " +
                                                                        std::to_string(device) + ")"
                                                                  : names[device]));
    }
}

void selectDevice(QComboBox& list, int device) {
    list.setCurrentIndex(device >= 0 && device < list.count() ? device : -1);
}

// Each item holds its speed in stored form. A pause stored by another version or typed into
// the settings shows among the others in order, so that OK keeps it.
void fillSpeedList(QComboBox& list, const SendSpeed& current) {
    std::vector<SendSpeed> speeds{SendSpeed::cable(), SendSpeed::fast()};
    for (const int ms : {1, 2, 5, 10, 20, 50, 100}) {
        speeds.push_back(SendSpeed::pause(ms));
    }
    if (std::find(speeds.begin(), speeds.end(), current) == speeds.end()) {
        const auto later = std::find_if(speeds.begin(), speeds.end(), [&](const SendSpeed& s) {
            return s.kind == SendSpeedKind::FixedPause && s.pauseMs > current.pauseMs;
        });
        speeds.insert(later, current);
    }
    for (const SendSpeed& speed : speeds) {
        list.addItem(QString::fromStdString(sendSpeedText(speed)), storedSendSpeed(speed));
        if (speed == current) {
            list.setCurrentIndex(list.count() - 1);
        }
    }
}

}  // namespace

MidiSetupDialog::MidiSetupDialog(MidiPort& port, QWidget* parent)
    : QDialog(parent), port_(port), inDevice(port.inputDevice()), outDevice(port.outputDevice()) {
    built_ = buildDialog(*this, setupDialogTemplate());
    inputList_ = built_.find<QComboBox>(IDC_MIDI_IN_LIST);
    outputList_ = built_.find<QComboBox>(IDC_MIDI_OUT_LIST);
    speedList_ = built_.find<QComboBox>(IDC_SEND_SPEED_LIST);
    checkEachCopy_ = built_.find<QCheckBox>(IDC_CHECK_EACH_COPY);
    backUpEachCopy_ = built_.find<QCheckBox>(IDC_BACK_UP_EACH_COPY);
    if (auto* ok = built_.find<QPushButton>(IDOK)) {
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    }
    if (auto* cancel = built_.find<QPushButton>(IDCANCEL)) {
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
}

void MidiSetupDialog::showEvent(QShowEvent* event) {
    if (!initialised_) {
        initialised_ = true;
        initDialog();
    }
    QDialog::showEvent(event);
}

void MidiSetupDialog::initDialog() {
    setWindowTitle(QString::fromStdString(port_.deviceName() + " Setup"));
    const DeviceNames listed = listDeviceNames(port_.midiService());
    fillDeviceList(*inputList_, listed.inputs);
    fillDeviceList(*outputList_, listed.outputs);
    selectDevice(*inputList_, inDevice);
    selectDevice(*outputList_, outDevice);
    shownSpeed_ = port_.sendSpeed();
    fillSpeedList(*speedList_, shownSpeed_);
    checkEachCopy_->setChecked(readCheckEachCopy(port_.profile()));
    shownCheckEachCopy_ = checkEachCopy_->isChecked();
    backUpEachCopy_->setChecked(readBackUpEachCopy(port_.profile()));
    shownBackUpEachCopy_ = backUpEachCopy_->isChecked();
}

void MidiSetupDialog::refreshDevices() {
    if (!initialised_) {
        return;  // the lists are filled when the dialog opens
    }
    const QString chosenIn =
        inputList_->currentIndex() >= 0 ? inputList_->currentText() : QString();
    const QString chosenOut =
        outputList_->currentIndex() >= 0 ? outputList_->currentText() : QString();
    inputList_->clear();
    outputList_->clear();
    const DeviceNames listed = listDeviceNames(port_.midiService());
    fillDeviceList(*inputList_, listed.inputs);
    fillDeviceList(*outputList_, listed.outputs);
    inputList_->setCurrentIndex(chosenIn.isEmpty() ? -1 : inputList_->findText(chosenIn));
    outputList_->setCurrentIndex(chosenOut.isEmpty() ? -1 : outputList_->findText(chosenOut));
}

void MidiSetupDialog::accept() {
    inDevice = inputList_->currentIndex();
    outDevice = outputList_->currentIndex();
    if (initialised_) {
        // An unchanged speed stays unstored: the default of a virtual instrument written down
        // here would later hold for a real one of the same model.
        const auto chosen = speedList_->currentIndex() >= 0
                                ? sendSpeedFromStored(speedList_->currentData().toInt())
                                : std::nullopt;
        if (chosen && *chosen != shownSpeed_) {
            writeSendSpeed(port_.profile(), port_.deviceName(), *chosen);
        }
        // Written only once the user changes it, so that a later default can still reach those
        // who never chose.
        if (checkEachCopy_->isChecked() != shownCheckEachCopy_) {
            writeCheckEachCopy(port_.profile(), checkEachCopy_->isChecked());
        }
        if (backUpEachCopy_->isChecked() != shownBackUpEachCopy_) {
            writeBackUpEachCopy(port_.profile(), backUpEachCopy_->isChecked());
        }
    }
    QDialog::accept();
}

bool MidiSetupDialogRunner::run(MidiPort& port, int& inDevice, int& outDevice) {
    // Like any dialog without a parent, it belongs to the window the user is working in.
    MidiSetupDialog dialog(port, dialogOwner());
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    inDevice = dialog.inDevice;
    outDevice = dialog.outDevice;
    return true;
}

}  // namespace tessaline
