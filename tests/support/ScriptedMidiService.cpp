#include "tests/support/ScriptedMidiService.h"

namespace tessaline::test {

ScriptedMidiService::ScriptedMidiService(std::vector<std::string> inputs,
                                         std::vector<std::string> outputs)
    : inputs_(std::move(inputs)), outputs_(std::move(outputs)) {}

ScriptedMidiService::~ScriptedMidiService() {
    openInputs_.takeAll();
}

std::vector<std::string> ScriptedMidiService::calls() const {
    std::lock_guard guard(mutex_);
    return calls_;
}

std::vector<std::vector<unsigned char>> ScriptedMidiService::sent() const {
    std::lock_guard guard(mutex_);
    return sent_;
}

std::vector<std::vector<unsigned char>> ScriptedMidiService::sentLong() const {
    std::lock_guard guard(mutex_);
    std::vector<std::vector<unsigned char>> result;
    for (std::size_t i = 0; i < sent_.size(); ++i) {
        if (sentIsLong_[i]) {
            result.push_back(sent_[i]);
        }
    }
    return result;
}

void ScriptedMidiService::clearRecords() {
    std::lock_guard guard(mutex_);
    calls_.clear();
    sent_.clear();
    sentIsLong_.clear();
}

void ScriptedMidiService::failCall(const std::string& name, MidiResult code, int times) {
    std::lock_guard guard(mutex_);
    failures_[name] = times;
    failureCodes_[name] = code;
}

void ScriptedMidiService::onLongSent(
    std::function<void(const std::vector<unsigned char>&)> handler) {
    std::lock_guard guard(mutex_);
    onLongSent_ = std::move(handler);
}

void ScriptedMidiService::setDevices(std::vector<std::string> inputs,
                                     std::vector<std::string> outputs) {
    std::lock_guard guard(mutex_);
    inputs_ = std::move(inputs);
    outputs_ = std::move(outputs);
}

void ScriptedMidiService::setLives(std::vector<std::uint64_t> inputs,
                                   std::vector<std::uint64_t> outputs) {
    std::lock_guard guard(mutex_);
    inputLives_ = std::move(inputs);
    outputLives_ = std::move(outputs);
}

DeviceListing ScriptedMidiService::listDevices() {
    DeviceListing listing = MidiService::listDevices();
    std::lock_guard guard(mutex_);
    for (std::size_t i = 0; i < listing.inputs.size() && i < inputLives_.size(); ++i) {
        listing.inputs[i].life = inputLives_[i];
    }
    for (std::size_t i = 0; i < listing.outputs.size() && i < outputLives_.size(); ++i) {
        listing.outputs[i].life = outputLives_[i];
    }
    return listing;
}

std::shared_ptr<ScriptedMidiService::OpenInput> ScriptedMidiService::firstInput() const {
    const auto inputs = openInputs_.entries();
    return inputs.empty() ? nullptr : inputs.front();
}

bool ScriptedMidiService::inject(const std::vector<unsigned char>& bytes) {
    const auto input = firstInput();
    return input && input->delivery.receive(bytes.data(), bytes.size());
}

void ScriptedMidiService::injectError(MidiResult code) {
    if (const auto input = firstInput()) {
        input->delivery.reportError(code);
    }
}

bool ScriptedMidiService::waitDelivered(int timeoutMs) {
    const auto input = firstInput();
    return !input || input->delivery.waitIdle(timeoutMs);
}

bool ScriptedMidiService::inputOpen() const {
    return firstInput() != nullptr;
}

std::size_t ScriptedMidiService::queuedInputBuffers() const {
    const auto input = firstInput();
    return input ? input->delivery.queuedBuffers() : 0;
}

MidiResult ScriptedMidiService::record(const std::string& name, const std::string& detail) {
    std::lock_guard guard(mutex_);
    calls_.push_back(detail.empty() ? name : name + " " + detail);
    auto it = failures_.find(name);
    if (it == failures_.end() || it->second == 0) {
        return midiresult::Ok;
    }
    if (it->second > 0) {
        --it->second;
    }
    return failureCodes_[name];
}

unsigned ScriptedMidiService::inGetNumDevs() {
    std::lock_guard guard(mutex_);
    return static_cast<unsigned>(inputs_.size());
}

MidiResult ScriptedMidiService::inGetDevName(unsigned device, std::string& name) {
    std::lock_guard guard(mutex_);
    if (device >= inputs_.size()) {
        return midiresult::BadDeviceId;
    }
    name = inputs_[device];
    return midiresult::Ok;
}

MidiResult ScriptedMidiService::inOpen(MidiInHandle* handle, int device, MidiInCallback callback,
                                       std::uintptr_t instance) {
    if (MidiResult r = record("inOpen", std::to_string(device)); r != midiresult::Ok) {
        return r;
    }
    if (device < 0 || static_cast<std::size_t>(device) >= inGetNumDevs()) {
        return midiresult::BadDeviceId;
    }
    const MidiInHandle id = openInputs_.reserve();
    openInputs_.insert(id, std::make_shared<OpenInput>(id, callback, instance));
    *handle = id;
    return midiresult::Ok;
}

MidiResult ScriptedMidiService::inPrepareHeader(MidiInHandle handle, MidiHeader* header) {
    if (MidiResult r = record("inPrepareHeader"); r != midiresult::Ok) {
        return r;
    }
    return openInputs_.prepare(handle, header);
}

MidiResult ScriptedMidiService::inAddBuffer(MidiInHandle handle, MidiHeader* header) {
    if (MidiResult r = record("inAddBuffer"); r != midiresult::Ok) {
        return r;
    }
    return openInputs_.addBuffer(handle, header);
}

MidiResult ScriptedMidiService::inStart(MidiInHandle handle) {
    if (MidiResult r = record("inStart"); r != midiresult::Ok) {
        return r;
    }
    return openInputs_.start(handle);
}

MidiResult ScriptedMidiService::inStop(MidiInHandle handle) {
    if (MidiResult r = record("inStop"); r != midiresult::Ok) {
        return r;
    }
    return openInputs_.stop(handle);
}

MidiResult ScriptedMidiService::inReset(MidiInHandle handle) {
    if (MidiResult r = record("inReset"); r != midiresult::Ok) {
        return r;
    }
    return openInputs_.reset(handle);
}

MidiResult ScriptedMidiService::inUnprepareHeader(MidiInHandle handle, MidiHeader* header) {
    if (MidiResult r = record("inUnprepareHeader"); r != midiresult::Ok) {
        return r;
    }
    return openInputs_.unprepare(handle, header);
}

MidiResult ScriptedMidiService::inClose(MidiInHandle handle) {
    if (MidiResult r = record("inClose"); r != midiresult::Ok) {
        return r;
    }
    const auto input = openInputs_.take(handle);
    if (!input) {
        return midiresult::InvalidHandle;
    }
    input->delivery.shutdown();
    return midiresult::Ok;
}

unsigned ScriptedMidiService::outGetNumDevs() {
    std::lock_guard guard(mutex_);
    return static_cast<unsigned>(outputs_.size());
}

MidiResult ScriptedMidiService::outGetDevName(unsigned device, std::string& name) {
    std::lock_guard guard(mutex_);
    if (device >= outputs_.size()) {
        return midiresult::BadDeviceId;
    }
    name = outputs_[device];
    return midiresult::Ok;
}

MidiResult ScriptedMidiService::outOpen(MidiOutHandle* handle, int device) {
    if (MidiResult r = record("outOpen", std::to_string(device)); r != midiresult::Ok) {
        return r;
    }
    if (device < 0 || static_cast<std::size_t>(device) >= outGetNumDevs()) {
        return midiresult::BadDeviceId;
    }
    *handle = openOutputs_.add(std::make_shared<OpenOutput>(OpenOutput{device}));
    return midiresult::Ok;
}

MidiResult ScriptedMidiService::outShortMsg(MidiOutHandle handle, std::uint32_t message) {
    if (MidiResult r = record("outShortMsg"); r != midiresult::Ok) {
        return r;
    }
    std::lock_guard guard(mutex_);
    if (!openOutputs_.contains(handle)) {
        return midiresult::InvalidHandle;
    }
    const auto status = static_cast<unsigned char>(message & 0xFF);
    std::vector<unsigned char> bytes{status, static_cast<unsigned char>((message >> 8) & 0xFF)};
    const unsigned kind = status & 0xF0;
    if (kind != 0xC0 && kind != 0xD0) {
        bytes.push_back(static_cast<unsigned char>((message >> 16) & 0xFF));
    }
    sent_.push_back(std::move(bytes));
    sentIsLong_.push_back(false);
    return midiresult::Ok;
}

MidiResult ScriptedMidiService::outPrepareHeader(MidiOutHandle handle, MidiHeader* header) {
    if (MidiResult r = record("outPrepareHeader"); r != midiresult::Ok) {
        return r;
    }
    std::lock_guard guard(mutex_);
    if (!openOutputs_.contains(handle)) {
        return midiresult::InvalidHandle;
    }
    header->flags |= MHDR_PREPARED;
    return midiresult::Ok;
}

MidiResult ScriptedMidiService::outLongMsg(MidiOutHandle handle, MidiHeader* header) {
    if (MidiResult r = record("outLongMsg"); r != midiresult::Ok) {
        return r;
    }
    std::vector<unsigned char> bytes;
    std::function<void(const std::vector<unsigned char>&)> handler;
    {
        std::lock_guard guard(mutex_);
        if (!openOutputs_.contains(handle)) {
            return midiresult::InvalidHandle;
        }
        if ((header->flags & MHDR_PREPARED) == 0) {
            return midiresult::Unprepared;
        }
        bytes.assign(header->data, header->data + header->bufferLength);
        sent_.push_back(bytes);
        sentIsLong_.push_back(true);
        handler = onLongSent_;
    }
    if (handler) {
        handler(bytes);
    }
    return midiresult::Ok;
}

MidiResult ScriptedMidiService::outUnprepareHeader(MidiOutHandle handle, MidiHeader* header) {
    if (MidiResult r = record("outUnprepareHeader"); r != midiresult::Ok) {
        return r;
    }
    std::lock_guard guard(mutex_);
    if (!openOutputs_.contains(handle)) {
        return midiresult::InvalidHandle;
    }
    header->flags &= ~MHDR_PREPARED;
    return midiresult::Ok;
}

MidiResult ScriptedMidiService::outClose(MidiOutHandle handle) {
    if (MidiResult r = record("outClose"); r != midiresult::Ok) {
        return r;
    }
    return openOutputs_.erase(handle) ? midiresult::Ok : midiresult::InvalidHandle;
}

}  // namespace tessaline::test
