#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/MidiService.h"

namespace tessaline {

// What an input hands its sink where the input had a gap (the system dropped what we did not
// take in time): a status byte with no message of its own, which ends any message under way so
// that it never reaches anyone whole-looking.
inline constexpr unsigned char kInputGapMark = 0xF4;

// Where a backend puts the raw bytes it receives. Called on the backend's own thread, which
// may be a real-time one: the receiver neither blocks nor allocates.
class InputSink {
  public:
    virtual void receive(const unsigned char* data, std::size_t length) noexcept = 0;
    // The input can receive no more, for `reason` (the MIDI server stopped).
    virtual void lost(MidiResult reason) noexcept { (void)reason; }

  protected:
    ~InputSink() = default;
};

// An open input port of a backend. Destroying it closes the port; once the destructor has
// returned the sink is called no more.
class BackendInput {
  public:
    virtual ~BackendInput() = default;
};

// An open output port of a backend.
class BackendOutput {
  public:
    virtual ~BackendOutput() = default;
    // Sends one whole message; Ok, or the reason it was not sent (DeviceGone when the device
    // or its server went away).
    virtual MidiResult send(const unsigned char* data, std::size_t length) = 0;
};

// One MIDI system (ALSA, JACK, ...) as the service uses it: its current port lists, and
// opening a port by the name it has in them. Calls come from several threads, one at a time
// per open port; a backend serialises what it shares between them.
class MidiBackend {
  public:
    virtual ~MidiBackend() = default;
    virtual std::string apiName() const = 0;
    virtual std::vector<std::string> inputNames() = 0;
    virtual std::vector<std::string> outputNames() = 0;
    virtual MidiResult openInput(const std::string& name, InputSink& sink,
                                 std::unique_ptr<BackendInput>& input) = 0;
    virtual MidiResult openOutput(const std::string& name,
                                  std::unique_ptr<BackendOutput>& output) = 0;
};

}  // namespace tessaline
