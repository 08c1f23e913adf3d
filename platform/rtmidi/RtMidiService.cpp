#include "platform/rtmidi/RtMidiService.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>
#include <utility>

#include "platform/OutputHeaders.h"
#include "platform/ShortMessage.h"
#include "platform/rtmidi/EndpointWorker.h"
#include "platform/rtmidi/InputPump.h"
#include "platform/rtmidi/PendingSend.h"

namespace tessaline {

namespace {

// Starting a system and listing its ports have no time-out of their own: a slow server is
// waited for as long as the program's deadline allows, so that it is not taken for an absent
// one.
constexpr int kUntilTheDeadline = std::numeric_limits<int>::max();

// What a backend's send needs beyond its own waits, to return from them.
constexpr int kSendReturnMs = 500;

}  // namespace

// One open input: the backend's thread writes into the pump and wakes the worker, which turns
// the bytes into messages for the delivery.
class RtMidiService::InputPort final : public InputSink {
  public:
    InputPort(MidiInHandle handle, MidiInCallback callback, std::uintptr_t instance,
              std::size_t queueBytes)
        : delivery(handle, callback, instance), input(queueBytes, InputPump::ShortMessages::Drop) {}

    void receive(const unsigned char* data, std::size_t length) noexcept override {
        input.write(data, length);
        wakeTarget->wake();
    }
    void lost(MidiResult reason) noexcept override {
        lostReason.store(reason);
        wakeTarget->wake();
    }

    void pump() {
        if (const MidiResult reason = lostReason.exchange(midiresult::Ok);
            reason != midiresult::Ok) {
            delivery.reportError(reason);
        }
        const bool more = input.pump([this](const unsigned char* data,
                                            std::size_t length) { delivery.receive(data, length); },
                                     [this](MidiResult fault) { delivery.reportError(fault); });
        if (more) {
            wakeTarget->wake();  // another round after any jobs
        }
    }

    InputDelivery delivery;
    InputPump input;
    std::atomic<MidiResult> lostReason{midiresult::Ok};
    std::shared_ptr<EndpointWorker> worker;
    EndpointWorker* wakeTarget = nullptr;   // set before the backend can call receive
    std::unique_ptr<BackendInput> backend;  // worker thread only
};

class RtMidiService::OutputPort {
  public:
    std::shared_ptr<EndpointWorker> worker;
    std::unique_ptr<BackendOutput> backend;  // worker thread only
    int sendTimeoutMs = 0;                   // set once, when the port opens
};

RtMidiService::RtMidiService(const std::vector<BackendStarter>& starters,
                             RtMidiServiceOptions options)
    : options_(options) {
    for (const BackendStarter& start : starters) {
        if (!start) {
            continue;
        }
        // A MIDI system that is not there (no ALSA sequencer in a container, no JACK server)
        // simply has no devices; nobody needs to be told. Nor has one that is not there in time.
        auto started = std::make_shared<std::shared_ptr<MidiBackend>>();
        const bool finished = withinDeadline(
            [start, started] {
                try {
                    *started = start();
                } catch (...) {
                }
            },
            kUntilTheDeadline);
        if (finished && *started) {
            backends_.push_back(std::move(*started));
        }
    }
}

RtMidiService::~RtMidiService() {
    // Whoever listens to device changes may be going with us.
    for (const auto& backend : backends_) {
        backend->watchPorts({});
    }
    for (const auto& port : inputs_.takeAll()) {
        closeInput(port);
    }
    for (const auto& port : outputs_.takeAll()) {
        closeOutput(port);
    }
    // Letting a system go closes its clients, which waits on its server like an open does.
    withinDeadline(
        [backends = std::move(backends_), ins = std::move(inputList_),
         outs = std::move(outputList_)]() mutable {
            ins.clear();
            outs.clear();
            backends.clear();
        },
        options_.closeTimeoutMs);
}

bool RtMidiService::withinDeadline(std::function<void()> job, int longestMs) const {
    if (options_.deadline == nullptr) {
        job();
        return true;
    }
    const auto worker = EndpointWorker::start();
    const bool finished = worker->run(std::move(job), waitMs(longestMs));
    worker->stop(finished ? waitMs(longestMs) : 0);
    return finished;
}

int RtMidiService::waitMs(int longestMs) const {
    if (options_.deadline == nullptr) {
        return longestMs;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline{Clock::duration(options_.deadline->load())};
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 1, longestMs));
}

