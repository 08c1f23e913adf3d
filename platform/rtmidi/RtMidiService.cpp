#include "platform/rtmidi/RtMidiService.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <utility>

#include "platform/InputDelivery.h"
#include "platform/rtmidi/ByteRing.h"
#include "platform/rtmidi/EndpointWorker.h"
#include "platform/rtmidi/SysExAssembler.h"

namespace tessaline {

// One open input: the backend's thread writes into `ring` and wakes the worker, whose pump
// turns the bytes into messages for the delivery.
class RtMidiService::InputPort final : public InputSink {
  public:
    InputPort(MidiInHandle handle, MidiInCallback callback, std::uintptr_t instance,
              std::size_t queueBytes)
        : delivery(handle, callback, instance), ring(queueBytes) {}

    void receive(const unsigned char* data, std::size_t length) noexcept override {
        ring.write(data, length);
        wakeTarget->wake();
    }
    void lost(MidiResult reason) noexcept override {
        lostReason.store(reason);
        wakeTarget->wake();
    }

    // Handles what is queued, a bounded amount at a time: under a flood of input the worker
    // must still get to its jobs (a close among them) between two rounds.
    void pump() {
        if (const MidiResult reason = lostReason.exchange(midiresult::Ok);
            reason != midiresult::Ok) {
            delivery.reportError(reason);
        }
        bool afterGap = false;
        for (int records = 0; records < kRecordsPerRound; ++records) {
            if (!ring.read(record, afterGap)) {
                return;
            }
            if (afterGap) {
                assembler.reset();
            }
            assembler.feed(record.data(), record.size(),
                           [this](const unsigned char* data, std::size_t length) {
                               delivery.receive(data, length);
                           });
            if (assembler.takeOverlong() > 0) {
                delivery.reportError(midiresult::MessageTooLong);
            }
        }
        wakeTarget->wake();  // more is waiting: another round after any jobs
    }

    static constexpr int kRecordsPerRound = 256;

