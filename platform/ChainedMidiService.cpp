#include "platform/ChainedMidiService.h"

#include <utility>

namespace tessaline {

ChainedMidiService::ChainedMidiService(std::unique_ptr<MidiService> first,
                                       std::unique_ptr<MidiService> second)
    : services_{std::move(first), std::move(second)} {}

ChainedMidiService::~ChainedMidiService() {
    // The inner services end their delivery threads first; only then may the records that
    // those threads read go.
    services_[1].reset();
    services_[0].reset();
}

MidiService* ChainedMidiService::routeInput(int device, int& local) {
    if (device < 0) {
        return nullptr;
    }
    const unsigned count = services_[0]->inGetNumDevs();
    if (static_cast<unsigned>(device) < count) {
        local = device;
        return services_[0].get();
    }
    const unsigned rest = static_cast<unsigned>(device) - count;
    if (rest < services_[1]->inGetNumDevs()) {
        local = static_cast<int>(rest);
        return services_[1].get();
    }
    return nullptr;
}

MidiService* ChainedMidiService::routeOutput(int device, int& local) {
    if (device < 0) {
        return nullptr;
    }
    const unsigned count = services_[0]->outGetNumDevs();
    if (static_cast<unsigned>(device) < count) {
        local = device;
        return services_[0].get();
    }
    const unsigned rest = static_cast<unsigned>(device) - count;
    if (rest < services_[1]->outGetNumDevs()) {
        local = static_cast<int>(rest);
        return services_[1].get();
    }
    return nullptr;
}

ChainedMidiService::OpenInput* ChainedMidiService::findInput(MidiInHandle handle) {
    std::lock_guard guard(mutex_);
    auto it = inputs_.find(static_cast<std::uintptr_t>(handle));
    return it == inputs_.end() ? nullptr : it->second.get();
}

bool ChainedMidiService::findOutput(MidiOutHandle handle, OpenOutput& found) {
    std::lock_guard guard(mutex_);
    auto it = outputs_.find(static_cast<std::uintptr_t>(handle));
    if (it == outputs_.end()) {
        return false;
    }
    found = it->second;
    return true;
}

void ChainedMidiService::relayInput(MidiInHandle, unsigned message, std::uintptr_t instance,
                                    std::uintptr_t param1, std::uintptr_t param2) {
    const auto* input = reinterpret_cast<const OpenInput*>(instance);
    input->callback(input->outer, message, input->instance, param1, param2);
}

unsigned ChainedMidiService::inGetNumDevs() {
    return services_[0]->inGetNumDevs() + services_[1]->inGetNumDevs();
}

MidiResult ChainedMidiService::inGetDevName(unsigned device, std::string& name) {
    int local = 0;
    MidiService* service = routeInput(static_cast<int>(device), local);
    if (service == nullptr) {
        return midiresult::BadDeviceId;
    }
    return service->inGetDevName(static_cast<unsigned>(local), name);
}

MidiResult ChainedMidiService::inOpen(MidiInHandle* handle, int device, MidiInCallback callback,
                                      std::uintptr_t instance) {
    if (handle == nullptr || callback == nullptr) {
        return midiresult::InvalidParam;
    }
    *handle = MidiInHandle::None;
    int local = 0;
    MidiService* service = routeInput(device, local);
    if (service == nullptr) {
        return midiresult::BadDeviceId;
    }
    auto input = std::make_unique<OpenInput>();
    input->service = service;
    input->callback = callback;
    input->instance = instance;
    {
        std::lock_guard guard(mutex_);
        input->outer = static_cast<MidiInHandle>(nextHandle_++);
    }
    MidiInHandle inner = MidiInHandle::None;
    const MidiResult result = service->inOpen(&inner, local, &ChainedMidiService::relayInput,
                                              reinterpret_cast<std::uintptr_t>(input.get()));
    if (result != midiresult::Ok) {
        return result;
    }
    input->inner = inner;
    *handle = input->outer;
    std::lock_guard guard(mutex_);
    inputs_.emplace(static_cast<std::uintptr_t>(input->outer), std::move(input));
    return midiresult::Ok;
}

MidiResult ChainedMidiService::inPrepareHeader(MidiInHandle handle, MidiHeader* header) {
    OpenInput* input = findInput(handle);
    return input == nullptr ? midiresult::InvalidHandle
                            : input->service->inPrepareHeader(input->inner, header);
}

MidiResult ChainedMidiService::inAddBuffer(MidiInHandle handle, MidiHeader* header) {
    OpenInput* input = findInput(handle);
    return input == nullptr ? midiresult::InvalidHandle
                            : input->service->inAddBuffer(input->inner, header);
}

MidiResult ChainedMidiService::inStart(MidiInHandle handle) {
    OpenInput* input = findInput(handle);
    return input == nullptr ? midiresult::InvalidHandle : input->service->inStart(input->inner);
}

MidiResult ChainedMidiService::inStop(MidiInHandle handle) {
    OpenInput* input = findInput(handle);
    return input == nullptr ? midiresult::InvalidHandle : input->service->inStop(input->inner);
}

MidiResult ChainedMidiService::inReset(MidiInHandle handle) {
    OpenInput* input = findInput(handle);
    return input == nullptr ? midiresult::InvalidHandle : input->service->inReset(input->inner);
}

MidiResult ChainedMidiService::inUnprepareHeader(MidiInHandle handle, MidiHeader* header) {
    OpenInput* input = findInput(handle);
    return input == nullptr ? midiresult::InvalidHandle
                            : input->service->inUnprepareHeader(input->inner, header);
}

MidiResult ChainedMidiService::inClose(MidiInHandle handle) {
    OpenInput* input = findInput(handle);
    if (input == nullptr) {
        return midiresult::InvalidHandle;
    }
    const MidiResult result = input->service->inClose(input->inner);
    if (result == midiresult::Ok) {
        // The inner close has ended its deliveries, so nothing reads the record any more.
        std::lock_guard guard(mutex_);
        inputs_.erase(static_cast<std::uintptr_t>(handle));
    }
    return result;
}

std::string ChainedMidiService::inGetErrorText(MidiResult code) {
    return services_[0]->inGetErrorText(code);
}

unsigned ChainedMidiService::outGetNumDevs() {
    return services_[0]->outGetNumDevs() + services_[1]->outGetNumDevs();
}

MidiResult ChainedMidiService::outGetDevName(unsigned device, std::string& name) {
    int local = 0;
    MidiService* service = routeOutput(static_cast<int>(device), local);
    if (service == nullptr) {
        return midiresult::BadDeviceId;
    }
    return service->outGetDevName(static_cast<unsigned>(local), name);
}

bool ChainedMidiService::outIsVirtual(unsigned device) {
    int local = 0;
    MidiService* service = routeOutput(static_cast<int>(device), local);
    return service != nullptr && service->outIsVirtual(static_cast<unsigned>(local));
}

MidiResult ChainedMidiService::outOpen(MidiOutHandle* handle, int device) {
    if (handle == nullptr) {
        return midiresult::InvalidParam;
    }
    *handle = MidiOutHandle::None;
    int local = 0;
    MidiService* service = routeOutput(device, local);
    if (service == nullptr) {
        return midiresult::BadDeviceId;
    }
    MidiOutHandle inner = MidiOutHandle::None;
    const MidiResult result = service->outOpen(&inner, local);
    if (result != midiresult::Ok) {
        return result;
    }
    std::lock_guard guard(mutex_);
    const std::uintptr_t outer = nextHandle_++;
    outputs_[outer] = OpenOutput{service, inner};
    *handle = static_cast<MidiOutHandle>(outer);
    return midiresult::Ok;
}

MidiResult ChainedMidiService::outShortMsg(MidiOutHandle handle, std::uint32_t message) {
    OpenOutput output;
    return findOutput(handle, output) ? output.service->outShortMsg(output.inner, message)
                                      : midiresult::InvalidHandle;
}

MidiResult ChainedMidiService::outPrepareHeader(MidiOutHandle handle, MidiHeader* header) {
    OpenOutput output;
    return findOutput(handle, output) ? output.service->outPrepareHeader(output.inner, header)
                                      : midiresult::InvalidHandle;
}

MidiResult ChainedMidiService::outLongMsg(MidiOutHandle handle, MidiHeader* header) {
    OpenOutput output;
    return findOutput(handle, output) ? output.service->outLongMsg(output.inner, header)
                                      : midiresult::InvalidHandle;
}

MidiResult ChainedMidiService::outUnprepareHeader(MidiOutHandle handle, MidiHeader* header) {
    OpenOutput output;
    return findOutput(handle, output) ? output.service->outUnprepareHeader(output.inner, header)
                                      : midiresult::InvalidHandle;
}

MidiResult ChainedMidiService::outClose(MidiOutHandle handle) {
    OpenOutput output;
    if (!findOutput(handle, output)) {
        return midiresult::InvalidHandle;
    }
    const MidiResult result = output.service->outClose(output.inner);
    if (result == midiresult::Ok) {
        std::lock_guard guard(mutex_);
        outputs_.erase(static_cast<std::uintptr_t>(handle));
    }
    return result;
}

std::string ChainedMidiService::outGetErrorText(MidiResult code) {
    return services_[0]->outGetErrorText(code);
}

}  // namespace tessaline
