#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/DeliveredInputs.h"
#include "platform/HandleTable.h"
#include "platform/MidiDeadline.h"
#include "platform/MidiService.h"
#include "platform/rtmidi/MidiBackend.h"

namespace tessaline {

struct RtMidiServiceOptions {
    int openTimeoutMs = 5000;
    // A port's backend may wait longer by itself (for room in a full queue); its sends are
    // then waited for as long as it needs.
    int sendTimeoutMs = 2 * kSendRoomWaitMs;
    int closeTimeoutMs = 3000;
    // When set, nothing but a send waits past it: starting the MIDI systems, listing their
    // ports, opening and closing ports, and letting the systems go at the end. A call that has
    // not returned by then is left behind on a thread of its own (see EndpointWorker::stop):
    // a JACK server held up by a frozen client keeps a client's opening or closing waiting for
    // seconds.
    const MidiDeadline* deadline = nullptr;
    std::size_t inputQueueBytes = 1u << 16;  // raw input waiting for the pump, per input
};

// Starts one backend; may throw or return null when its MIDI system is not there.
using BackendStarter = std::function<std::shared_ptr<MidiBackend>()>;

// The MIDI service over the backends that started, in their order: the devices of each come
// after those of the ones before it, device number = index in that list.
//
// Input: the backend's thread only copies the bytes into a preallocated queue and wakes the
// input's own worker, which joins them into System Exclusive messages and hands each to the
// buffer delivery of the port (platform/InputDelivery.h), whose thread calls the callback.
// Output: every call into a backend runs on the port's worker under a time-out, so that a
// backend that hangs (a server that went away) costs a result code, not the program. A send
// reported TimedOut never goes out later; one that may still go out is StillPlaying. Either
// way the port answers NotReady until the late call has returned, then works again.
class RtMidiService final : public MidiService {
  public:
    explicit RtMidiService(const std::vector<BackendStarter>& starters,
                           RtMidiServiceOptions options = {});
    ~RtMidiService() override;
    RtMidiService(const RtMidiService&) = delete;
    RtMidiService& operator=(const RtMidiService&) = delete;

    // Names of the MIDI systems that started, in list order.
    std::vector<std::string> apiNames() const;

    // Counts and names come from the last listing (one is taken when there is none yet).
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

    unsigned outGetNumDevs() override;
    MidiResult outGetDevName(unsigned device, std::string& name) override;
    MidiResult outOpen(MidiOutHandle* handle, int device) override;
    MidiResult outShortMsg(MidiOutHandle handle, std::uint32_t message) override;
    MidiResult outPrepareHeader(MidiOutHandle handle, MidiHeader* header) override;
    MidiResult outLongMsg(MidiOutHandle handle, MidiHeader* header) override;
    MidiResult outUnprepareHeader(MidiOutHandle handle, MidiHeader* header) override;
    MidiResult outClose(MidiOutHandle handle) override;
    DeviceListing listDevices() override;
    // True when every MIDI system that started announces its changes.
    bool setDeviceChangeHandler(std::function<void()> handler) override;

    class InputPort;
    class OutputPort;

  private:
    struct Device {
        std::shared_ptr<MidiBackend> backend;
        std::string name;
    };

    // Runs job on the caller's thread; under a deadline, on a thread of its own that is waited
    // for no longer than the deadline and longestMs allow. True when the job has finished.
    bool withinDeadline(std::function<void()> job, int longestMs) const;
    // longestMs, or less when the deadline comes sooner (1 once it has passed).
    int waitMs(int longestMs) const;
    int closeTimeoutMs() const { return waitMs(options_.closeTimeoutMs); }
    // The last listing's devices of one kind, taking a listing when there has been none.
    std::vector<Device> listedDevices(bool inputs);
    bool findDevice(bool inputs, int device, Device& found);
    MidiResult closeInput(const std::shared_ptr<InputPort>& port);
    MidiResult closeOutput(const std::shared_ptr<OutputPort>& port);
    MidiResult send(const std::shared_ptr<OutputPort>& port, std::vector<unsigned char> bytes);

    RtMidiServiceOptions options_;
    std::vector<std::shared_ptr<MidiBackend>> backends_;
    mutable std::mutex mutex_;  // for the device lists
    bool listed_ = false;       // a listing has been taken
    std::vector<Device> inputList_;
    std::vector<Device> outputList_;
    DeliveredInputs<InputPort> inputs_;
    HandleTable<MidiOutHandle, OutputPort> outputs_;
};

}  // namespace tessaline
