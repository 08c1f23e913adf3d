// The main window's states and selections: connected or not, the lists, the exchange between
// fields and controls, and the requests that keep the two display lines current.
#include <QCheckBox>
#include <QComboBox>

#include "res/ResourceIds.h"
#include "synth/ModelFamily.h"
#include "synth/SynthDevice.h"
#include "ui/ColourEdit.h"
#include "ui/ControlExchange.h"
#include "ui/MainDialog.h"

namespace tessaline {

namespace {

const QString kPerformance = QStringLiteral("PERFORMANCE");
const QString kSongMix = QStringLiteral("SONG MIX");

enum class ValueKind { List, Check };

struct ExchangeEntry {
    int id;
    int MainDialogFields::*field;
    ValueKind kind;
};

// The exchange's order.
constexpr ExchangeEntry kExchange[] = {
    {IDC_PERF_BANK, &MainDialogFields::PerfBank, ValueKind::List},
    {IDC_VOICE_LETTER, &MainDialogFields::VoiceLetter, ValueKind::List},
    {IDC_VOICE_NUM, &MainDialogFields::VoiceNum, ValueKind::List},
    {IDC_VOICE_BANK, &MainDialogFields::VoiceBank, ValueKind::List},
    {IDC_PERF_LETTER, &MainDialogFields::PerfLetter, ValueKind::List},
    {IDC_PERF_NUM, &MainDialogFields::PerfNum, ValueKind::List},
    {IDC_PART, &MainDialogFields::partIndex, ValueKind::List},
    {IDC_WITH_INS_FX, &MainDialogFields::withInsFx, ValueKind::Check},
    {IDC_WITH_SYS_FX, &MainDialogFields::withSysFx, ValueKind::Check},
    {IDC_WITH_NAME, &MainDialogFields::withName, ValueKind::Check},
    {IDC_DEST_TYPE, &MainDialogFields::destTypeIndex, ValueKind::List},
};

constexpr int kPerformanceOnly[] = {IDC_WITH_NAME, IDC_PERF_BANK,   IDC_PERF_LINE, IDC_PERF_ON,
                                    IDC_PERF_BACK, IDC_PERF_LETTER, IDC_PERF_NUM};

constexpr int kPrograms = kProgramLetters * kProgramNumbers;

// One program on or back, round within the bank. From no program at all, on goes to the first
// and back to the last.
int steppedProgram(int program, int step) {
    if (program < 0) {
        return step < 0 ? kPrograms - 1 : 0;
    }
    return (program + (step < 0 ? kPrograms - 1 : 1)) % kPrograms;
}

}  // namespace

int programValue(int letter, int number) {
    if (letter < 0 || letter >= kProgramLetters || number < 0 || number >= kProgramNumbers) {
        return -1;
    }
    return letter * kProgramNumbers + number;
}

unsigned char programByte(int program) {
    return program >= 0 && program <= 127 ? static_cast<unsigned char>(program) : 0xFF;
}

void MainDialog::exchange(bool toControls) {
    for (const ExchangeEntry& entry : kExchange) {
        int& value = fields_.*entry.field;
        if (entry.kind == ValueKind::List) {
            auto* list = built_.find<QComboBox>(entry.id);
            if (toControls) {
                writeSelection(*list, value);
            } else {
                value = readSelection(*list);
            }
        } else {
            auto* box = built_.find<QCheckBox>(entry.id);
            if (toControls) {
                writeCheck(*box, value);
            } else {
                value = readCheck(*box);
            }
        }
    }
}

void MainDialog::showNotConnected() {
    setStatusText(QStringLiteral("Not connected"));
    sourceBankList_->clear();
    destinationBankList_->clear();
    typeList_->clear();
    sourceLine_->clear();
    destinationLine_->clear();
    refreshParts();
}

void MainDialog::showConnected() {
    showNotConnected();
    setStatusText(QString::fromStdString(device_.deviceName()) + QStringLiteral(" connected"));
    destinationBankList_->addItem(QStringLiteral("USER"));
    for (const BankEntry& bank : device_.bankList()) {
        sourceBankList_->addItem(QString::fromStdString(bank.name));
    }
    const FamilyLayout& layout = familyLayout(device_.family());
    if (layout.offersPerformance) {
        typeList_->addItem(kPerformance);
    }
    if (layout.offersSongMix) {
        typeList_->addItem(kSongMix);
    }

    // A type chosen on a model with more types (SONG MIX is the ES's second and the rack's
    // only one) would name no entry here: blank, no parts, and Execute could copy nothing.
    if (fields_.destTypeIndex < 0 || fields_.destTypeIndex >= typeList_->count()) {
        fields_.destTypeIndex = 0;
    }
    if (fields_.PerfBank < 0 || fields_.PerfBank >= destinationBankList_->count()) {
        fields_.PerfBank = 0;
    }
    // A bank saved with a model that has more banks is as good as none.
    if (fields_.VoiceBank < 0 || fields_.VoiceBank >= sourceBankList_->count()) {
        fields_.VoiceBank = 0;
    }
    exchange(true);

    destinationLine_->clear();
    requestPerformance(programValue(fields_.PerfLetter, fields_.PerfNum));
    sourceLine_->clear();
    requestVoice(programValue(fields_.VoiceLetter, fields_.VoiceNum));
    refreshParts();
}

int MainDialog::destinationType() const {
    const int index = fields_.destTypeIndex;
    const QString text =
        index >= 0 && index < typeList_->count() ? typeList_->itemText(index) : QString();
    if (text == kPerformance) {
        return 1;
    }
    if (text == kSongMix) {
        return 3;
    }
    return -1;
}

void MainDialog::refreshParts() {
    const int type = destinationType();
    int parts = 0;
    if (type == 1) {
        device_.setMode(1);
        parts = 4;
    } else if (type == 3) {
        device_.setMode(3);
        parts = 16;
    }
    partList_->clear();
    if (device_.isConnected() && parts > 0) {
        for (int part = 1; part <= parts; ++part) {
            partList_->addItem(QString::number(part));
        }
    }
    if (fields_.partIndex < 0 || fields_.partIndex >= partList_->count()) {
        fields_.partIndex = 0;
    }
    exchange(true);
    for (int id : kPerformanceOnly) {
        built_.control(id)->setEnabled(type == 1);
    }
}

bool MainDialog::voiceBankValid() const {
    // The list shown is the device's list of the identified model; without it (not connected)
    // no bank index is trustworthy.
    return fields_.VoiceBank >= 0 && fields_.VoiceBank < sourceBankList_->count() &&
           fields_.VoiceBank < device_.bankCount();
}

void MainDialog::requestVoice(int program) {
    // No voice dump is asked for while a copy runs: its answer would be taken for the copy's.
    if (sessionRunning()) {
        voiceRequestHeld_ = true;
        return;
    }
    if (voiceBankValid()) {
        device_.selectVoice(static_cast<unsigned char>(fields_.VoiceBank), programByte(program));
    }
}

void MainDialog::requestPerformance(int program) {
    device_.selectPerformance(programByte(program));
}

void MainDialog::sourceChanged() {
    exchange(false);
    sourceLine_->clear();
    requestVoice(programValue(fields_.VoiceLetter, fields_.VoiceNum));
}

void MainDialog::destinationChanged() {
    leaveDestination();
    exchange(false);
    destinationLine_->clear();
    requestPerformance(programValue(fields_.PerfLetter, fields_.PerfNum));
}

void MainDialog::stepSource(int step) {
    const int program = steppedProgram(programValue(fields_.VoiceLetter, fields_.VoiceNum), step);
    fields_.VoiceLetter = program / kProgramNumbers;
    fields_.VoiceNum = program % kProgramNumbers;
    exchange(true);
    sourceLine_->clear();
    requestVoice(program);
}

void MainDialog::stepDestination(int step) {
    leaveDestination();
    const int program = steppedProgram(programValue(fields_.PerfLetter, fields_.PerfNum), step);
    fields_.PerfLetter = program / kProgramNumbers;
    fields_.PerfNum = program % kProgramNumbers;
    exchange(true);
    destinationLine_->clear();
    requestPerformance(program);
}

void MainDialog::showVoiceLine() {
    if (voiceBankValid()) {
        sourceLine_->setText(QString::fromStdString(
            device_.formatVoiceLine(fields_.VoiceBank, fields_.VoiceLetter, fields_.VoiceNum)));
    }
}

void MainDialog::showPerformanceLine() {
    destinationLine_->setText(
        QString::fromStdString(device_.formatPerformanceLine(fields_.PerfLetter, fields_.PerfNum)));
}

}  // namespace tessaline
