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

template <typename Call>
MidiResult ChainedMidiService::onInput(MidiInHandle handle, Call&& call) {
    const auto input = inputs_.find(handle);
    return input ? call(input->service(), input->inner()) : midiresult::InvalidHandle;
}

template <typename Call>
MidiResult ChainedMidiService::onOutput(MidiOutHandle handle, Call&& call) {
    const auto output = outputs_.find(handle);
    return output ? call(*output->service, output->inner) : midiresult::InvalidHandle;
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
    auto input = std::make_shared<InputRelay>(callback, instance);
    const MidiInHandle outer = inputs_.reserve();
    const MidiResult result = input->open(*service, local, outer);
    if (result != midiresult::Ok) {
        return result;
    }
    inputs_.insert(outer, std::move(input));
    *handle = outer;
    return midiresult::Ok;
}

MidiResult ChainedMidiService::inPrepareHeader(MidiInHandle handle, MidiHeader* header) {
    return onInput(handle, [header](MidiService& service, MidiInHandle inner) {
        return service.inPrepareHeader(inner, header);
    });
}

MidiResult ChainedMidiService::inAddBuffer(MidiInHandle handle, MidiHeader* header) {
    return onInput(handle, [header](MidiService& service, MidiInHandle inner) {
        return service.inAddBuffer(inner, header);
    });
}

MidiResult ChainedMidiService::inStart(MidiInHandle handle) {
    return onInput(handle,
                   [](MidiService& service, MidiInHandle inner) { return service.inStart(inner); });
}

MidiResult ChainedMidiService::inStop(MidiInHandle handle) {
    return onInput(handle,
                   [](MidiService& service, MidiInHandle inner) { return service.inStop(inner); });
}

MidiResult ChainedMidiService::inReset(MidiInHandle handle) {
    return onInput(handle,
                   [](MidiService& service, MidiInHandle inner) { return service.inReset(inner); });
}

MidiResult ChainedMidiService::inUnprepareHeader(MidiInHandle handle, MidiHeader* header) {
    return onInput(handle, [header](MidiService& service, MidiInHandle inner) {
        return service.inUnprepareHeader(inner, header);
    });
}

MidiResult ChainedMidiService::inClose(MidiInHandle handle) {
    const MidiResult result = onInput(
        handle, [](MidiService& service, MidiInHandle inner) { return service.inClose(inner); });
    if (result == midiresult::Ok) {
        // The inner close has ended its deliveries, so nothing uses the relay any more.
        inputs_.erase(handle);
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
    *handle = outputs_.add(std::make_shared<OpenOutput>(OpenOutput{service, inner}));
    return midiresult::Ok;
}

MidiResult ChainedMidiService::outShortMsg(MidiOutHandle handle, std::uint32_t message) {
    return onOutput(handle, [message](MidiService& service, MidiOutHandle inner) {
        return service.outShortMsg(inner, message);
    });
}

MidiResult ChainedMidiService::outPrepareHeader(MidiOutHandle handle, MidiHeader* header) {
    return onOutput(handle, [header](MidiService& service, MidiOutHandle inner) {
        return service.outPrepareHeader(inner, header);
    });
}

MidiResult ChainedMidiService::outLongMsg(MidiOutHandle handle, MidiHeader* header) {
    return onOutput(handle, [header](MidiService& service, MidiOutHandle inner) {
        return service.outLongMsg(inner, header);
    });
}

MidiResult ChainedMidiService::outUnprepareHeader(MidiOutHandle handle, MidiHeader* header) {
    return onOutput(handle, [header](MidiService& service, MidiOutHandle inner) {
        return service.outUnprepareHeader(inner, header);
    });
}

MidiResult ChainedMidiService::outClose(MidiOutHandle handle) {
    const MidiResult result = onOutput(
        handle, [](MidiService& service, MidiOutHandle inner) { return service.outClose(inner); });
    if (result == midiresult::Ok) {
        outputs_.erase(handle);
    }
    return result;
}

std::string ChainedMidiService::outGetErrorText(MidiResult code) {
    return services_[0]->outGetErrorText(code);
}

DeviceListing ChainedMidiService::listDevices() {
    DeviceListing listing = services_[0]->listDevices();
    DeviceListing rest = services_[1]->listDevices();
    listing.inputs.insert(listing.inputs.end(), rest.inputs.begin(), rest.inputs.end());
    listing.outputs.insert(listing.outputs.end(), rest.outputs.begin(), rest.outputs.end());
    return listing;
}

// The built-in virtual instruments never come or go, so the real devices' events say all.
bool ChainedMidiService::setDeviceChangeHandler(std::function<void()> handler) {
    const bool first = services_[0]->setDeviceChangeHandler(handler);
    const bool second = services_[1]->setDeviceChangeHandler(std::move(handler));
    return first || second;
}

}  // namespace tessaline
