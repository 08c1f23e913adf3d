#pragma once

#include <QDialog>

#include "midi/MidiPort.h"
#include "ui/DialogBuilder.h"

class QCheckBox;
class QComboBox;
class QShowEvent;

namespace tessaline {

// Lets the user choose the MIDI input and the MIDI output device among those the MIDI service
// lists, the send speed for the instrument and whether each copy is checked. Every device is
// appended in number order to an unsorted list, so a list index is a device number. Choosing
// has no effect until OK.
class MidiSetupDialog : public QDialog {
  public:
    // Takes the port's current device numbers; the port is not owned.
    explicit MidiSetupDialog(MidiPort& port, QWidget* parent = nullptr);

    QComboBox* inputList() const { return inputList_; }
    QComboBox* outputList() const { return outputList_; }
    QComboBox* speedList() const { return speedList_; }
    QCheckBox* checkEachCopyBox() const { return checkEachCopy_; }
    QCheckBox* backUpEachCopyBox() const { return backUpEachCopy_; }

    // OK: both numbers take their list's selected index (-1 where nothing is selected). A
    // speed the user changed is stored under the instrument's model name, for the port to
    // read when it reopens; the check box is stored as it stands.
    void accept() override;

    // The devices changed while the dialog is open: both lists are filled anew, and each keeps
    // its choice where a device of that name is still listed (nothing is chosen otherwise).
    void refreshDevices();

  protected:
    // The dialog opens: title, device lists and the selection of the stored numbers.
    void showEvent(QShowEvent* event) override;

  private:
    void initDialog();

    MidiPort& port_;
    BuiltDialog built_;
    QComboBox* inputList_ = nullptr;
    QComboBox* outputList_ = nullptr;
    QComboBox* speedList_ = nullptr;
    QCheckBox* checkEachCopy_ = nullptr;
    bool shownCheckEachCopy_ = true;
    QCheckBox* backUpEachCopy_ = nullptr;
    bool shownBackUpEachCopy_ = true;
    SendSpeed shownSpeed_;
    bool initialised_ = false;

  public:
    // The chosen device numbers: the port's at construction, read back from the lists on OK.
    int inDevice = -1;
    int outDevice = -1;
};

// Fills the port's setup seam: shows the dialog modally and hands back the numbers on OK.
class MidiSetupDialogRunner final : public SetupDialogRunner {
  public:
    bool run(MidiPort& port, int& inDevice, int& outDevice) override;
};

}  // namespace tessaline