std::vector<std::string> RtMidiService::apiNames() const {
    std::vector<std::string> names;
    for (const auto& backend : backends_) {
        names.push_back(backend->apiName());
    }
    return names;
}

DeviceListing RtMidiService::listDevices() {
    struct Listed {
        DeviceListing listing;
        std::vector<Device> inputs;
        std::vector<Device> outputs;
    };
    auto listed = std::make_shared<Listed>();
    const bool finished = withinDeadline(
        [backends = backends_, listed] {
            auto take = [](const std::shared_ptr<MidiBackend>& backend,
                           std::vector<ListedDevice>& from, std::vector<ListedDevice>& listing,
                           std::vector<Device>& devices) {
                for (ListedDevice& device : from) {
                    if (listing.size() < kMaxListedDevices) {
                        devices.push_back(Device{backend, device.name});
                        listing.push_back(std::move(device));
                    }
                }
            };
            for (const auto& backend : backends) {
                DeviceListing ports = backend->listPorts();
                take(backend, ports.inputs, listed->listing.inputs, listed->inputs);
                take(backend, ports.outputs, listed->listing.outputs, listed->outputs);
            }
        },
        kUntilTheDeadline);
    // A listing that is not there in time is empty: the job may still be writing into it.
    Listed taken = finished ? std::move(*listed) : Listed{};
    std::lock_guard guard(mutex_);
    listed_ = true;
    inputList_ = std::move(taken.inputs);
    outputList_ = std::move(taken.outputs);
    return std::move(taken.listing);
}

bool RtMidiService::setDeviceChangeHandler(std::function<void()> handler) {
    bool announced = !backends_.empty();
    for (const auto& backend : backends_) {
        announced = backend->watchPorts(handler) && announced;
    }
    return announced;
}

std::vector<RtMidiService::Device> RtMidiService::listedDevices(bool inputs) {
    {
        std::lock_guard guard(mutex_);
        if (listed_) {
            return inputs ? inputList_ : outputList_;
        }
    }
    listDevices();
    std::lock_guard guard(mutex_);
    return inputs ? inputList_ : outputList_;
}

bool RtMidiService::findDevice(bool inputs, int device, Device& found) {
    if (device < 0) {
        return false;
    }
    // Numbers count in the last listing, as the caller saw it.
    const std::vector<Device> list = listedDevices(inputs);
    if (static_cast<std::size_t>(device) >= list.size()) {
        return false;
    }
    found = list[static_cast<std::size_t>(device)];
    return true;
}

unsigned RtMidiService::inGetNumDevs() {
    return static_cast<unsigned>(listedDevices(true).size());
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
    const MidiInHandle id = inputs_.reserve();
    auto port = std::make_shared<InputPort>(id, callback, instance, options_.inputQueueBytes);
    // The pump holds the port; stop() lets go of it, or, for a worker left behind, its thread.
    port->worker = EndpointWorker::start([port] { port->pump(); });
    port->wakeTarget = port->worker.get();

    auto result = std::make_shared<std::atomic<MidiResult>>(midiresult::Error);
    const bool finished = port->worker->run(
        [port, backend = found.backend, name = found.name, result] {
            result->store(backend->openInput(name, *port, port->backend));
        },
        waitMs(options_.openTimeoutMs));
    if (!finished || result->load() != midiresult::Ok) {
        // An open that is still hanging leaves the worker behind at once.
        const bool closed =
            finished && port->worker->run([port] { port->backend.reset(); }, closeTimeoutMs());
        port->worker->stop(closed ? closeTimeoutMs() : 0);
        port->delivery.shutdown();
        return finished ? result->load() : midiresult::TimedOut;
    }
    inputs_.insert(id, port);
    *handle = id;
    return midiresult::Ok;
}

MidiResult RtMidiService::inPrepareHeader(MidiInHandle handle, MidiHeader* header) {
    return inputs_.prepare(handle, header);
}

MidiResult RtMidiService::inAddBuffer(MidiInHandle handle, MidiHeader* header) {
    return inputs_.addBuffer(handle, header);
}

MidiResult RtMidiService::inStart(MidiInHandle handle) {
    return inputs_.start(handle);
}

MidiResult RtMidiService::inStop(MidiInHandle handle) {
    return inputs_.stop(handle);
}

MidiResult RtMidiService::inReset(MidiInHandle handle) {
    return inputs_.reset(handle);
}

MidiResult RtMidiService::inUnprepareHeader(MidiInHandle handle, MidiHeader* header) {
    return inputs_.unprepare(handle, header);
}

