#include "platform/rtmidi/AlsaEventDecoder.h"

#include <algorithm>

#include "platform/ShortMessage.h"

namespace tessaline {

namespace {

// Which fields of the event give the data bytes after the status.
enum class Data {
    None,
    NoteVelocity,  // note.note, note.velocity
    ParamValue,    // control.param, control.value
    Value,         // control.value
    Bend,          // control.value, -8192..8191 around the centre, as LSB and MSB
    Position,      // control.value, 0..16383, as LSB and MSB
};

struct Mapping {
    snd_seq_event_type_t type;
    unsigned char status;
    bool perChannel;
    Data data;
};

constexpr Mapping kMappings[] = {
    {SND_SEQ_EVENT_NOTEOFF, 0x80, true, Data::NoteVelocity},
    {SND_SEQ_EVENT_NOTEON, 0x90, true, Data::NoteVelocity},
    {SND_SEQ_EVENT_KEYPRESS, 0xA0, true, Data::NoteVelocity},
    {SND_SEQ_EVENT_CONTROLLER, 0xB0, true, Data::ParamValue},
    {SND_SEQ_EVENT_PGMCHANGE, 0xC0, true, Data::Value},
    {SND_SEQ_EVENT_CHANPRESS, 0xD0, true, Data::Value},
    {SND_SEQ_EVENT_PITCHBEND, 0xE0, true, Data::Bend},
    {SND_SEQ_EVENT_QFRAME, 0xF1, false, Data::Value},
    {SND_SEQ_EVENT_SONGPOS, 0xF2, false, Data::Position},
    {SND_SEQ_EVENT_SONGSEL, 0xF3, false, Data::Value},
    {SND_SEQ_EVENT_TUNE_REQUEST, 0xF6, false, Data::None},
    {SND_SEQ_EVENT_CLOCK, 0xF8, false, Data::None},
    {SND_SEQ_EVENT_TICK, 0xF9, false, Data::None},
    {SND_SEQ_EVENT_START, 0xFA, false, Data::None},
    {SND_SEQ_EVENT_CONTINUE, 0xFB, false, Data::None},
    {SND_SEQ_EVENT_STOP, 0xFC, false, Data::None},
    {SND_SEQ_EVENT_SENSING, 0xFE, false, Data::None},
    {SND_SEQ_EVENT_RESET, 0xFF, false, Data::None},
};

unsigned char low7(unsigned value) {
    return static_cast<unsigned char>(value & 0x7F);
}

unsigned char low7(int value) {
    return low7(static_cast<unsigned>(value));
}

bool isSysExChunk(const unsigned char* data, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        const bool first = i == 0 && data[i] == 0xF0;
        const bool last = i + 1 == length && data[i] == 0xF7;
        if (data[i] >= 0x80 && !first && !last) {
            return false;
        }
    }
    return true;
}

}  // namespace

DecodedEvent decodeSequencerEvent(const snd_seq_event_t& event) {
    if (event.type == SND_SEQ_EVENT_SYSEX) {
        // Only data the library read in with the event; a fixed-size event has none to point to.
        if (!snd_seq_ev_is_variable(&event) || event.data.ext.ptr == nullptr) {
            return {};
        }
        return DecodedEvent::sysExChunk(
            {static_cast<const unsigned char*>(event.data.ext.ptr), event.data.ext.len});
    }
    const auto* mapping = std::find_if(std::begin(kMappings), std::end(kMappings),
                                       [&](const Mapping& m) { return m.type == event.type; });
    if (mapping == std::end(kMappings)) {
        return {};
    }
    const unsigned char status =
        mapping->perChannel
            ? static_cast<unsigned char>(mapping->status | (event.data.note.channel & 0x0F))
            : mapping->status;
    const snd_seq_ev_note_t& note = event.data.note;
    const snd_seq_ev_ctrl_t& control = event.data.control;
    switch (mapping->data) {
        case Data::None:
            return DecodedEvent::shortMessage({status}, 1);
        case Data::NoteVelocity:
            return DecodedEvent::shortMessage({status, low7(note.note), low7(note.velocity)}, 3);
        case Data::ParamValue:
            return DecodedEvent::shortMessage({status, low7(control.param), low7(control.value)},
                                              3);
        case Data::Value:
            return DecodedEvent::shortMessage({status, low7(control.value)}, 2);
        case Data::Bend:
        case Data::Position: {
            const int offset = mapping->data == Data::Bend ? 8192 : 0;
            const int value = std::clamp(control.value, -offset, 16383 - offset) + offset;
            return DecodedEvent::shortMessage({status, low7(value), low7(value >> 7)}, 3);
        }
    }
    return {};
}

bool encodeSequencerEvent(const unsigned char* data, std::size_t length, snd_seq_event_t& event) {
    if (data == nullptr || length == 0) {
        return false;
    }
    const unsigned char status = data[0];
    if (status < 0x80 || status == 0xF0) {
        if (!isSysExChunk(data, length)) {
            return false;
        }
        snd_seq_ev_clear(&event);
        // The library only reads through the pointer when it writes the event out.
        snd_seq_ev_set_sysex(&event, static_cast<unsigned>(length),
                             const_cast<unsigned char*>(data));
        return true;
    }
    if (shortMessageLength(status) != length ||
        std::any_of(data + 1, data + length, [](unsigned char byte) { return byte >= 0x80; })) {
        return false;
    }
    const unsigned char kind = status < 0xF0 ? static_cast<unsigned char>(status & 0xF0) : status;
    const auto* mapping = std::find_if(std::begin(kMappings), std::end(kMappings),
                                       [&](const Mapping& m) { return m.status == kind; });
    if (mapping == std::end(kMappings)) {
        return false;
    }
    snd_seq_ev_clear(&event);
    event.type = mapping->type;
    const auto channel = static_cast<unsigned char>(mapping->perChannel ? status & 0x0F : 0);
    const int wide = length == 3 ? (data[1] | data[2] << 7) : 0;
    switch (mapping->data) {
        case Data::None:
            break;
        case Data::NoteVelocity:
            event.data.note.channel = channel;
            event.data.note.note = data[1];
            event.data.note.velocity = data[2];
            break;
        case Data::ParamValue:
            event.data.control.channel = channel;
            event.data.control.param = data[1];
            event.data.control.value = data[2];
            break;
        case Data::Value:
            event.data.control.channel = channel;
            event.data.control.value = data[1];
            break;
        case Data::Bend:
            event.data.control.channel = channel;
            event.data.control.value = wide - 8192;
            break;
        case Data::Position:
            event.data.control.value = wide;
            break;
    }
    return true;
}

}  // namespace tessaline
