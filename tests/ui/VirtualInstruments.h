#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/MidiService.h"

namespace tessaline::test {

// The virtual instruments behind their MIDI service, with what window tests look at. Kept
// apart from the window's headers so that a test file needs only this one from the simulator.
class VirtualInstruments {
  public:
    VirtualInstruments();
    ~VirtualInstruments();

    MidiService& service();
    // Every message handled and every reply delivered; false on time-out.
    bool waitIdle(int timeoutMs = 5000);

    void setSilent(int device, bool silent);
    // Unplugs an instrument (false) or plugs it in again: see VirtualMidiService::setPresent.
    void setPresent(int device, bool present);
    // The next `times` parameter changes to `address` never reach the memory; every one while
    // times < 0.
    void dropParameterChangesTo(int device, unsigned address, int times);
    int receivedCount(int device) const;
    int mode(int device) const;
    // A block of the instrument's addressable memory; empty when there is none.
    std::vector<unsigned char> block(int device, unsigned base) const;
    // The ten-character name of a stored voice or USER performance.
    std::string voiceName(int device, int bankIndex, int program) const;
    std::string performanceName(int device, int program) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tessaline::test