MidiResult RtMidiService::closeInput(const std::shared_ptr<InputPort>& port) {
    // The backend's port goes first: after that no thread writes into the queue.
    const bool closed = port->worker->run([port] { port->backend.reset(); }, closeTimeoutMs());
    const bool stopped = port->worker->stop(closed ? closeTimeoutMs() : 0);
    port->delivery.shutdown();
    return closed && stopped ? midiresult::Ok : midiresult::TimedOut;
}

MidiResult RtMidiService::inClose(MidiInHandle handle) {
    const auto port = inputs_.take(handle);
    return port ? closeInput(port) : midiresult::InvalidHandle;
}

unsigned RtMidiService::outGetNumDevs() {
    return static_cast<unsigned>(listedDevices(false).size());
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
                          waitMs(options_.openTimeoutMs));
    if (!finished || result->load() != midiresult::Ok) {
        closeOutput(port);
        return finished ? result->load() : midiresult::TimedOut;
    }
    // Never give up on a send before the backend would give up on it by itself: a queue that
    // is merely full must not pass for a backend that hangs.
    const int ownWaitMs = port->backend->longestWaitMs();
    port->sendTimeoutMs = ownWaitMs > 0
                              ? std::max(options_.sendTimeoutMs, ownWaitMs + kSendReturnMs)
                              : options_.sendTimeoutMs;
    *handle = outputs_.add(port);
    return midiresult::Ok;
}

MidiResult RtMidiService::send(const std::shared_ptr<OutputPort>& port,
                               std::vector<unsigned char> bytes) {
    // A send that overran its time-out holds the port until its call has returned: nothing may
    // overtake it.
    if (port->worker->busy()) {
        return midiresult::NotReady;
    }
    auto result = std::make_shared<std::atomic<MidiResult>>(midiresult::Error);
    auto pending = std::make_shared<PendingSend>();
    // The bytes travel with the job: a send that overruns its time-out must not read the
    // caller's buffer after we have returned.
    const bool finished = port->worker->run(
        [port, result, pending, message = std::move(bytes)] {
            result->store(port->backend
                              ? port->backend->send(message.data(), message.size(), *pending)
                              : midiresult::InvalidHandle);
        },
        port->sendTimeoutMs);
    if (finished) {
        return result->load();
    }
    // Withdrawn, the message never leaves and counts as not sent. One that the backend is
    // handing on already may still arrive: that is not a message we may call unsent.
    return pending->withdraw() ? midiresult::TimedOut : midiresult::StillPlaying;
}

MidiResult RtMidiService::outShortMsg(MidiOutHandle handle, std::uint32_t message) {
    auto port = outputs_.find(handle);
    if (!port) {
        return midiresult::InvalidHandle;
    }
    std::vector<unsigned char> bytes = shortMessageBytes(message);
    if (bytes.empty()) {
        return midiresult::InvalidParam;
    }
    return send(port, std::move(bytes));
}

MidiResult RtMidiService::outPrepareHeader(MidiOutHandle handle, MidiHeader* header) {
    if (!outputs_.find(handle)) {
        return midiresult::InvalidHandle;
    }
    return prepareOutputHeader(header);
}

MidiResult RtMidiService::outLongMsg(MidiOutHandle handle, MidiHeader* header) {
    auto port = outputs_.find(handle);
    if (!port) {
        return midiresult::InvalidHandle;
    }
    return sendFromOutputHeader(
        header, [this, &port](const unsigned char* data, std::size_t length) {
            return send(port, std::vector<unsigned char>(data, data + length));
        });
}

MidiResult RtMidiService::outUnprepareHeader(MidiOutHandle handle, MidiHeader* header) {
    if (!outputs_.find(handle)) {
        return midiresult::InvalidHandle;
    }
    return unprepareOutputHeader(header);
}

MidiResult RtMidiService::closeOutput(const std::shared_ptr<OutputPort>& port) {
    const bool closed = port->worker->run([port] { port->backend.reset(); }, closeTimeoutMs());
    const bool stopped = port->worker->stop(closed ? closeTimeoutMs() : 0);
    return closed && stopped ? midiresult::Ok : midiresult::TimedOut;
}

MidiResult RtMidiService::outClose(MidiOutHandle handle) {
    const auto port = outputs_.take(handle);
    return port ? closeOutput(port) : midiresult::InvalidHandle;
}

}  // namespace tessaline
