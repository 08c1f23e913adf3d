#pragma once

#include <mutex>
#include <ostream>

#include "platform/ForwardingMidiService.h"
#include "platform/HandleTable.h"
#include "platform/InputRelay.h"

namespace tessaline::cli {

// Passes every call to the real service and writes each message that goes out ("> F0 ...")
// and each buffer that comes in ("< F0 ...") to the stream, one message a line.
class TracingMidiService final : public ForwardingMidiService {
  public:
    TracingMidiService(MidiService& inner, std::ostream& out, std::mutex& outLock);

    static std::string hexLine(const unsigned char* data, std::size_t length);

    MidiResult inOpen(MidiInHandle* handle, int device, MidiInCallback callback,
                      std::uintptr_t instance) override;
    MidiResult inClose(MidiInHandle h) override;
    MidiResult outShortMsg(MidiOutHandle h, std::uint32_t message) override;
    MidiResult outLongMsg(MidiOutHandle h, MidiHeader* header) override;

  private:
    void writeLine(const char* prefix, const unsigned char* data, std::size_t length);

    std::ostream& out_;
    std::mutex& outLock_;
    // Under the inner service's handles; each relay lives until its input is closed.
    HandleTable<MidiInHandle, InputRelay> inputs_;
};

}  // namespace tessaline::cli
