#include "midi/MidiSetupDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>
#include <string>

#include "platform/qt/DialogOwner.h"
#include "res/MidiSetupIcon.h"
#include "res/SetupDialogTemplate.h"

namespace tessaline {

namespace {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

using DeviceCount = unsigned (MidiService::*)();
using DeviceName = MidiResult (MidiService::*)(unsigned, std::string&);

// Appends every device in number order. The count is asked again before each step, so the list
// is the service's as it is now; a device whose name cannot be read still takes its place.
void fillDeviceList(QComboBox& list, MidiService& midi, DeviceCount count, DeviceName nameOf) {
    for (unsigned device = 0; device < (midi.*count)(); ++device) {
        std::string name;
        if ((midi.*nameOf)(device, name) != midiresult::Ok) {
            name = "(unavailable device " + std::to_string(device) + ")";
        }
        list.addItem(QString::fromStdString(name));
    }
}

void selectDevice(QComboBox& list, int device) {
    list.setCurrentIndex(device >= 0 && device < list.count() ? device : -1);
}

}  // namespace

MidiSetupDialog::MidiSetupDialog(MidiPort& port, QWidget* parent)
    : QDialog(parent), port_(port), inDevice(port.inputDevice()), outDevice(port.outputDevice()) {
    QLabel* icon = nullptr;
    built_ =
        buildDialog(*this, setupDialogTemplate(),
                    [&icon](const ControlTemplate& entry, QWidget* window) -> QWidget* {
                        if (entry.kind != ControlKind::Icon || entry.resourceId != IDI_MIDI_SETUP) {
                            return nullptr;
                        }
                        icon = new QLabel(window);
                        return icon;
                    });
    if (icon != nullptr) {
        const int side = std::min(icon->width(), icon->height());
        icon->setPixmap(QPixmap::fromImage(drawMidiSetupIcon(side)));
    }
    inputList_ = built_.find<QComboBox>(IDC_MIDI_IN_LIST);
    outputList_ = built_.find<QComboBox>(IDC_MIDI_OUT_LIST);
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
    MidiService& midi = port_.midiService();
    fillDeviceList(*inputList_, midi, &MidiService::inGetNumDevs, &MidiService::inGetDevName);
    fillDeviceList(*outputList_, midi, &MidiService::outGetNumDevs, &MidiService::outGetDevName);
    selectDevice(*inputList_, inDevice);
    selectDevice(*outputList_, outDevice);
}

void MidiSetupDialog::accept() {
    inDevice = inputList_->currentIndex();
    outDevice = outputList_->currentIndex();
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
