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

TEST(AlsaEventEncoder, EveryShortMessageComesBackAsItWent) {
    const std::vector<Bytes> messages = {{0x93, 0x3C, 0x64},
                                         {0x80, 0x3C, 0x00},
                                         {0xA5, 0x10, 0x7F},
                                         {0xBF, 0x07, 0x7F},
                                         {0xC1, 0x05},
                                         {0xDE, 0x33},
                                         {0xE2, 0x00, 0x40},
                                         {0xE0, 0x00, 0x00},
                                         {0xE0, 0x7F, 0x7F},
                                         {0xF1, 0x25},
                                         {0xF2, 0x7F, 0x7F},
                                         {0xF3, 0x09},
                                         {0xF6},
                                         {0xF8},
                                         {0xFA},
                                         {0xFF}};
    for (const Bytes& message : messages) {
        snd_seq_event_t event{};
        ASSERT_TRUE(encodeSequencerEvent(message.data(), message.size(), event));
        const DecodedEvent decoded = decodeSequencerEvent(event);
        EXPECT_EQ(Bytes(decoded.bytes().begin(), decoded.bytes().end()), message);
    }
}

TEST(AlsaEventEncoder, BytesThatAreNoMessageAreRefused) {
    const std::vector<Bytes> refused = {{},                  // nothing
                                        {0x40, 0xF0, 0x01},  // a message that begins inside a piece
                                        {0x90, 0x3C},        // a data byte short
                                        {0xC0, 0x01, 0x02},  // a data byte too many
                                        {0x90, 0x3C, 0x80},  // a status byte where data belongs
                                        {0xF0, 0x43, 0x90, 0xF7},  // ... or inside System Exclusive
                                        {0xF0, 0x43, 0xF7, 0xF7},  // a message that ends twice
                                        {0xF4},                    // no message of its own
                                        {0xF7}};
    for (const Bytes& bytes : refused) {
        snd_seq_event_t event{};
        event.type = SND_SEQ_EVENT_NONE;
        EXPECT_FALSE(encodeSequencerEvent(bytes.data(), bytes.size(), event));
        EXPECT_EQ(event.type, SND_SEQ_EVENT_NONE);
    }
}

TEST(AlsaEventEncoder, SystemExclusivePointsAtTheCallersBytes) {
    const Bytes message = {0xF0, 0x43, 0x10, 0x6A, 0x31, 0x00, 0x00, 0x01, 0xF7};
    snd_seq_event_t event{};
    ASSERT_TRUE(encodeSequencerEvent(message.data(), message.size(), event));
    const DecodedEvent decoded = decodeSequencerEvent(event);
    EXPECT_TRUE(decoded.isSysExChunk());
    EXPECT_EQ(decoded.bytes().data(), message.data());
    EXPECT_EQ(decoded.bytes().size(), message.size());
}

}  // namespace
}  // namespace tessaline::test

#endif
