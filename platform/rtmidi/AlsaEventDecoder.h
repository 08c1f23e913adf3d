#pragma once

#include <alsa/asoundlib.h>

#include <array>
#include <cstddef>
#include <span>

namespace tessaline {

// The MIDI bytes one ALSA sequencer event stands for. A System Exclusive event is one chunk of a
// message as the sequencer cut it (F0 only in the first, F7 only in the last); its bytes are the
// event's own data, valid as long as the event is. Other MIDI events become one short message.
class DecodedEvent {
  public:
    static DecodedEvent shortMessage(std::array<unsigned char, 3> bytes, std::size_t length) {
        DecodedEvent event;
        event.short_ = bytes;
        event.shortLength_ = length;
        return event;
    }
    static DecodedEvent sysExChunk(std::span<const unsigned char> chunk) {
        DecodedEvent event;
        event.chunk_ = chunk;
        return event;
    }

    std::span<const unsigned char> bytes() const {
        return chunk_.empty() ? std::span<const unsigned char>(short_.data(), shortLength_)
                              : chunk_;
    }
    bool isSysExChunk() const { return !chunk_.empty(); }
    bool empty() const { return bytes().empty(); }

  private:
    std::array<unsigned char, 3> short_{};
    std::size_t shortLength_ = 0;
    std::span<const unsigned char> chunk_;
};

// Nothing for events that carry no MIDI message (connection notices, queue control, the
// sequencer's compound 14-bit controller and parameter events, which only software sends).
// Every field is taken to its MIDI range first: another client may fill an event with anything.
DecodedEvent decodeSequencerEvent(const snd_seq_event_t& event);

// The event for one whole MIDI message: a short message, or a System Exclusive message or chunk
// of one (data bytes, with F0 only first and F7 only last), which the event points to. False,
// with the event untouched, for bytes that are no such message: a status byte with the wrong
// number of data bytes, a status byte among the data, one with no event of its own.
bool encodeSequencerEvent(const unsigned char* data, std::size_t length, snd_seq_event_t& event);

}  // namespace tessaline
