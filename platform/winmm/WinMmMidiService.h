#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/DeliveredInputs.h"
#include "platform/HandleTable.h"
#include "platform/MidiService.h"

namespace tessaline {

class WinMmApi;
class WinMmInput;
class WinMmOutput;

struct WinMmServiceOptions {
    // A long send may take this long besides the time its bytes need on a cable (320 us each),
    // so that a long message at cable speed never times out.
    int sendTimeoutMs = 2000;
    // After a send overran its bound: how long WinMM gets to hand its buffer back once told to
    // reset the output.
    int withdrawTimeoutMs = 500;
    // How long a reset or close waits for WinMM to hand the input buffers back.
    int closeTimeoutMs = 3000;
    // Input buffers of kInputBufferBytes each that every open input keeps queued with WinMM.
    unsigned inputBuffers = 4;
    std::size_t maxSysExLength = std::size_t{1} << 20;
    // Stand-ins for tests; each must outlive the service. Null: the system's WinMM and clock.
    WinMmApi* api = nullptr;
    Clock* clock = nullptr;
};

// The MIDI service over the system's WinMM devices, inputs and outputs opened with a callback
// function. Device numbers are WinMM's own.
//
// Input: the driver's callback only notes which of our buffers came back and wakes the input's
// worker thread, which joins the bytes into System Exclusive messages (up to maxSysExLength),
// hands each to the port's buffer delivery (platform/InputDelivery.h) and queues the buffer
// with WinMM again. Output: a long send returns once WinMM has handed the buffer back, within
// its bound. A send reported TimedOut never goes out later; one that may still go out is
// StillPlaying, and the port answers NotReady until WinMM has handed that buffer back.
class WinMmMidiService final : public MidiService {
  public:
    explicit WinMmMidiService(WinMmServiceOptions options = {});
    ~WinMmMidiService() override;
    WinMmMidiService(const WinMmMidiService&) = delete;
    WinMmMidiService& operator=(const WinMmMidiService&) = delete;

    unsigned inGetNumDevs() override;
    MidiResult inGetDevName(unsigned device, std::string& name) override;
    MidiResult inOpen(MidiInHandle* handle, int device, MidiInCallback callback,
                      std::uintptr_t instance) override;
    MidiResult inPrepareHeader(MidiInHandle handle, MidiHeader* header) override;
    MidiResult inAddBuffer(MidiInHandle handle, MidiHeader* header) override;
    MidiResult inStart(MidiInHandle handle) override;
    MidiResult inStop(MidiInHandle handle) override;
    MidiResult inReset(MidiInHandle handle) override;
    MidiResult inUnprepareHeader(MidiInHandle handle, MidiHeader* header) override;
    MidiResult inClose(MidiInHandle handle) override;
    std::string inGetErrorText(MidiResult code) override;

    unsigned outGetNumDevs() override;
    MidiResult outGetDevName(unsigned device, std::string& name) override;
    MidiResult outOpen(MidiOutHandle* handle, int device) override;
    MidiResult outShortMsg(MidiOutHandle handle, std::uint32_t message) override;
    MidiResult outPrepareHeader(MidiOutHandle handle, MidiHeader* header) override;
    MidiResult outLongMsg(MidiOutHandle handle, MidiHeader* header) override;
    MidiResult outUnprepareHeader(MidiOutHandle handle, MidiHeader* header) override;
    MidiResult outClose(MidiOutHandle handle) override;
    std::string outGetErrorText(MidiResult code) override;

  private:
    MidiResult closeInput(const std::shared_ptr<WinMmInput>& input);
    MidiResult closeOutput(const std::shared_ptr<WinMmOutput>& output);

    WinMmServiceOptions options_;
    std::unique_ptr<WinMmApi> ownApi_;
    std::unique_ptr<Clock> ownClock_;
    WinMmApi& api_;
    Clock& clock_;
    DeliveredInputs<WinMmInput> inputs_;
    HandleTable<MidiOutHandle, WinMmOutput> outputs_;
};

std::unique_ptr<MidiService> makeWinMmMidiService(WinMmServiceOptions options = {});

}  // namespace tessaline
