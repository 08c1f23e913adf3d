#include "tests/ui/WindowRig.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLineEdit>

#include "res/ResourceIds.h"
#include "ui/TimerIds.h"

namespace tessaline::test {

namespace {

PortServices servicesOf(WindowRig& rig) {
    return PortServices{rig.sim.service(), rig.profile, rig.boxes, rig.poster, rig.clock};
}

InMemoryProfile& choosing(InMemoryProfile& profile, int instrument) {
    profile.writeInt("", "MIDI Device In", instrument);
    profile.writeInt("", "MIDI Device Out", instrument);
    return profile;
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

WindowRig::WindowRig(int instrumentNumber, SavedSelections savedAtStart)
    : instrument(instrumentNumber),
      device((choosing(profile, instrumentNumber), servicesOf(*this))),
      saved(savedAtStart),
      window(device, saved, MainDialogOptions{&about, &timers, nullptr, dataFolder.path}) {
    device.setSetupDialogRunner(&setup);
    poster.setMainWindow(&window);
}

WindowRig::~WindowRig() {
    window.destroyWindow();
    device.setSetupDialogRunner(nullptr);
}

::testing::AssertionResult WindowRig::connect() {
    window.createWindow();
    window.show();
    if (!timers.fire(TIMER_OPEN_PORTS)) {
        return ::testing::AssertionFailure() << "the open-ports timer was not running";
    }
    const bool filled = waitUntil([this] {
        return device.isConnected() && !lineText(IDC_VOICE_LINE).isEmpty() &&
               !lineText(IDC_PERF_LINE).isEmpty();
    });
    if (!filled) {
        return ::testing::AssertionFailure()
               << "status \"" << window.statusText().toStdString() << "\", lines \""
               << lineText(IDC_VOICE_LINE).toStdString() << "\" and \""
               << lineText(IDC_PERF_LINE).toStdString() << "\"";
    }
    return ::testing::AssertionSuccess();
}

void WindowRig::settle() {
    for (int round = 0; round < 3; ++round) {
        sim.waitIdle();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

QComboBox* WindowRig::list(int id) const {
    return dynamic_cast<QComboBox*>(window.control(id));
}

QLineEdit* WindowRig::line(int id) const {
    return dynamic_cast<QLineEdit*>(window.control(id));
}

QAbstractButton* WindowRig::button(int id) const {
    return dynamic_cast<QAbstractButton*>(window.control(id));
}

QCheckBox* WindowRig::check(int id) const {
    return dynamic_cast<QCheckBox*>(window.control(id));
}

QStringList WindowRig::items(int id) const {
    QStringList texts;
    QComboBox* combo = list(id);
    for (int i = 0; i < combo->count(); ++i) {
        texts << combo->itemText(i);
    }
    return texts;
}

QString WindowRig::lineText(int id) const {
    return line(id)->text();
}

void WindowRig::choose(int id, int index) {
    QComboBox* combo = list(id);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void WindowRig::click(int id) {
    button(id)->click();
}

}  // namespace tessaline::test
