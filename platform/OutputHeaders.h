#pragma once

#include "platform/MidiService.h"

namespace tessaline {

// What a service that sends from the caller's bytes within the call does with an output
// header: preparing only checks and marks it, and a long send marks it in use, then done,
// whatever became of the send (the caller's bytes are free again either way).

inline bool isUsableOutputHeader(const MidiHeader* header) {
    return header != nullptr && header->data != nullptr && header->bufferLength != 0;
}

inline MidiResult prepareOutputHeader(MidiHeader* header) {
    if (!isUsableOutputHeader(header)) {
        return midiresult::InvalidParam;
    }
    header->flags |= MHDR_PREPARED;
    return midiresult::Ok;
}

inline MidiResult unprepareOutputHeader(MidiHeader* header) {
    if (header == nullptr) {
        return midiresult::InvalidParam;
    }
    header->flags &= ~MHDR_PREPARED;
    return midiresult::Ok;
}

// send(const unsigned char* data, std::size_t length) -> MidiResult.
template <typename Send>
MidiResult sendFromOutputHeader(MidiHeader* header, Send&& send) {
    if (!isUsableOutputHeader(header)) {
        return midiresult::InvalidParam;
    }
    if ((header->flags & MHDR_PREPARED) == 0) {
        return midiresult::Unprepared;
    }
    header->flags &= ~MHDR_DONE;
    const MidiResult result = send(header->data, std::size_t{header->bufferLength});
    header->flags |= MHDR_DONE;
    return result;
}

}  // namespace tessaline
