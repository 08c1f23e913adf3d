// The main window while instruments are unplugged and plugged in again: the port closes with
// its device and opens again, wherever the device returns, with no box and no user; an open
// setup dialog follows the lists.
#include <gtest/gtest.h>

#include <QComboBox>

#include "res/ResourceIds.h"
#include "tests/ui/WindowRig.h"
#include "ui/TimerIds.h"
#include "ui/setup/MidiSetupDialog.h"

namespace tessaline::test {
namespace {

const std::string kMotif7Name = "Virtual Motif 7 (simulated)";

bool look(WindowRig& rig) {
    const bool fired = rig.timers.fire(TIMER_DEVICE_LOOK);
    rig.settle();
    return fired;
}

void expectNotConnected(WindowRig& rig) {
    EXPECT_EQ(rig.window.statusText(), "Not connected");
    EXPECT_TRUE(rig.items(IDC_VOICE_BANK).isEmpty());
    EXPECT_TRUE(rig.items(IDC_DEST_TYPE).isEmpty());
    EXPECT_TRUE(rig.lineText(IDC_VOICE_LINE).isEmpty());
    EXPECT_TRUE(rig.lineText(IDC_PERF_LINE).isEmpty());
    EXPECT_FALSE(rig.device.inputOpen());
    EXPECT_FALSE(rig.device.outputOpen());
}

TEST(MainDialogDevices, AnInstrumentThatGoesDisconnectsAndReconnectsWhereverItReturns) {
    WindowRig rig(kMotif7);
    ASSERT_TRUE(rig.connect());
    EXPECT_EQ(rig.window.statusText(), "Motif 7 connected");

    // Another instrument going moves the Motif 7 up a number; its open port is untouched.
    rig.sim.setPresent(kMotifES7, false);
    ASSERT_TRUE(look(rig));
    EXPECT_EQ(rig.window.statusText(), "Motif 7 connected");
    EXPECT_TRUE(rig.device.inputOpen());

    rig.sim.setPresent(kMotif7, false);
    ASSERT_TRUE(look(rig));
    expectNotConnected(rig);
    ASSERT_TRUE(look(rig));  // still away: nothing opens
    expectNotConnected(rig);

    // Back, now as device 0: the numbers follow the name and the instrument is named again.
    rig.sim.setPresent(kMotif7, true);
    ASSERT_TRUE(look(rig));
    ASSERT_TRUE(waitUntil([&] {
        return rig.device.isConnected() && !rig.lineText(IDC_VOICE_LINE).isEmpty() &&
               !rig.lineText(IDC_PERF_LINE).isEmpty();
    })) << rig.window.statusText().toStdString();
    EXPECT_EQ(rig.window.statusText(), "Motif 7 connected");
    EXPECT_EQ(rig.device.inputDevice(), 0);
    EXPECT_EQ(rig.device.outputDevice(), 0);
    EXPECT_EQ(rig.profile.readInt("", "Motif 7 In", -9), 0);
    EXPECT_EQ(rig.profile.readInt("", "Motif 7 Out", -9), 0);
    EXPECT_EQ(rig.profile.readText("", "Motif 7 In Name", ""), kMotif7Name);
    EXPECT_EQ(rig.profile.readText("", "Motif 7 Out Name", ""), kMotif7Name);
    EXPECT_TRUE(rig.timers.isActive(TIMER_DEVICE_LOOK));
    EXPECT_EQ(rig.boxes.count(), 0u);
}

TEST(MainDialogDevices, AtStartUpAStoredNumberFollowsTheNameStoredBesideIt) {
    // Stored as device 1 while the ES7 was there; the ES7 has gone and device 1 is the Rack.
    WindowRig rig(kMotif7);
    rig.profile.writeText("", "MIDI Device In Name", kMotif7Name);
    rig.profile.writeText("", "MIDI Device Out Name", kMotif7Name);
    rig.sim.setPresent(kMotifES7, false);
    ASSERT_TRUE(rig.connect());
    EXPECT_EQ(rig.window.statusText(), "Motif 7 connected");
    EXPECT_EQ(rig.device.inputDevice(), 0);
}

TEST(MainDialogDevices, AnOpenSetupDialogListsTheDevicesAnewAndKeepsWhatIsStillThere) {
    WindowRig rig(kMotifES7);
    ASSERT_TRUE(rig.connect());
    MidiSetupDialog dialog(rig.device);
    dialog.show();
    dialog.inputList()->setCurrentIndex(kS90);
    dialog.outputList()->setCurrentIndex(kMotif7);

    rig.sim.setPresent(kMotif7, false);
    ASSERT_TRUE(look(rig));
    EXPECT_EQ(dialog.inputList()->count(), 3);
    EXPECT_EQ(dialog.inputList()->currentText(), "Virtual S90 (simulated)");
    EXPECT_EQ(dialog.inputList()->currentIndex(), 2);
    EXPECT_EQ(dialog.outputList()->currentIndex(), -1);

    rig.sim.setPresent(kMotif7, true);
    ASSERT_TRUE(look(rig));
    EXPECT_EQ(dialog.outputList()->count(), 4);
    EXPECT_EQ(dialog.inputList()->currentIndex(), kS90);
}

}  // namespace
}  // namespace tessaline::test
