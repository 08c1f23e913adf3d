#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/HandleTable.h"
#include "platform/InputRelay.h"
#include "platform/MidiService.h"

namespace tessaline {

// One device list made of two services: the devices of the first come before those of the
// second, so device number = index in the combined list. Every call goes to the service that
// owns the device or handle; handles are our own, so the two services may hand out the same
// values without clashing, and input callbacks see our handle, not the inner one.
class ChainedMidiService final : public MidiService {
  public:
    ChainedMidiService(std::unique_ptr<MidiService> first, std::unique_ptr<MidiService> second);
    ~ChainedMidiService() override;
    ChainedMidiService(const ChainedMidiService&) = delete;
    ChainedMidiService& operator=(const ChainedMidiService&) = delete;

    MidiService& first() { return *services_[0]; }
    MidiService& second() { return *services_[1]; }

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
    bool outIsVirtual(unsigned device) override;
    DeviceListing listDevices() override;
    bool setDeviceChangeHandler(std::function<void()> handler) override;

  private:
    struct OpenOutput {
        MidiService* service = nullptr;
        MidiOutHandle inner = MidiOutHandle::None;
    };

    // The service that owns `device`, with the number it has there; null when beyond both.
    MidiService* routeInput(int device, int& local);
    MidiService* routeOutput(int device, int& local);
    // Passes a call on to the inner input or output; InvalidHandle when not open.
    template <typename Call>
    MidiResult onInput(MidiInHandle handle, Call&& call);
    template <typename Call>
    MidiResult onOutput(MidiOutHandle handle, Call&& call);

    std::unique_ptr<MidiService> services_[2];
    // Each input's relay lives until its inner input is closed.
    HandleTable<MidiInHandle, InputRelay> inputs_;
    HandleTable<MidiOutHandle, OpenOutput> outputs_;
};

}  // namespace tessaline
