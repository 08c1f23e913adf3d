#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/MidiService.h"
#include "platform/rtmidi/PendingSend.h"

namespace tessaline {

// The longest a backend's send waits for room in a full queue before it gives up by itself.
inline constexpr int kSendRoomWaitMs = 1000;

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
    // or its server went away). Takes `pending` right before handing the message on, and hands
    // on nothing once it has been withdrawn: a wait for room ends early then, with TimedOut.
    virtual MidiResult send(const unsigned char* data, std::size_t length,
                            PendingSend& pending) = 0;
    // How long send() may wait by itself (for room in a full queue) before it gives up.
    virtual int longestWaitMs() const { return 0; }
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
    // Both lists from one look, each port with its life (see ListedDevice). The default asks
    // for the two lists in turn and knows no lives.
    virtual DeviceListing listPorts() {
        DeviceListing listing;
        for (std::string& name : inputNames()) {
            listing.inputs.push_back(ListedDevice{std::move(name), 0});
        }
        for (std::string& name : outputNames()) {
            listing.outputs.push_back(ListedDevice{std::move(name), 0});
        }
        return listing;
    }
    // Calls `changed`, on a thread of the backend's own, whenever the system announces ports
    // coming or going (or its server coming back); false when it announces nothing. `changed`
    // must not call back into the backend. An empty function stops the calls.
    virtual bool watchPorts(std::function<void()> changed) {
        (void)changed;
        return false;
    }
    virtual MidiResult openInput(const std::string& name, InputSink& sink,
                                 std::unique_ptr<BackendInput>& input) = 0;
    virtual MidiResult openOutput(const std::string& name,
                                  std::unique_ptr<BackendOutput>& output) = 0;
};

}  // namespace tessaline
