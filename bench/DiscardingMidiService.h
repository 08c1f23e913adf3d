#pragma once

#include <cstddef>
#include <string>

#include "platform/MidiService.h"

namespace tessaline::bench {

// A MIDI service with one output that accepts everything and keeps only a byte count, so that
// a benchmark measures our own work and nothing of a transport.
class DiscardingMidiService final : public MidiService {
  public:
    std::size_t bytesSent = 0;
    std::size_t messagesSent = 0;

    unsigned inGetNumDevs() override { return 0; }
    MidiResult inGetDevName(unsigned, std::string&) override { return midiresult::BadDeviceId; }
    MidiResult inOpen(MidiInHandle*, int, MidiInCallback, std::uintptr_t) override {
        return midiresult::BadDeviceId;
    }
    MidiResult inPrepareHeader(MidiInHandle, MidiHeader*) override { return midiresult::Ok; }
    MidiResult inAddBuffer(MidiInHandle, MidiHeader*) override { return midiresult::Ok; }
    MidiResult inStart(MidiInHandle) override { return midiresult::Ok; }
    MidiResult inStop(MidiInHandle) override { return midiresult::Ok; }
    MidiResult inReset(MidiInHandle) override { return midiresult::Ok; }
    MidiResult inUnprepareHeader(MidiInHandle, MidiHeader*) override { return midiresult::Ok; }
    MidiResult inClose(MidiInHandle) override { return midiresult::Ok; }

    unsigned outGetNumDevs() override { return 1; }
    MidiResult outGetDevName(unsigned, std::string& name) override {
        name = "Discard";
        return midiresult::Ok;
    }
    MidiResult outOpen(MidiOutHandle* handle, int) override {
        *handle = static_cast<MidiOutHandle>(1);
        return midiresult::Ok;
    }
    MidiResult outShortMsg(MidiOutHandle, std::uint32_t) override {
        bytesSent += 3;
        ++messagesSent;
        return midiresult::Ok;
    }
    MidiResult outPrepareHeader(MidiOutHandle, MidiHeader*) override { return midiresult::Ok; }
    MidiResult outLongMsg(MidiOutHandle, MidiHeader* header) override {
        bytesSent += header->bufferLength;
        ++messagesSent;
        return midiresult::Ok;
    }
    MidiResult outUnprepareHeader(MidiOutHandle, MidiHeader*) override { return midiresult::Ok; }
    MidiResult outClose(MidiOutHandle) override { return midiresult::Ok; }
};

}  // namespace tessaline::bench
