#if defined(TESSALINE_HAVE_ALSA)

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "platform/rtmidi/AlsaEventDecoder.h"

namespace tessaline::test {
namespace {

using Bytes = std::vector<unsigned char>;

snd_seq_event_t noteEvent(snd_seq_event_type_t type, unsigned channel, unsigned note,
                          unsigned velocity) {
    snd_seq_event_t event{};
    event.type = type;
    event.data.note.channel = static_cast<unsigned char>(channel);
    event.data.note.note = static_cast<unsigned char>(note);
    event.data.note.velocity = static_cast<unsigned char>(velocity);
    return event;
}

snd_seq_event_t controlEvent(snd_seq_event_type_t type, unsigned channel, unsigned param,
                             int value) {
    snd_seq_event_t event{};
    event.type = type;
    event.data.control.channel = static_cast<unsigned char>(channel);
    event.data.control.param = param;
    event.data.control.value = value;
    return event;
}

snd_seq_event_t sysExEvent(Bytes& chunk) {
    snd_seq_event_t event{};
    snd_seq_ev_set_sysex(&event, static_cast<unsigned>(chunk.size()), chunk.data());
    return event;
}

struct DecodeCase {
    const char* name;
    snd_seq_event_t event;
    Bytes bytes;
};

void PrintTo(const DecodeCase& row, std::ostream* os) {
    *os << row.name;
}

class AlsaEventDecoder : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(AlsaEventDecoder, EventsBecomeTheMidiMessageTheyStandFor) {
    const DecodedEvent decoded = decodeSequencerEvent(GetParam().event);
    EXPECT_FALSE(decoded.isSysExChunk());
    EXPECT_EQ(Bytes(decoded.bytes().begin(), decoded.bytes().end()), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    ShortMessages, AlsaEventDecoder,
    ::testing::Values(
        DecodeCase{"NoteOn", noteEvent(SND_SEQ_EVENT_NOTEON, 3, 60, 100), {0x93, 0x3C, 0x64}},
        DecodeCase{"NoteOff", noteEvent(SND_SEQ_EVENT_NOTEOFF, 0, 60, 0), {0x80, 0x3C, 0x00}},
        DecodeCase{
            "Controller", controlEvent(SND_SEQ_EVENT_CONTROLLER, 15, 7, 127), {0xBF, 0x07, 0x7F}},
        DecodeCase{"ProgramChange", controlEvent(SND_SEQ_EVENT_PGMCHANGE, 1, 0, 5), {0xC1, 0x05}},
        DecodeCase{
            "PitchBendCentre", controlEvent(SND_SEQ_EVENT_PITCHBEND, 2, 0, 0), {0xE2, 0x00, 0x40}},
        DecodeCase{"PitchBendLowest",
                   controlEvent(SND_SEQ_EVENT_PITCHBEND, 0, 0, -8192),
                   {0xE0, 0x00, 0x00}},
        DecodeCase{"Clock", controlEvent(SND_SEQ_EVENT_CLOCK, 0, 0, 0), {0xF8}},
        // Another client may put anything in the fields: never a status byte among the data,
        // never an overflow.
        DecodeCase{"FieldsOutOfRange",
                   noteEvent(SND_SEQ_EVENT_NOTEON, 0x1F, 0xC8, 0xFF),
                   {0x9F, 0x48, 0x7F}},
        DecodeCase{"PitchBendBeyondTheTop",
                   controlEvent(SND_SEQ_EVENT_PITCHBEND, 0, 0, INT_MAX),
                   {0xE0, 0x7F, 0x7F}},
        DecodeCase{"PitchBendBeyondTheBottom",
                   controlEvent(SND_SEQ_EVENT_PITCHBEND, 0, 0, INT_MIN),
                   {0xE0, 0x00, 0x00}},
        DecodeCase{"IgnoredType", controlEvent(SND_SEQ_EVENT_PORT_SUBSCRIBED, 0, 0, 0), {}},
        // A System Exclusive event that carries no data of its own.
        DecodeCase{"SysExWithoutData", controlEvent(SND_SEQ_EVENT_SYSEX, 0, 0, 0), {}}),
    [](const ::testing::TestParamInfo<DecodeCase>& row) { return row.param.name; });

TEST(AlsaSysExChunks, EachChunkIsHandedOnAsItStandsWithoutACopy) {
    // A message the sequencer cut into three events.
    std::vector<Bytes> chunks = {{0xF0, 0x43, 0x00, 0x7F}, {0x01, 0x02, 0x03}, {0x04, 0xF7}};
    for (Bytes& chunk : chunks) {
        const DecodedEvent decoded = decodeSequencerEvent(sysExEvent(chunk));
        EXPECT_TRUE(decoded.isSysExChunk());
        EXPECT_EQ(decoded.bytes().data(), chunk.data());
        EXPECT_EQ(decoded.bytes().size(), chunk.size());
    }
}

}  // namespace
}  // namespace tessaline::test

#endif
