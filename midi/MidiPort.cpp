#include "midi/MidiPort.h"

#include "midi/DeviceWatch.h"

namespace tessaline {

namespace {

const std::string kEmptySection;

// Set while this thread runs the input callback, so that error boxes asked for there are handed
// over instead of waited on.
thread_local bool tlsInCallback = false;

struct CallbackScope {
    CallbackScope() { tlsInCallback = true; }
    ~CallbackScope() { tlsInCallback = false; }
    CallbackScope(const CallbackScope&) = delete;
    CallbackScope& operator=(const CallbackScope&) = delete;
};

}  // namespace

bool MidiPort::onCallbackThread() {
    return tlsInCallback;
}

MidiPort::MidiPort(const PortServices& services) : services_(services), pacer_(services.clock) {
    inHeader.data = inBuffer;
    inHeader.bufferLength = kInputBufferSize;
}

MidiPort::~MidiPort() {
    close();
}

void MidiPort::onLongMessage(const unsigned char* data, int length) {
    // A delivery of one byte has no second byte to look at.
    if (length >= 2 && isUniversalNonRealtime(data) && parseIdentityReply(data, length) != 0) {
        setConnected();
        postToMainWindow(WM_SYNTH_IDENTIFIED, 0, 0);
    }
}

int MidiPort::open(int identify) {
    close();
    identifyOnOpen = identify;
    const std::string name = deviceName();
    inDevice = services_.profile.readInt(kEmptySection, name + " In", 0);
    outDevice = services_.profile.readInt(kEmptySection, name + " Out", 0);
    loadSendSpeed(name);

    MidiService& midi = services_.midi;
    // One look at the lists: the numbers, the counts and the names below all count in it.
    const DeviceNames listed = listDeviceNames(midi);
    followStoredName(name + " In", listed.inputs, inDevice);
    followStoredName(name + " Out", listed.outputs, outDevice);
    if (!listed.outputs.empty()) {
        MidiOutHandle handle = MidiOutHandle::None;
        const MidiResult result = midi.outOpen(&handle, outDevice);
        if (result == midiresult::Ok) {
            midiOut = handle;
            outName_ = nameAt(listed.outputs, outDevice);
        }
        if (check(result, 0) != 0) {
            return 0;
        }
    }
    if (listed.inputs.empty()) {
        return 1;
    }
    MidiInHandle handle = MidiInHandle::None;
    const MidiResult result = midi.inOpen(&handle, inDevice, &MidiPort::midiInProc,
                                          reinterpret_cast<std::uintptr_t>(this));
    if (result == midiresult::Ok) {
        midiIn = handle;
        inName_ = nameAt(listed.inputs, inDevice);
    }
    if (check(result, 1) != 0) {
        return 0;
    }
    if (identify != 0 && startInput() != 0) {
        sendIdentityRequest();
    }
    return 1;
}

void MidiPort::close() {
    connected.store(0);
    MidiService& midi = services_.midi;
    if (midiIn != MidiInHandle::None) {
        // Every step runs even when an earlier one failed, each with its own box.
        check(midi.inReset(midiIn), 1);
        check(midi.inStop(midiIn), 1);
        check(midi.inUnprepareHeader(midiIn, &inHeader), 1);
        check(midi.inClose(midiIn), 1);
    }
    if (midiOut != MidiOutHandle::None) {
        check(midi.outClose(midiOut), 0);
    }
    midiIn = MidiInHandle::None;
    midiOut = MidiOutHandle::None;
    inName_.clear();
    outName_.clear();
    postToMainWindow(WM_PORTS_CLOSED, 0, 0);
}

int MidiPort::applySetup(int in, int out) {
    return applySetup(in, out, listDeviceNames(services_.midi));
}

int MidiPort::applySetup(int in, int out, const DeviceNames& listed) {
    inDevice = in;
    outDevice = out;
    const std::string name = deviceName();
    storeDevice(name + " In", listed.inputs, inDevice);
    storeDevice(name + " Out", listed.outputs, outDevice);
    return open(identifyOnOpen);
}

std::string MidiPort::nameAt(const std::vector<std::string>& names, int device) {
    return device >= 0 && static_cast<std::size_t>(device) < names.size()
               ? names[static_cast<std::size_t>(device)]
               : std::string();
}

void MidiPort::storeDevice(const std::string& key, const std::vector<std::string>& names,
                           int device) {
    const DeviceIdentity identity = identityOf(names, device);
    services_.profile.writeInt(kEmptySection, key, device);
    services_.profile.writeText(kEmptySection, key + kDeviceNameSuffix, identity.name);
    services_.profile.writeInt(kEmptySection, key + kDeviceOrderSuffix, identity.order);
}

void MidiPort::followStoredName(const std::string& key, const std::vector<std::string>& names,
                                int& device) {
    // Settings written before names were kept in their stable form still carry the
    // sequencer's numbers; findDevice reduces them.
    const DeviceIdentity stored{
        services_.profile.readText(kEmptySection, key + kDeviceNameSuffix, ""),
        services_.profile.readInt(kEmptySection, key + kDeviceOrderSuffix, 0)};
    if (stored.name.empty()) {
        return;  // no name stored: the number is all there is
    }
    // A device not listed now leaves the number as it was stored.
    const int now = findDevice(names, stored);
    if (now >= 0) {
        device = now;
    }
}

void MidiPort::runSetupDialog() {
    if (setupRunner_ == nullptr) {
        return;
    }
    int in = inDevice;
    int out = outDevice;
    if (setupRunner_->run(*this, in, out)) {
        applySetup(in, out);
    }
}

int MidiPort::startInput() {
    MidiService& midi = services_.midi;
    if (check(midi.inPrepareHeader(midiIn, &inHeader), 1) != 0) {
        return 0;
    }
    if (check(midi.inAddBuffer(midiIn, &inHeader), 1) != 0) {
        return 0;
    }
    if (check(midi.inStart(midiIn), 1) != 0) {
        return 0;
    }
    return 1;
}

int MidiPort::requeueInput() {
    MidiService& midi = services_.midi;
    if (check(midi.inPrepareHeader(midiIn, &inHeader), 1) != 0) {
        return 0;
    }
    if (check(midi.inAddBuffer(midiIn, &inHeader), 1) != 0) {
        return 0;
    }
    return 1;
}

int MidiPort::check(MidiResult result, int input) {
    lastResult.store(result);
    if (result == midiresult::Ok) {
        return 0;
    }
    const std::string text =
        input != 0 ? services_.midi.inGetErrorText(result) : services_.midi.outGetErrorText(result);
    const char* caption = input != 0 ? kMidiInErrorCaption : kMidiOutErrorCaption;
    // The callback thread never waits on a box: input would stall and close could deadlock.
    if (onCallbackThread()) {
        services_.boxes.showLater(text, caption, BoxIcon::Error);
    } else {
        services_.boxes.show(text, caption, BoxIcon::Error);
    }
    return 1;
}

int MidiPort::reportError(int input) {
    const MidiResult result = lastResult.load();
    if (result == midiresult::Ok) {
        return 0;
    }
    return check(result, input);
}

int MidiPort::sendLong(const unsigned char* data, int length) {
    MidiHeader header;
    header.data = const_cast<unsigned char*>(data);
    header.bufferLength = length > 0 ? static_cast<unsigned>(length) : 0;
    MidiService& midi = services_.midi;
    if (check(midi.outPrepareHeader(midiOut, &header), 0) != 0) {
        return 1;
    }
    waitTurn(header.bufferLength);
    const MidiResult sent = midi.outLongMsg(midiOut, &header);
    pacer_.afterSend();
    if (check(sent, 0) != 0) {
        return 1;
    }
    if (check(midi.outUnprepareHeader(midiOut, &header), 0) != 0) {
        return 1;
    }
    return 0;
}

void MidiPort::sendControlChange(int controller, int value, int channel) {
    const auto message = static_cast<std::uint32_t>(
        ((0xB0 + channel) & 0xFF) | ((controller & 0xFF) << 8) | ((value & 0xFF) << 16));
    waitTurn(3);
    services_.midi.outShortMsg(midiOut, message);  // short-message failures stay silent
    pacer_.afterSend();
}

void MidiPort::sendProgramChange(int program, int channel) {
    const auto message =
        static_cast<std::uint32_t>(((0xC0 + channel) & 0xFF) | ((program & 0xFF) << 8));
    waitTurn(2);
    services_.midi.outShortMsg(midiOut, message);
    pacer_.afterSend();
}

SendSpeed MidiPort::sendSpeed() {
    // The ports open before the instrument has named itself; its model's speed applies from
    // the moment it has.
    const std::string name = deviceName();
    if (name != speedModel_) {
        loadSendSpeed(name);
    }
    return pacer_.speed();
}

void MidiPort::setSendSpeed(const SendSpeed& speed) {
    speedChosen_ = true;
    pacer_.setSpeed(speed);
}

void MidiPort::loadSendSpeed(const std::string& modelName) {
    const bool isVirtual =
        outDevice >= 0 && services_.midi.outIsVirtual(static_cast<unsigned>(outDevice));
    speedModel_ = modelName;
    if (!speedChosen_) {
        pacer_.setSpeed(readSendSpeed(services_.profile, modelName,
                                      isVirtual ? SendSpeed::fast() : SendSpeed::cable()));
    }
}

void MidiPort::waitTurn(std::size_t bytes) {
    sendSpeed();
    pacer_.beforeSend(bytes);
}

void MidiPort::selectProgram(int program, int bank) {
    if (bank != -1) {
        sendControlChange(0, (bank >> 7) & 0x7F, 0);
        sendControlChange(32, bank & 0x7F, 0);
    }
    sendProgramChange(program, 0);
}

int MidiPort::isUniversalNonRealtime(const unsigned char* data) {
    return data != nullptr && data[0] == 0xF0 && data[1] == 0x7E ? 1 : 0;
}

void MidiPort::postToMainWindow(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                                WindowTarget target) {
    services_.poster.post(message, wParam, lParam, target);
}

std::string MidiPort::deviceName() const {
    std::lock_guard guard(inputLock);
    return displayName;
}

std::string MidiPort::modelIdText() const {
    std::lock_guard guard(inputLock);
    return modelId;
}

int MidiPort::bankCount() const {
    std::lock_guard guard(inputLock);
    return static_cast<int>(banks.size());
}

std::optional<BankEntry> MidiPort::bankAt(int index) const {
    std::lock_guard guard(inputLock);
    if (index < 0 || index >= static_cast<int>(banks.size())) {
        return std::nullopt;
    }
    return banks[static_cast<std::size_t>(index)];
}

std::vector<BankEntry> MidiPort::bankList() const {
    std::lock_guard guard(inputLock);
    return banks;
}

void MidiPort::midiInProc(MidiInHandle, unsigned message, std::uintptr_t instance,
                          std::uintptr_t param1, std::uintptr_t) {
    auto* port = reinterpret_cast<MidiPort*>(instance);
    if (port == nullptr) {
        return;
    }
    std::lock_guard guard(port->inputLock);
    CallbackScope scope;
    // What the service says went wrong with the input (a message overran its limit, the MIDI
    // server stopped) is told like any other input failure.
    if (message == MIM_ERROR) {
        port->check(static_cast<MidiResult>(param1), 1);
        return;
    }
    if (message != MIM_LONGDATA) {
        return;
    }
    const auto* header = reinterpret_cast<const MidiHeader*>(param1);
    if (header == nullptr || header->bytesRecorded == 0) {
        return;  // returned by a reset: neither delivered nor queued again
    }
    port->onLongMessage(header->data, static_cast<int>(header->bytesRecorded));
    port->requeueInput();
}

}  // namespace tessaline
