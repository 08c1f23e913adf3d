#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtmidi/MidiApiChoice.h"
#include "platform/rtmidi/RtMidiBackends.h"

namespace tessaline::test {
namespace {

using Names = std::vector<std::string>;

TEST(MidiApiChoice, RestrictsTheCompiledApisInTheirOwnOrder) {
    const Names compiled{"alsa", "jack"};
    EXPECT_EQ(chooseMidiApis(nullptr, compiled), compiled);
    EXPECT_EQ(chooseMidiApis("", compiled), compiled);
    EXPECT_EQ(chooseMidiApis(" ,", compiled), compiled);
    EXPECT_EQ(chooseMidiApis("jack", compiled), Names{"jack"});
    EXPECT_EQ(chooseMidiApis("JACK, Alsa", compiled), compiled);
    EXPECT_EQ(chooseMidiApis("none", compiled), Names{});
    EXPECT_EQ(chooseMidiApis("winmm", compiled), Names{});
    // Only a name outside the build is a problem worth a word.
    EXPECT_EQ(midiApiSettingProblem("JACK, none", compiled), "");
    EXPECT_EQ(midiApiSettingProblem("alsa,bogus jak", compiled),
              "TESSALINE_MIDI_API names a MIDI system this program does not know: bogus, jak "
              "(known: alsa, jack, none)");
}

TEST(RtMidiBackends, RecognisesPortsOfOurOwnClient) {
    EXPECT_TRUE(isPortOfClient("Tessaline:MIDI In", "Tessaline"));
    EXPECT_TRUE(isPortOfClient("Tessaline-01:MIDI Out", "Tessaline"));
    EXPECT_TRUE(isPortOfClient("Tessaline:MIDI Out 129:0", "Tessaline"));
    EXPECT_FALSE(isPortOfClient("Tessaline-x:MIDI Out", "Tessaline"));
    EXPECT_FALSE(isPortOfClient("Tessaline-:MIDI Out", "Tessaline"));
    EXPECT_FALSE(isPortOfClient("Motif ES7 (virtual):Motif ES7 (virtual) MIDI In", "Tessaline"));
    EXPECT_FALSE(isPortOfClient("Tessaline monitor:x", "Tessaline"));
    EXPECT_FALSE(isPortOfClient("Midi Through Port-0 14:0", "Tessaline"));
    EXPECT_FALSE(isPortOfClient("My Tessaline:MIDI In", "Tessaline"));
}

TEST(RtMidiBackends, AnEnvironmentWithoutApisGivesNoDevicesAndNoFailure) {
    // Only APIs this build knows are started; an unknown name starts nothing.
    auto service = std::make_unique<RtMidiService>(rtMidiBackendStarters({"no-such-api"}));
    EXPECT_TRUE(service->apiNames().empty());
    EXPECT_EQ(service->inGetNumDevs(), 0u);
    EXPECT_EQ(service->outGetNumDevs(), 0u);
    MidiOutHandle out = MidiOutHandle::None;
    EXPECT_EQ(service->outOpen(&out, 0), midiresult::BadDeviceId);
}

}  // namespace
}  // namespace tessaline::test
