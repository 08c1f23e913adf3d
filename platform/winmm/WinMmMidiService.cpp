#include "platform/winmm/WinMmMidiService.h"

#include <algorithm>
#include <cstring>

#include "platform/OutputHeaders.h"
#include "platform/winmm/WinMmApi.h"
#include "platform/winmm/WinMmInput.h"
#include "platform/winmm/WinMmOutput.h"
#include "platform/winmm/WinMmResults.h"

namespace tessaline {

namespace {

template <typename Caps>
std::string deviceName(const Caps& caps) {
    return std::string(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname));
}

// A port that WinMM would not let go of may still be written into or called back: it stays
// alive, on purpose, for the rest of the process. It happens only when a driver keeps a buffer
// past every reset.
template <typename Port>
void leaveBehind(const std::shared_ptr<Port>& port) {
    new std::shared_ptr<Port>(port);
}

}  // namespace

WinMmMidiService::WinMmMidiService(WinMmServiceOptions options)
    : options_(options),
      ownApi_(options.api != nullptr ? nullptr : std::make_unique<SystemWinMmApi>()),
      ownClock_(options.clock != nullptr ? nullptr : std::make_unique<SystemClock>()),
      api_(options.api != nullptr ? *options.api : *ownApi_),
      clock_(options.clock != nullptr ? *options.clock : *ownClock_) {}

WinMmMidiService::~WinMmMidiService() {
    for (const auto& input : inputs_.takeAll()) {
        closeInput(input);
    }
    for (const auto& output : outputs_.takeAll()) {
        closeOutput(output);
    }
}

unsigned WinMmMidiService::inGetNumDevs() {
    return std::min<unsigned>(api_.inGetNumDevs(), kMaxListedDevices);
}

MidiResult WinMmMidiService::inGetDevName(unsigned device, std::string& name) {
    if (device >= inGetNumDevs()) {
        return midiresult::BadDeviceId;
    }
    MIDIINCAPSA caps{};
    const MMRESULT result = api_.inGetDevCaps(device, &caps);
    if (result != MMSYSERR_NOERROR) {
        return fromWinMm(result);
    }
    name = deviceName(caps);
    return midiresult::Ok;
}

MidiResult WinMmMidiService::inOpen(MidiInHandle* handle, int device, MidiInCallback callback,
                                    std::uintptr_t instance) {
    if (handle == nullptr || callback == nullptr) {
        return midiresult::InvalidParam;
    }
    *handle = MidiInHandle::None;
    if (device < 0) {
        return midiresult::BadDeviceId;  // WinMM would take -1 for its mapper
    }
    const MidiInHandle id = inputs_.reserve();
    const WinMmInput::Limits limits{options_.inputBuffers, options_.maxSysExLength,
                                    options_.closeTimeoutMs};
    auto input = std::make_shared<WinMmInput>(api_, clock_, limits, id, callback, instance);
    const MidiResult result = input->open(static_cast<UINT>(device));
    if (result != midiresult::Ok) {
        return result;
    }
    inputs_.insert(id, input);
    *handle = id;
    return midiresult::Ok;
}

MidiResult WinMmMidiService::inPrepareHeader(MidiInHandle handle, MidiHeader* header) {
    return inputs_.prepare(handle, header);
}

MidiResult WinMmMidiService::inAddBuffer(MidiInHandle handle, MidiHeader* header) {
    return inputs_.addBuffer(handle, header);
}

MidiResult WinMmMidiService::inStart(MidiInHandle handle) {
    const auto input = inputs_.find(handle);
    return input ? input->start() : midiresult::InvalidHandle;
}

MidiResult WinMmMidiService::inStop(MidiInHandle handle) {
    const auto input = inputs_.find(handle);
    return input ? input->stop() : midiresult::InvalidHandle;
}

MidiResult WinMmMidiService::inReset(MidiInHandle handle) {
    const auto input = inputs_.find(handle);
    return input ? input->reset() : midiresult::InvalidHandle;
}

