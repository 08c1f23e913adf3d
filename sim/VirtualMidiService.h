#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/DeliveredInputs.h"
#include "platform/HandleTable.h"
#include "platform/InputDelivery.h"
#include "platform/MidiService.h"
#include "sim/InstrumentWorker.h"
#include "sim/InterruptibleClock.h"
#include "sim/VirtualInstrument.h"
#include "sim/WirePacer.h"

namespace tessaline {

// A MIDI service whose devices are virtual instruments, one per family: input device k and
// output device k are the two ends of instrument k's cable. What is sent to output k reaches
// instrument k on its own thread; its replies reach every open input k through that input's
// delivery thread, the service's callback thread.
// Short messages follow the same rule as on a real output (platform/ShortMessage.h).
class VirtualMidiService final : public MidiService {
  public:
    static constexpr int kDeviceCount = 4;

    // With wirePacing, every message takes its time on a 31250-baud cable in both directions.
    // Waits go through `clock` when given (tests), otherwise through a real clock that the
    // destructor interrupts.
    explicit VirtualMidiService(bool wirePacing = false, std::uint64_t seed = 1,
                                Clock* clock = nullptr);
    ~VirtualMidiService() override;
    VirtualMidiService(const VirtualMidiService&) = delete;
    VirtualMidiService& operator=(const VirtualMidiService&) = delete;

    // The instrument behind device k (0..3), null for any other k.
    VirtualInstrument* instrument(int k);
    // "Virtual Motif ES7 (simulated)", ...; empty for any other k.
    static std::string deviceName(int k);
    bool wirePacing() const { return pacing_; }

    // Waits until every instrument has handled what it was sent and every reply has gone
    // through the input callbacks; false on time-out.
    bool waitIdle(int timeoutMs = 2000);

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
    bool outIsVirtual(unsigned device) override { return device < listedCount(); }

    // Devices that come and go: an absent instrument leaves both lists, and those after it
    // move up one number; present again, it takes its place once more. Ports open on it stay
    // open, as ports do on an interface that was unplugged.
    void setPresent(int k, bool present);

  private:
    // The instrument listed as device `number`; -1 when there is none.
    int instrumentAt(long long number) const;
    unsigned listedCount() const;

    struct OpenInput {
        OpenInput(int k, MidiInHandle handle, MidiInCallback callback, std::uintptr_t instance)
            : device(k), delivery(handle, callback, instance) {}
        int device;
        InputDelivery delivery;
    };
    struct OpenOutput {
        int device;
        std::mutex mutex;  // for the pacer: one output may be used by several threads
        WirePacer pacer;
    };

    // Takes a message to instrument `device` after its wire time; the caller holds no lock.
    void sendToInstrument(int device, int wireMs, std::vector<unsigned char> message);
    // Replies of instrument `device` to every open input of that device.
    void deliverReply(int device, const std::vector<unsigned char>& reply);
    // The wire time of `bytes` more on an open output.
    int wireTime(OpenOutput& output, std::size_t bytes);

    const bool pacing_;
    InterruptibleClock ownClock_;
    Clock* clock_;
    std::array<std::unique_ptr<VirtualInstrument>, kDeviceCount> instruments_;
    std::array<std::unique_ptr<InstrumentWorker>, kDeviceCount> workers_;

    DeliveredInputs<OpenInput> inputs_;
    HandleTable<MidiOutHandle, OpenOutput> outputs_;
    std::array<std::atomic<bool>, kDeviceCount> present_{true, true, true, true};
};

}  // namespace tessaline
