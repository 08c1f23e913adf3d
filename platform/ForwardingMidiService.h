#pragma once

#include <utility>

#include "platform/MidiService.h"

namespace tessaline {

// Passes every call to another service; a decorator overrides only what it adds to.
class ForwardingMidiService : public MidiService {
  public:
    explicit ForwardingMidiService(MidiService& inner) : inner_(inner) {}

    unsigned inGetNumDevs() override { return inner_.inGetNumDevs(); }
    MidiResult inGetDevName(unsigned device, std::string& name) override {
        return inner_.inGetDevName(device, name);
    }
    MidiResult inOpen(MidiInHandle* handle, int device, MidiInCallback callback,
                      std::uintptr_t instance) override {
        return inner_.inOpen(handle, device, callback, instance);
    }
    MidiResult inPrepareHeader(MidiInHandle h, MidiHeader* header) override {
        return inner_.inPrepareHeader(h, header);
    }
    MidiResult inAddBuffer(MidiInHandle h, MidiHeader* header) override {
        return inner_.inAddBuffer(h, header);
    }
    MidiResult inStart(MidiInHandle h) override { return inner_.inStart(h); }
    MidiResult inStop(MidiInHandle h) override { return inner_.inStop(h); }
    MidiResult inReset(MidiInHandle h) override { return inner_.inReset(h); }
    MidiResult inUnprepareHeader(MidiInHandle h, MidiHeader* header) override {
        return inner_.inUnprepareHeader(h, header);
    }
    MidiResult inClose(MidiInHandle h) override { return inner_.inClose(h); }
    std::string inGetErrorText(MidiResult code) override { return inner_.inGetErrorText(code); }

    unsigned outGetNumDevs() override { return inner_.outGetNumDevs(); }
    MidiResult outGetDevName(unsigned device, std::string& name) override {
        return inner_.outGetDevName(device, name);
    }
    MidiResult outOpen(MidiOutHandle* handle, int device) override {
        return inner_.outOpen(handle, device);
    }
    MidiResult outShortMsg(MidiOutHandle h, std::uint32_t message) override {
        return inner_.outShortMsg(h, message);
    }
    MidiResult outPrepareHeader(MidiOutHandle h, MidiHeader* header) override {
        return inner_.outPrepareHeader(h, header);
    }
    MidiResult outLongMsg(MidiOutHandle h, MidiHeader* header) override {
        return inner_.outLongMsg(h, header);
    }
    MidiResult outUnprepareHeader(MidiOutHandle h, MidiHeader* header) override {
        return inner_.outUnprepareHeader(h, header);
    }
    MidiResult outClose(MidiOutHandle h) override { return inner_.outClose(h); }
    std::string outGetErrorText(MidiResult code) override { return inner_.outGetErrorText(code); }
    bool outIsVirtual(unsigned device) override { return inner_.outIsVirtual(device); }
    DeviceListing listDevices() override { return inner_.listDevices(); }
    bool setDeviceChangeHandler(std::function<void()> handler) override {
        return inner_.setDeviceChangeHandler(std::move(handler));
    }

  protected:
    MidiService& inner() { return inner_; }

  private:
    MidiService& inner_;
};

}  // namespace tessaline