MidiResult WinMmMidiService::inUnprepareHeader(MidiInHandle handle, MidiHeader* header) {
    return inputs_.unprepare(handle, header);
}

MidiResult WinMmMidiService::closeInput(const std::shared_ptr<WinMmInput>& input) {
    const MidiResult result = input->close();
    if (result != midiresult::Ok) {
        leaveBehind(input);
    }
    return result;
}

MidiResult WinMmMidiService::inClose(MidiInHandle handle) {
    const auto input = inputs_.take(handle);
    return input ? closeInput(input) : midiresult::InvalidHandle;
}

std::string WinMmMidiService::inGetErrorText(MidiResult code) {
    return winMmErrorText(api_, code, true);
}

unsigned WinMmMidiService::outGetNumDevs() {
    return std::min<unsigned>(api_.outGetNumDevs(), kMaxListedDevices);
}

MidiResult WinMmMidiService::outGetDevName(unsigned device, std::string& name) {
    if (device >= outGetNumDevs()) {
        return midiresult::BadDeviceId;
    }
    MIDIOUTCAPSA caps{};
    const MMRESULT result = api_.outGetDevCaps(device, &caps);
    if (result != MMSYSERR_NOERROR) {
        return fromWinMm(result);
    }
    name = deviceName(caps);
    return midiresult::Ok;
}

MidiResult WinMmMidiService::outOpen(MidiOutHandle* handle, int device) {
    if (handle == nullptr) {
        return midiresult::InvalidParam;
    }
    *handle = MidiOutHandle::None;
    if (device < 0) {
        return midiresult::BadDeviceId;  // WinMM would take -1 for its mapper
    }
    const WinMmOutput::Limits limits{options_.sendTimeoutMs, options_.withdrawTimeoutMs};
    auto output = std::make_shared<WinMmOutput>(api_, clock_, limits);
    const MidiResult result = output->open(static_cast<UINT>(device));
    if (result != midiresult::Ok) {
        return result;
    }
    *handle = outputs_.add(output);
    return midiresult::Ok;
}

MidiResult WinMmMidiService::outShortMsg(MidiOutHandle handle, std::uint32_t message) {
    const auto output = outputs_.find(handle);
    return output ? output->sendShort(message) : midiresult::InvalidHandle;
}

// The port's header is ours, not WinMM's: each long send goes out from a buffer of its own.
// Preparing only checks the header and marks it.
MidiResult WinMmMidiService::outPrepareHeader(MidiOutHandle handle, MidiHeader* header) {
    if (!outputs_.find(handle)) {
        return midiresult::InvalidHandle;
    }
    return prepareOutputHeader(header);
}

MidiResult WinMmMidiService::outLongMsg(MidiOutHandle handle, MidiHeader* header) {
    const auto output = outputs_.find(handle);
    if (!output) {
        return midiresult::InvalidHandle;
    }
    return sendFromOutputHeader(header, [&output](const unsigned char* data, std::size_t length) {
        return output->sendLong(data, length);
    });
}

MidiResult WinMmMidiService::outUnprepareHeader(MidiOutHandle handle, MidiHeader* header) {
    if (!outputs_.find(handle)) {
        return midiresult::InvalidHandle;
    }
    return unprepareOutputHeader(header);
}

MidiResult WinMmMidiService::closeOutput(const std::shared_ptr<WinMmOutput>& output) {
    const MidiResult result = output->close();
    if (result != midiresult::Ok) {
        leaveBehind(output);
    }
    return result;
}

MidiResult WinMmMidiService::outClose(MidiOutHandle handle) {
    const auto output = outputs_.take(handle);
    return output ? closeOutput(output) : midiresult::InvalidHandle;
}

std::string WinMmMidiService::outGetErrorText(MidiResult code) {
    return winMmErrorText(api_, code, false);
}

std::unique_ptr<MidiService> makeWinMmMidiService(WinMmServiceOptions options) {
    return std::make_unique<WinMmMidiService>(options);
}

}  // namespace tessaline