    InputDelivery delivery;
    ByteRing ring;
    SysExAssembler assembler;  // pump only
    std::atomic<MidiResult> lostReason{midiresult::Ok};
    std::vector<unsigned char> record;  // pump only
    std::shared_ptr<EndpointWorker> worker;
    EndpointWorker* wakeTarget = nullptr;   // set before the backend can call receive
    std::unique_ptr<BackendInput> backend;  // worker thread only
};

class RtMidiService::OutputPort {
  public:
    std::shared_ptr<EndpointWorker> worker;
    std::unique_ptr<BackendOutput> backend;  // worker thread only
};

std::size_t shortMessageLength(unsigned char status) {
    if (status < 0x80) {
        return 0;
    }
    if (status < 0xF0) {
        const unsigned kind = status & 0xF0;
        return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
    }
    switch (status) {
        case 0xF1:
        case 0xF3:
            return 2;
        case 0xF2:
            return 3;
        case 0xF6:
            return 1;
        case 0xF0:
        case 0xF4:
        case 0xF5:
        case 0xF7:
        case 0xF9:
        case 0xFD:
            return 0;
        default:
            return 1;
    }
}

RtMidiService::RtMidiService(const std::vector<BackendStarter>& starters,
                             RtMidiServiceOptions options)
    : options_(options) {
    for (const BackendStarter& start : starters) {
        // A MIDI system that is not there (no ALSA sequencer in a container, no JACK server)
        // simply has no devices; nobody needs to be told.
        try {
            if (std::shared_ptr<MidiBackend> backend = start ? start() : nullptr) {
                backends_.push_back(std::move(backend));
            }
        } catch (const std::exception&) {
        } catch (...) {
        }
    }
}

RtMidiService::~RtMidiService() {
    std::map<std::uintptr_t, std::shared_ptr<InputPort>> inputs;
    std::map<std::uintptr_t, std::shared_ptr<OutputPort>> outputs;
    {
        std::lock_guard guard(mutex_);
        inputs.swap(inputs_);
        outputs.swap(outputs_);
    }
    for (auto& [handle, port] : inputs) {
        closeInput(port);
    }
    for (auto& [handle, port] : outputs) {
        closeOutput(port);
    }
}

std::vector<std::string> RtMidiService::apiNames() const {
    std::vector<std::string> names;
    for (const auto& backend : backends_) {
        names.push_back(backend->apiName());
    }
    return names;
}

std::vector<RtMidiService::Device> RtMidiService::listDevices(bool inputs) {
    std::vector<Device> devices;
    for (const auto& backend : backends_) {
        for (std::string& name : inputs ? backend->inputNames() : backend->outputNames()) {
            devices.push_back(Device{backend, std::move(name)});
        }
    }
    std::lock_guard guard(mutex_);
    (inputs ? inputList_ : outputList_) = devices;
    return devices;
}

bool RtMidiService::findDevice(bool inputs, int device, Device& found) {
    if (device < 0) {
        return false;
    }
    {
        std::lock_guard guard(mutex_);
        const std::vector<Device>& list = inputs ? inputList_ : outputList_;
        if (static_cast<std::size_t>(device) < list.size()) {
            found = list[static_cast<std::size_t>(device)];
            return true;
        }
    }
    // Numbers count in the list of the last count; without one, take the list as it is now.
    const std::vector<Device> list = listDevices(inputs);
    if (static_cast<std::size_t>(device) >= list.size()) {
        return false;
    }
    found = list[static_cast<std::size_t>(device)];
    return true;
}

std::shared_ptr<RtMidiService::InputPort> RtMidiService::findInput(MidiInHandle handle) {
    std::lock_guard guard(mutex_);
    auto it = inputs_.find(static_cast<std::uintptr_t>(handle));
    return it == inputs_.end() ? nullptr : it->second;
}

std::shared_ptr<RtMidiService::OutputPort> RtMidiService::findOutput(MidiOutHandle handle) {
    std::lock_guard guard(mutex_);
    auto it = outputs_.find(static_cast<std::uintptr_t>(handle));
    return it == outputs_.end() ? nullptr : it->second;
}

unsigned RtMidiService::inGetNumDevs() {
    return static_cast<unsigned>(listDevices(true).size());
}

MidiResult RtMidiService::inGetDevName(unsigned device, std::string& name) {
    Device found;
    if (device > 0x7FFFFFFFu || !findDevice(true, static_cast<int>(device), found)) {
        return midiresult::BadDeviceId;
    }
    name = found.name;
    return midiresult::Ok;
}

MidiResult RtMidiService::inOpen(MidiInHandle* handle, int device, MidiInCallback callback,
                                 std::uintptr_t instance) {
    if (handle == nullptr || callback == nullptr) {
        return midiresult::InvalidParam;
    }
    *handle = MidiInHandle::None;
    Device found;
    if (!findDevice(true, device, found)) {
        return midiresult::BadDeviceId;
    }
    MidiInHandle id;
    {
        std::lock_guard guard(mutex_);
        id = static_cast<MidiInHandle>(nextHandle_++);
    }
    auto port = std::make_shared<InputPort>(id, callback, instance, options_.inputQueueBytes);
    // The pump holds the port; stop() lets go of it, or, for a worker left behind, its thread.
    port->worker = EndpointWorker::start([port] { port->pump(); });
    port->wakeTarget = port->worker.get();

    auto result = std::make_shared<std::atomic<MidiResult>>(midiresult::Error);
    const bool finished = port->worker->run(
        [port, backend = found.backend, name = found.name, result] {
            result->store(backend->openInput(name, *port, port->backend));
        },
        options_.openTimeoutMs);
    if (!finished || result->load() != midiresult::Ok) {
        // An open that is still hanging leaves the worker behind at once.
        const bool closed =
            finished && port->worker->run([port] { port->backend.reset(); }, closeTimeoutMs());
        port->worker->stop(closed ? closeTimeoutMs() : 0);
        port->delivery.shutdown();
        return finished ? result->load() : midiresult::TimedOut;
    }
    std::lock_guard guard(mutex_);
    inputs_.emplace(static_cast<std::uintptr_t>(id), port);
    *handle = id;
    return midiresult::Ok;
}

MidiResult RtMidiService::inPrepareHeader(MidiInHandle handle, MidiHeader* header) {
    auto port = findInput(handle);
    return port ? port->delivery.prepare(header) : midiresult::InvalidHandle;
}

MidiResult RtMidiService::inAddBuffer(MidiInHandle handle, MidiHeader* header) {
    auto port = findInput(handle);
    return port ? port->delivery.addBuffer(header) : midiresult::InvalidHandle;
}

MidiResult RtMidiService::inStart(MidiInHandle handle) {
    auto port = findInput(handle);
    return port ? port->delivery.start() : midiresult::InvalidHandle;
}

MidiResult RtMidiService::inStop(MidiInHandle handle) {
    auto port = findInput(handle);
    return port ? port->delivery.stop() : midiresult::InvalidHandle;
}

MidiResult RtMidiService::inReset(MidiInHandle handle) {
    auto port = findInput(handle);
    return port ? port->delivery.reset() : midiresult::InvalidHandle;
}

MidiResult RtMidiService::inUnprepareHeader(MidiInHandle handle, MidiHeader* header) {
    auto port = findInput(handle);
    return port ? port->delivery.unprepare(header) : midiresult::InvalidHandle;
}

int RtMidiService::closeTimeoutMs() const {
    if (options_.closeBudgetMs == nullptr) {
        return options_.closeTimeoutMs;
    }
    return std::clamp(options_.closeBudgetMs->load(), 1, options_.closeTimeoutMs);
}

MidiResult RtMidiService::closeInput(const std::shared_ptr<InputPort>& port) {
    // The backend's port goes first: after that no thread writes into the queue.
    const bool closed = port->worker->run([port] { port->backend.reset(); }, closeTimeoutMs());
    const bool stopped = port->worker->stop(closed ? closeTimeoutMs() : 0);
    port->delivery.shutdown();
    return closed && stopped ? midiresult::Ok : midiresult::TimedOut;
}

MidiResult RtMidiService::inClose(MidiInHandle handle) {
    std::shared_ptr<InputPort> port;
    {
        std::lock_guard guard(mutex_);
        auto it = inputs_.find(static_cast<std::uintptr_t>(handle));
        if (it == inputs_.end()) {
            return midiresult::InvalidHandle;
        }
        port = std::move(it->second);
        inputs_.erase(it);
    }
    return closeInput(port);
}

unsigned RtMidiService::outGetNumDevs() {
    return static_cast<unsigned>(listDevices(false).size());
}

MidiResult RtMidiService::outGetDevName(unsigned device, std::string& name) {
    Device found;
    if (device > 0x7FFFFFFFu || !findDevice(false, static_cast<int>(device), found)) {
        return midiresult::BadDeviceId;
    }
    name = found.name;
    return midiresult::Ok;
}

MidiResult RtMidiService::outOpen(MidiOutHandle* handle, int device) {
    if (handle == nullptr) {
        return midiresult::InvalidParam;
    }
    *handle = MidiOutHandle::None;
    Device found;
    if (!findDevice(false, device, found)) {
        return midiresult::BadDeviceId;
    }
    auto port = std::make_shared<OutputPort>();
    port->worker = EndpointWorker::start();
    auto result = std::make_shared<std::atomic<MidiResult>>(midiresult::Error);
    const bool finished =
        port->worker->run([port, backend = found.backend, name = found.name,
                           result] { result->store(backend->openOutput(name, port->backend)); },
                          options_.openTimeoutMs);
    if (!finished || result->load() != midiresult::Ok) {
        closeOutput(port);
        return finished ? result->load() : midiresult::TimedOut;
    }
    std::lock_guard guard(mutex_);
    const std::uintptr_t id = nextHandle_++;
    outputs_.emplace(id, port);
    *handle = static_cast<MidiOutHandle>(id);
    return midiresult::Ok;
}

MidiResult RtMidiService::send(const std::shared_ptr<OutputPort>& port,
                               std::vector<unsigned char> bytes) {
    if (port->worker->stuck()) {
        return midiresult::TimedOut;
    }
    auto result = std::make_shared<std::atomic<MidiResult>>(midiresult::Error);
    // The bytes travel with the job: a send that overruns its time-out must not read the
    // caller's buffer after we have returned.
    const bool finished = port->worker->run(
        [port, result, message = std::move(bytes)] {
            result->store(port->backend ? port->backend->send(message.data(), message.size())
                                        : midiresult::InvalidHandle);
        },
        options_.sendTimeoutMs);
    return finished ? result->load() : midiresult::TimedOut;
}

MidiResult RtMidiService::outShortMsg(MidiOutHandle handle, std::uint32_t message) {
    auto port = findOutput(handle);
    if (!port) {
        return midiresult::InvalidHandle;
    }
    const auto status = static_cast<unsigned char>(message & 0xFF);
    const std::size_t length = shortMessageLength(status);
    if (length == 0) {
        return midiresult::InvalidParam;
    }
    std::vector<unsigned char> bytes{status, static_cast<unsigned char>((message >> 8) & 0x7F),
                                     static_cast<unsigned char>((message >> 16) & 0x7F)};
    bytes.resize(length);
    return send(port, std::move(bytes));
}

MidiResult RtMidiService::outPrepareHeader(MidiOutHandle handle, MidiHeader* header) {
    if (!findOutput(handle)) {
        return midiresult::InvalidHandle;
    }
    if (header == nullptr || header->data == nullptr || header->bufferLength == 0) {
        return midiresult::InvalidParam;
    }
    header->flags |= MHDR_PREPARED;
    return midiresult::Ok;
}

MidiResult RtMidiService::outLongMsg(MidiOutHandle handle, MidiHeader* header) {
    auto port = findOutput(handle);
    if (!port) {
        return midiresult::InvalidHandle;
    }
    if (header == nullptr || header->data == nullptr || header->bufferLength == 0) {
        return midiresult::InvalidParam;
    }
    if ((header->flags & MHDR_PREPARED) == 0) {
        return midiresult::Unprepared;
    }
    header->flags &= ~MHDR_DONE;
    const MidiResult result =
        send(port, std::vector<unsigned char>(header->data, header->data + header->bufferLength));
    header->flags |= MHDR_DONE;
    return result;
}

MidiResult RtMidiService::outUnprepareHeader(MidiOutHandle handle, MidiHeader* header) {
    if (!findOutput(handle)) {
        return midiresult::InvalidHandle;
    }
    if (header == nullptr) {
        return midiresult::InvalidParam;
    }
    header->flags &= ~MHDR_PREPARED;
    return midiresult::Ok;
}

MidiResult RtMidiService::closeOutput(const std::shared_ptr<OutputPort>& port) {
    const bool closed = port->worker->run([port] { port->backend.reset(); }, closeTimeoutMs());
    const bool stopped = port->worker->stop(closed ? closeTimeoutMs() : 0);
    return closed && stopped ? midiresult::Ok : midiresult::TimedOut;
}

MidiResult RtMidiService::outClose(MidiOutHandle handle) {
    std::shared_ptr<OutputPort> port;
    {
        std::lock_guard guard(mutex_);
        auto it = outputs_.find(static_cast<std::uintptr_t>(handle));
        if (it == outputs_.end()) {
            return midiresult::InvalidHandle;
        }
        port = std::move(it->second);
        outputs_.erase(it);
    }
    return closeOutput(port);
}

}  // namespace tessaline
