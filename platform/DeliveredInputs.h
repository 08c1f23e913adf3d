#pragma once

#include "platform/HandleTable.h"
#include "platform/InputDelivery.h"
#include "platform/MidiService.h"

namespace tessaline {

// The open inputs of a service whose every input delivers through an InputDelivery of its own
// (Input has a member `delivery`): their handles, and the buffer calls of the MidiService
// interface, which such a service passes on unchanged. InvalidHandle for an input not open.
template <typename Input>
class DeliveredInputs : public HandleTable<MidiInHandle, Input> {
  public:
    MidiResult prepare(MidiInHandle handle, MidiHeader* header) {
        return call(handle, [header](InputDelivery& input) { return input.prepare(header); });
    }
    MidiResult addBuffer(MidiInHandle handle, MidiHeader* header) {
        return call(handle, [header](InputDelivery& input) { return input.addBuffer(header); });
    }
    MidiResult start(MidiInHandle handle) {
        return call(handle, [](InputDelivery& input) { return input.start(); });
    }
    MidiResult stop(MidiInHandle handle) {
        return call(handle, [](InputDelivery& input) { return input.stop(); });
    }
    MidiResult reset(MidiInHandle handle) {
        return call(handle, [](InputDelivery& input) { return input.reset(); });
    }
    MidiResult unprepare(MidiInHandle handle, MidiHeader* header) {
        return call(handle, [header](InputDelivery& input) { return input.unprepare(header); });
    }

  private:
    template <typename Call>
    MidiResult call(MidiInHandle handle, Call&& buffers) {
        const auto input = this->find(handle);
        return input ? buffers(input->delivery) : midiresult::InvalidHandle;
    }
};

}  // namespace tessaline
