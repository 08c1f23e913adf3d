#include "sim/VirtualMidiService.h"

#include <chrono>

#include "platform/ShortMessage.h"

namespace tessaline {

namespace {

// The models behind devices 0..3: one per family, the ES first, so that on a machine with no
// MIDI hardware device 0 is an instrument that answers.
constexpr const char* kDeviceModels[VirtualMidiService::kDeviceCount] = {"Motif ES7", "Motif 7",
                                                                         "Motif Rack", "S90"};

bool validDevice(long long device) {
    return device >= 0 && device < VirtualMidiService::kDeviceCount;
}

}  // namespace

VirtualMidiService::VirtualMidiService(bool wirePacing, std::uint64_t seed, Clock* clock)
    : pacing_(wirePacing), clock_(clock != nullptr ? clock : &ownClock_) {
    for (int k = 0; k < kDeviceCount; ++k) {
        auto& instrument = instruments_[static_cast<std::size_t>(k)];
        instrument = VirtualInstrument::create(kDeviceModels[k], seed);
        instrument->setClock(clock_);
        instrument->setWirePacing(wirePacing);
        instrument->setReplySink(
            [this, k](const std::vector<unsigned char>& reply) { deliverReply(k, reply); });
        workers_[static_cast<std::size_t>(k)] = std::make_unique<InstrumentWorker>(*instrument);
    }
}

VirtualMidiService::~VirtualMidiService() {
    // Interrupt paced and delayed replies, stop the instruments, then the inputs.
    ownClock_.cancel();
    for (auto& worker : workers_) {
        worker->stop();
    }
    outputs_.takeAll();
    for (const auto& input : inputs_.takeAll()) {
        input->delivery.shutdown();
    }
}

VirtualInstrument* VirtualMidiService::instrument(int k) {
    return validDevice(k) ? instruments_[static_cast<std::size_t>(k)].get() : nullptr;
}

std::string VirtualMidiService::deviceName(int k) {
    return validDevice(k) ? std::string("Virtual ") + kDeviceModels[k] + " (simulated)"
                          : std::string();
}

bool VirtualMidiService::waitIdle(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto left = [&deadline] {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        return ms.count() > 0 ? static_cast<int>(ms.count()) : 0;
    };
    for (auto& worker : workers_) {
        if (!worker->waitIdle(left())) {
            return false;
        }
    }
    for (const auto& input : inputs_.entries()) {
        if (!input->delivery.waitIdle(left())) {
            return false;
        }
    }
    return true;
}

void VirtualMidiService::deliverReply(int device, const std::vector<unsigned char>& reply) {
    inputs_.forEach([&reply, device](OpenInput& input) {
        if (input.device == device) {
            input.delivery.receive(reply.data(), reply.size());
        }
    });
}

void VirtualMidiService::sendToInstrument(int device, int wireMs,
                                          std::vector<unsigned char> message) {
    if (wireMs > 0) {
        clock_->sleepMs(wireMs);
    }
    workers_[static_cast<std::size_t>(device)]->post(std::move(message));
}

int VirtualMidiService::wireTime(OpenOutput& output, std::size_t bytes) {
    if (!pacing_) {
        return 0;
    }
    std::lock_guard guard(output.mutex);
    return output.pacer.waitFor(bytes);
}

void VirtualMidiService::setPresent(int k, bool present) {
    if (validDevice(k)) {
        present_[static_cast<std::size_t>(k)].store(present);
    }
}

int VirtualMidiService::instrumentAt(long long number) const {
    for (int k = 0; k < kDeviceCount && number >= 0; ++k) {
        if (present_[static_cast<std::size_t>(k)].load() && number-- == 0) {
            return k;
        }
    }
    return -1;
}

unsigned VirtualMidiService::listedCount() const {
    unsigned count = 0;
    for (const auto& present : present_) {
        count += present.load() ? 1 : 0;
    }
    return count;
}

unsigned VirtualMidiService::inGetNumDevs() {
    return listedCount();
}

MidiResult VirtualMidiService::inGetDevName(unsigned device, std::string& name) {
    const int k = instrumentAt(device);
    if (k < 0) {
        return midiresult::BadDeviceId;
    }
    name = deviceName(k);
    return midiresult::Ok;
}

MidiResult VirtualMidiService::inOpen(MidiInHandle* handle, int device, MidiInCallback callback,
                                      std::uintptr_t instance) {
    if (handle == nullptr || callback == nullptr) {
        return midiresult::InvalidParam;
    }
    const int k = instrumentAt(device);
    if (k < 0) {
        return midiresult::BadDeviceId;
    }
    const MidiInHandle id = inputs_.reserve();
    inputs_.insert(id, std::make_shared<OpenInput>(k, id, callback, instance));
    *handle = id;
    return midiresult::Ok;
}

MidiResult VirtualMidiService::inPrepareHeader(MidiInHandle handle, MidiHeader* header) {
    return inputs_.prepare(handle, header);
}

MidiResult VirtualMidiService::inAddBuffer(MidiInHandle handle, MidiHeader* header) {
    return inputs_.addBuffer(handle, header);
}

MidiResult VirtualMidiService::inStart(MidiInHandle handle) {
    return inputs_.start(handle);
}

MidiResult VirtualMidiService::inStop(MidiInHandle handle) {
    return inputs_.stop(handle);
}

MidiResult VirtualMidiService::inReset(MidiInHandle handle) {
    return inputs_.reset(handle);
}

MidiResult VirtualMidiService::inUnprepareHeader(MidiInHandle handle, MidiHeader* header) {
    return inputs_.unprepare(handle, header);
}

MidiResult VirtualMidiService::inClose(MidiInHandle handle) {
    const auto input = inputs_.take(handle);
    if (!input) {
        return midiresult::InvalidHandle;
    }
    // Outside the table's lock: the delivery thread may be in a callback that calls back into us.
    input->delivery.shutdown();
    return midiresult::Ok;
}

unsigned VirtualMidiService::outGetNumDevs() {
    return listedCount();
}

MidiResult VirtualMidiService::outGetDevName(unsigned device, std::string& name) {
    return inGetDevName(device, name);
}

MidiResult VirtualMidiService::outOpen(MidiOutHandle* handle, int device) {
    if (handle == nullptr) {
        return midiresult::InvalidParam;
    }
    const int k = instrumentAt(device);
    if (k < 0) {
        return midiresult::BadDeviceId;
    }
    auto output = std::make_shared<OpenOutput>();
    output->device = k;
    *handle = outputs_.add(std::move(output));
    return midiresult::Ok;
}

MidiResult VirtualMidiService::outShortMsg(MidiOutHandle handle, std::uint32_t message) {
    const auto output = outputs_.find(handle);
    if (!output) {
        return midiresult::InvalidHandle;
    }
    std::vector<unsigned char> bytes = shortMessageBytes(message);
    if (bytes.empty()) {
        return midiresult::InvalidParam;
    }
    const int wireMs = wireTime(*output, bytes.size());
    sendToInstrument(output->device, wireMs, std::move(bytes));
    return midiresult::Ok;
}

MidiResult VirtualMidiService::outPrepareHeader(MidiOutHandle handle, MidiHeader* header) {
    if (header == nullptr || header->data == nullptr) {
        return midiresult::InvalidParam;
    }
    if (!outputs_.contains(handle)) {
        return midiresult::InvalidHandle;
    }
    header->flags |= MHDR_PREPARED;
    return midiresult::Ok;
}

MidiResult VirtualMidiService::outLongMsg(MidiOutHandle handle, MidiHeader* header) {
    if (header == nullptr) {
        return midiresult::InvalidParam;
    }
    const auto output = outputs_.find(handle);
    if (!output) {
        return midiresult::InvalidHandle;
    }
    if ((header->flags & MHDR_PREPARED) == 0) {
        return midiresult::Unprepared;
    }
    if (header->data == nullptr || header->bufferLength == 0) {
        return midiresult::InvalidParam;
    }
    const int wireMs = wireTime(*output, header->bufferLength);
    // The caller's buffer is free again once this returns: take a copy first.
    std::vector<unsigned char> bytes(header->data, header->data + header->bufferLength);
    sendToInstrument(output->device, wireMs, std::move(bytes));
    header->flags |= MHDR_DONE;
    return midiresult::Ok;
}

MidiResult VirtualMidiService::outUnprepareHeader(MidiOutHandle handle, MidiHeader* header) {
    if (header == nullptr) {
        return midiresult::InvalidParam;
    }
    if (!outputs_.contains(handle)) {
        return midiresult::InvalidHandle;
    }
    header->flags &= ~MHDR_PREPARED;
    return midiresult::Ok;
}

MidiResult VirtualMidiService::outClose(MidiOutHandle handle) {
    return outputs_.erase(handle) ? midiresult::Ok : midiresult::InvalidHandle;
}

}  // namespace tessaline
