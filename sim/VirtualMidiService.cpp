#include "sim/VirtualMidiService.h"

#include <chrono>

namespace tessaline {

namespace {

// The models behind devices 0..3: one per family, the ES first, so that on a machine with no
// MIDI hardware device 0 is an instrument that answers.
constexpr const char* kDeviceModels[VirtualMidiService::kDeviceCount] = {"Motif ES7", "Motif 7",
                                                                         "Motif Rack", "S90"};

bool validDevice(long long device) {
    return device >= 0 && device < VirtualMidiService::kDeviceCount;
}

// Bytes of a packed short message (status | data1 << 8 | data2 << 16) that go on the wire.
std::vector<unsigned char> unpackShort(std::uint32_t message) {
    const auto status = static_cast<unsigned char>(message & 0xFF);
    std::vector<unsigned char> bytes{status};
    std::size_t length = 3;
    if ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 || status == 0xF1 || status == 0xF3) {
        length = 2;
    } else if (status >= 0xF4) {
        length = 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        bytes.push_back(static_cast<unsigned char>((message >> (8 * i)) & 0xFF));
    }
    return bytes;
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
    std::map<std::uintptr_t, OpenInput> inputs;
    {
        std::lock_guard guard(mutex_);
        inputs.swap(inputs_);
        outputs_.clear();
    }
    for (auto& [id, open] : inputs) {
        open.delivery->shutdown();
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
    std::vector<std::shared_ptr<InputDelivery>> deliveries;
    {
        std::lock_guard guard(mutex_);
        for (auto& [id, open] : inputs_) {
            deliveries.push_back(open.delivery);
        }
    }
    for (auto& delivery : deliveries) {
        if (!delivery->waitIdle(left())) {
            return false;
        }
    }
    return true;
}

void VirtualMidiService::setDeviceNumberBase(int base) {
    std::lock_guard guard(mutex_);
    deviceNumberBase_ = base;
}

int VirtualMidiService::deviceNumberBase() const {
    std::lock_guard guard(mutex_);
    return deviceNumberBase_;
}

std::shared_ptr<InputDelivery> VirtualMidiService::input(MidiInHandle handle) {
    std::lock_guard guard(mutex_);
    auto it = inputs_.find(static_cast<std::uintptr_t>(handle));
    return it == inputs_.end() ? nullptr : it->second.delivery;
}

void VirtualMidiService::deliverReply(int device, const std::vector<unsigned char>& reply) {
    std::lock_guard guard(mutex_);
    for (auto& [id, open] : inputs_) {
        if (open.device == device) {
            open.delivery->receive(reply.data(), reply.size());
        }
    }
}

void VirtualMidiService::sendToInstrument(int device, int wireMs,
                                          std::vector<unsigned char> message) {
    if (wireMs > 0) {
        clock_->sleepMs(wireMs);
    }
    workers_[static_cast<std::size_t>(device)]->post(std::move(message));
}

int VirtualMidiService::outputDevice(MidiOutHandle handle, std::size_t bytes, int& wireMs) {
    std::lock_guard guard(mutex_);
    auto it = outputs_.find(static_cast<std::uintptr_t>(handle));
    if (it == outputs_.end()) {
        return -1;
    }
    wireMs = pacing_ ? it->second.pacer.waitFor(bytes) : 0;
    return it->second.device;
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
    std::lock_guard guard(mutex_);
    const std::uintptr_t id = nextHandle_++;
    inputs_[id] = {
        k, std::make_shared<InputDelivery>(static_cast<MidiInHandle>(id), callback, instance)};
    *handle = static_cast<MidiInHandle>(id);
    return midiresult::Ok;
}

MidiResult VirtualMidiService::inPrepareHeader(MidiInHandle handle, MidiHeader* header) {
    auto delivery = input(handle);
    return delivery ? delivery->prepare(header) : midiresult::InvalidHandle;
}

MidiResult VirtualMidiService::inAddBuffer(MidiInHandle handle, MidiHeader* header) {
    auto delivery = input(handle);
    return delivery ? delivery->addBuffer(header) : midiresult::InvalidHandle;
}

MidiResult VirtualMidiService::inStart(MidiInHandle handle) {
    auto delivery = input(handle);
    return delivery ? delivery->start() : midiresult::InvalidHandle;
}

MidiResult VirtualMidiService::inStop(MidiInHandle handle) {
    auto delivery = input(handle);
    return delivery ? delivery->stop() : midiresult::InvalidHandle;
}

MidiResult VirtualMidiService::inReset(MidiInHandle handle) {
    auto delivery = input(handle);
    return delivery ? delivery->reset() : midiresult::InvalidHandle;
}

MidiResult VirtualMidiService::inUnprepareHeader(MidiInHandle handle, MidiHeader* header) {
    auto delivery = input(handle);
    return delivery ? delivery->unprepare(header) : midiresult::InvalidHandle;
}

MidiResult VirtualMidiService::inClose(MidiInHandle handle) {
    std::shared_ptr<InputDelivery> delivery;
    {
        std::lock_guard guard(mutex_);
        auto it = inputs_.find(static_cast<std::uintptr_t>(handle));
        if (it == inputs_.end()) {
            return midiresult::InvalidHandle;
        }
        delivery = std::move(it->second.delivery);
        inputs_.erase(it);
    }
    // Outside the lock: the delivery thread may be in a callback that calls back into us.
    delivery->shutdown();
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
    std::lock_guard guard(mutex_);
    const std::uintptr_t id = nextHandle_++;
    outputs_[id] = {k, WirePacer()};
    *handle = static_cast<MidiOutHandle>(id);
    return midiresult::Ok;
}

MidiResult VirtualMidiService::outShortMsg(MidiOutHandle handle, std::uint32_t message) {
    std::vector<unsigned char> bytes = unpackShort(message);
    int wireMs = 0;
    const int device = outputDevice(handle, bytes.size(), wireMs);
    if (device < 0) {
        return midiresult::InvalidHandle;
    }
    sendToInstrument(device, wireMs, std::move(bytes));
    return midiresult::Ok;
}

MidiResult VirtualMidiService::outPrepareHeader(MidiOutHandle handle, MidiHeader* header) {
    if (header == nullptr || header->data == nullptr) {
        return midiresult::InvalidParam;
    }
    std::lock_guard guard(mutex_);
    if (outputs_.count(static_cast<std::uintptr_t>(handle)) == 0) {
        return midiresult::InvalidHandle;
    }
    header->flags |= MHDR_PREPARED;
    return midiresult::Ok;
}

MidiResult VirtualMidiService::outLongMsg(MidiOutHandle handle, MidiHeader* header) {
    if (header == nullptr) {
        return midiresult::InvalidParam;
    }
    int wireMs = 0;
    {
        std::lock_guard guard(mutex_);
        if (outputs_.count(static_cast<std::uintptr_t>(handle)) == 0) {
            return midiresult::InvalidHandle;
        }
    }
    if ((header->flags & MHDR_PREPARED) == 0) {
        return midiresult::Unprepared;
    }
    if (header->data == nullptr || header->bufferLength == 0) {
        return midiresult::InvalidParam;
    }
    const int device = outputDevice(handle, header->bufferLength, wireMs);
    if (device < 0) {
        return midiresult::InvalidHandle;
    }
    // The caller's buffer is free again once this returns: take a copy first.
    std::vector<unsigned char> bytes(header->data, header->data + header->bufferLength);
    sendToInstrument(device, wireMs, std::move(bytes));
    header->flags |= MHDR_DONE;
    return midiresult::Ok;
}

MidiResult VirtualMidiService::outUnprepareHeader(MidiOutHandle handle, MidiHeader* header) {
    if (header == nullptr) {
        return midiresult::InvalidParam;
    }
    std::lock_guard guard(mutex_);
    if (outputs_.count(static_cast<std::uintptr_t>(handle)) == 0) {
        return midiresult::InvalidHandle;
    }
    header->flags &= ~MHDR_PREPARED;
    return midiresult::Ok;
}

MidiResult VirtualMidiService::outClose(MidiOutHandle handle) {
    std::lock_guard guard(mutex_);
    return outputs_.erase(static_cast<std::uintptr_t>(handle)) == 1 ? midiresult::Ok
                                                                    : midiresult::InvalidHandle;
}

}  // namespace tessaline
