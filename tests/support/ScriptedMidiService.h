#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/DeliveredInputs.h"
#include "platform/HandleTable.h"
#include "platform/InputDelivery.h"
#include "platform/MidiService.h"

namespace tessaline::test {

// A MIDI service for tests: lists the devices it is given, records every call and every byte
// sent, delivers injected input on its own callback thread with the buffer rules of a real
// input, and makes any call fail with a chosen result code.
class ScriptedMidiService : public MidiService {
  public:
    ScriptedMidiService(std::vector<std::string> inputs = {"Test In"},
                        std::vector<std::string> outputs = {"Test Out"});
    ~ScriptedMidiService() override;

    // Every call's name with its device or handle, in order: "outOpen 0", "inStart", ...
    std::vector<std::string> calls() const;
    // Bytes of every message sent, short messages with their 2 or 3 bytes.
    std::vector<std::vector<unsigned char>> sent() const;
    std::vector<std::vector<unsigned char>> sentLong() const;
    void clearRecords();

    // The next `times` calls of this name (or every call with times < 0) return `code`.
    void failCall(const std::string& name, MidiResult code, int times = 1);
    // Runs on the sending thread after each successful long send; may inject a reply.
    void onLongSent(std::function<void(const std::vector<unsigned char>&)> handler);

    // Delivers bytes to the open input (through its callback thread). False when dropped.
    bool inject(const std::vector<unsigned char>& bytes);
    // Reports an input failure as the service's delivery thread would (MIM_ERROR).
    void injectError(MidiResult code);
    // Waits until injected input has been delivered.
    bool waitDelivered(int timeoutMs = 2000);
    bool inputOpen() const;
    std::size_t queuedInputBuffers() const;

    void setDevices(std::vector<std::string> inputs, std::vector<std::string> outputs);
    // The lives a listing gives the devices, in list order (0 for the rest).
    void setLives(std::vector<std::uint64_t> inputs, std::vector<std::uint64_t> outputs);
    DeviceListing listDevices() override;
    // Outputs stand for built-in virtual instruments (real devices unless said).
    void setOutputsVirtual(bool isVirtual) { outputsVirtual_ = isVirtual; }

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
    bool outIsVirtual(unsigned device) override {
        return outputsVirtual_ && device < outGetNumDevs();
    }

  private:
    // Records the call and returns the injected failure for it, if any.
    MidiResult record(const std::string& name, const std::string& detail = {});
    struct OpenInput {
        OpenInput(MidiInHandle handle, MidiInCallback callback, std::uintptr_t instance)
            : delivery(handle, callback, instance) {}
        InputDelivery delivery;
    };
    struct OpenOutput {
        int device;
    };
    // The first input still open, or null.
    std::shared_ptr<OpenInput> firstInput() const;

    mutable std::mutex mutex_;
    std::vector<std::string> inputs_;
    std::vector<std::string> outputs_;
    std::vector<std::uint64_t> inputLives_;
    std::vector<std::uint64_t> outputLives_;
    std::vector<std::string> calls_;
    std::vector<std::vector<unsigned char>> sent_;
    std::vector<bool> sentIsLong_;
    std::map<std::string, int> failures_;
    std::map<std::string, MidiResult> failureCodes_;
    std::function<void(const std::vector<unsigned char>&)> onLongSent_;
    DeliveredInputs<OpenInput> openInputs_;
    HandleTable<MidiOutHandle, OpenOutput> openOutputs_;
    std::atomic<bool> outputsVirtual_{false};
};

}  // namespace tessaline::test
