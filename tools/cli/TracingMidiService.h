#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <ostream>

#include "platform/MidiService.h"

namespace tessaline::cli {

// Passes every call to the real service and writes each message that goes out ("> F0 ...")
// and each buffer that comes in ("< F0 ...") to the stream, one message a line.
class TracingMidiService final : public MidiService {
  public:
    TracingMidiService(MidiService& inner, std::ostream& out, std::mutex& outLock);

    static std::string hexLine(const unsigned char* data, std::size_t length);

    unsigned inGetNumDevs() override { return inner_.inGetNumDevs(); }
    MidiResult inGetDevName(unsigned device, std::string& name) override {
        return inner_.inGetDevName(device, name);
    }
    MidiResult inOpen(MidiInHandle* handle, int device, MidiInCallback callback,
                      std::uintptr_t instance) override;
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
    MidiResult inClose(MidiInHandle h) override;
    std::string inGetErrorText(MidiResult code) override { return inner_.inGetErrorText(code); }

    unsigned outGetNumDevs() override { return inner_.outGetNumDevs(); }
    MidiResult outGetDevName(unsigned device, std::string& name) override {
        return inner_.outGetDevName(device, name);
    }
    MidiResult outOpen(MidiOutHandle* handle, int device) override {
        return inner_.outOpen(handle, device);
    }
    MidiResult outShortMsg(MidiOutHandle h, std::uint32_t message) override;
    MidiResult outPrepareHeader(MidiOutHandle h, MidiHeader* header) override {
        return inner_.outPrepareHeader(h, header);
    }
    MidiResult outLongMsg(MidiOutHandle h, MidiHeader* header) override;
    MidiResult outUnprepareHeader(MidiOutHandle h, MidiHeader* header) override {
        return inner_.outUnprepareHeader(h, header);
    }
    MidiResult outClose(MidiOutHandle h) override { return inner_.outClose(h); }
    std::string outGetErrorText(MidiResult code) override { return inner_.outGetErrorText(code); }

  private:
    struct OpenInput {
        TracingMidiService* self;
        MidiInCallback callback;
        std::uintptr_t instance;
    };
    static void traceCallback(MidiInHandle handle, unsigned message, std::uintptr_t instance,
                              std::uintptr_t param1, std::uintptr_t param2);
    void writeLine(const char* prefix, const unsigned char* data, std::size_t length);

    MidiService& inner_;
    std::ostream& out_;
    std::mutex& outLock_;
    std::mutex inputsLock_;
    std::map<std::uintptr_t, std::unique_ptr<OpenInput>> inputs_;
};

}  // namespace tessaline::cli
