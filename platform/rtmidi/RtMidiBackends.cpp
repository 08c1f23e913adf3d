#include "platform/rtmidi/RtMidiBackends.h"

#include <RtMidi.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "platform/rtmidi/MidiApiChoice.h"

#if defined(__linux__)
#include <unistd.h>
#endif
#if defined(TESSALINE_HAVE_JACK)
#include "platform/rtmidi/JackBackend.h"
#endif
#if defined(TESSALINE_HAVE_ALSA)
#include "platform/rtmidi/AlsaPortWatch.h"
#include "platform/rtmidi/AlsaSeqInput.h"
#include "platform/rtmidi/AlsaSeqOutput.h"
#endif

namespace tessaline {

namespace {

constexpr int kEnumerateWaitMs = 2000;
constexpr const char* kInputPortName = "MIDI In";
constexpr const char* kOutputPortName = "MIDI Out";

MidiResult resultForError(RtMidiError::Type type, bool opening) {
    switch (type) {
        case RtMidiError::INVALID_DEVICE:
        case RtMidiError::INVALID_PARAMETER:
        case RtMidiError::NO_DEVICES_FOUND:
            return opening ? midiresult::BadDeviceId : midiresult::InvalidParam;
        case RtMidiError::MEMORY_ERROR:
            return midiresult::NoMemory;
        case RtMidiError::DRIVER_ERROR:
        case RtMidiError::SYSTEM_ERROR:
        case RtMidiError::THREAD_ERROR:
            return opening ? midiresult::NotEnabled : midiresult::Error;
        default:
            return midiresult::Error;
    }
}

// Collects what RtMidi reports through its error callback instead of printing or throwing.
// Only the thread that makes the call reads it.
struct ErrorRecord {
    bool failed = false;
    RtMidiError::Type type = RtMidiError::UNSPECIFIED;

    static void record(RtMidiError::Type type, const std::string&, void* self) {
        if (type == RtMidiError::DEBUG_WARNING) {
            return;
        }
        auto* record = static_cast<ErrorRecord*>(self);
        record->failed = true;
        record->type = type;
    }
    void clear() {
        failed = false;
        type = RtMidiError::UNSPECIFIED;
    }
};

// A listing has nothing to report: a port that cannot be named is simply not listed. Without a
// callback RtMidi would print its warnings.
void ignoreError(RtMidiError::Type, const std::string&, void*) {}

template <typename Port>
std::vector<std::string> portNames(Port& port) {
    std::vector<std::string> names;
    const unsigned count = port.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        names.push_back(port.getPortName(i));
    }
    return names;
}

template <typename Port>
bool findPort(Port& port, const std::string& name, unsigned& index) {
    const std::vector<std::string> names = portNames(port);
    auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end()) {
        return false;
    }
    index = static_cast<unsigned>(it - names.begin());
    return true;
}

class RtMidiBackend;

class RtInput final : public BackendInput {
  public:
    RtInput(std::shared_ptr<RtMidiBackend> backend, std::unique_ptr<RtMidiIn> port)
        : backend_(std::move(backend)), port_(std::move(port)) {}
    // Closing ends RtMidi's input thread; only then may the sink go.
    ~RtInput() override { port_->closePort(); }

    static void onMessage(double, std::vector<unsigned char>* message, void* sink) {
        if (message != nullptr && !message->empty()) {
            static_cast<InputSink*>(sink)->receive(message->data(), message->size());
        }
    }

  private:
    std::shared_ptr<RtMidiBackend> backend_;
    std::unique_ptr<RtMidiIn> port_;
};

// The MIDI systems RtMidi serves for us: the ALSA sequencer on Linux, CoreMIDI and WinMM
// elsewhere. JACK has a backend of its own (JackBackend.h).
class RtMidiBackend final : public MidiBackend, public std::enable_shared_from_this<RtMidiBackend> {
  public:
    RtMidiBackend(RtMidi::Api api, std::string clientName)
        : api_(api), clientName_(std::move(clientName)) {
#if defined(TESSALINE_HAVE_ALSA)
        if (api_ == RtMidi::LINUX_ALSA) {
            watch_ = AlsaPortWatch::open(clientName_ + " watch");
        }
#endif
    }

    std::string apiName() const override {
        return RtMidi::getApiName(api_);
    }

    bool targetPresent(const std::string& name, RtMidiOut& own) {
        // The port's own list is fresh on every call. Only outputs of systems that announce
        // nothing come here: ALSA has an output of its own (AlsaSeqOutput.h).
        unsigned index = 0;
        return findPort(own, name, index);
    }

    std::vector<std::string> inputNames() override {
        return names(true);
    }
    std::vector<std::string> outputNames() override {
        return names(false);
    }

    DeviceListing listPorts() override {
#if defined(TESSALINE_HAVE_ALSA)
        if (watch_) {
            return watch_->list(
                [this](const std::string& name) { return isPortOfClient(name, clientName_); });
        }
#endif
        return MidiBackend::listPorts();
    }

    bool watchPorts(std::function<void()> changed) override {
#if defined(TESSALINE_HAVE_ALSA)
        if (watch_) {
            watch_->setChangeHandler(std::move(changed));
            return true;
        }
#endif
        (void)changed;
        return false;
    }

    MidiResult openInput(const std::string& name, InputSink& sink,
                         std::unique_ptr<BackendInput>& input) override {
#if defined(TESSALINE_HAVE_ALSA)
        // RtMidi's ALSA input joins a System Exclusive message without limit before we see it.
        if (api_ == RtMidi::LINUX_ALSA) {
            MidiResult result = midiresult::Error;
            input = AlsaSeqInput::open(clientName_, kInputPortName, name, sink, result);
            return result;
        }
#endif
        ErrorRecord errors;
        try {
            auto port = std::make_unique<RtMidiIn>(api_, clientName_);
            port->setErrorCallback(&ErrorRecord::record, &errors);
            unsigned index = 0;
            if (!findPort(*port, name, index)) {
                return midiresult::DeviceGone;
            }
            port->ignoreTypes(false, true, true);
            port->setCallback(&RtInput::onMessage, &sink);
            port->openPort(index, kInputPortName);
            if (errors.failed) {
                return resultForError(errors.type, true);
            }
            // From here on RtMidi must not call back into a record on this stack.
            port->setErrorCallback(nullptr, nullptr);
            input = std::make_unique<RtInput>(shared_from_this(), std::move(port));
            return midiresult::Ok;
        } catch (const RtMidiError& error) {
            return resultForError(error.getType(), true);
        } catch (const std::bad_alloc&) {
            return midiresult::NoMemory;
        }
    }

    MidiResult openOutput(const std::string& name, std::unique_ptr<BackendOutput>& output) override;

  private:
    std::vector<std::string> names(bool inputs) {
        std::unique_lock guard(probeMutex_, std::chrono::milliseconds(kEnumerateWaitMs));
        if (!guard.owns_lock()) {
            return {};
        }
        try {
            std::vector<std::string> all;
            if (inputs) {
                if (!probeIn_) {
                    probeIn_ = std::make_unique<RtMidiIn>(api_, clientName_);
                    probeIn_->setErrorCallback(&ignoreError, nullptr);
                }
                all = portNames(*probeIn_);
            } else {
                if (!probeOut_) {
                    probeOut_ = std::make_unique<RtMidiOut>(api_, clientName_);
                    probeOut_->setErrorCallback(&ignoreError, nullptr);
                }
                all = portNames(*probeOut_);
            }
            std::vector<std::string> listed;
            for (std::string& portName : all) {
                if (!portName.empty() && !isPortOfClient(portName, clientName_)) {
                    listed.push_back(std::move(portName));
                }
            }
            return listed;
        } catch (const RtMidiError&) {
            return {};
        }
    }

    RtMidi::Api api_;
    std::string clientName_;
#if defined(TESSALINE_HAVE_ALSA)
    std::unique_ptr<AlsaPortWatch> watch_;  // null where the sequencer refuses it
#endif
    std::timed_mutex probeMutex_;
    std::unique_ptr<RtMidiIn> probeIn_;
    std::unique_ptr<RtMidiOut> probeOut_;
};

// ALSA's sequencer refuses an event while its output pool is full; RtMidi then reports a
// warning and has sent nothing of that message. We wait for room and try again.
class RtOutput final : public BackendOutput {
  public:
    RtOutput(std::shared_ptr<RtMidiBackend> backend, std::unique_ptr<RtMidiOut> port,
             std::string target, std::size_t maxLength)
        : backend_(std::move(backend)),
          port_(std::move(port)),
          target_(std::move(target)),
          maxLength_(maxLength) {
        port_->setErrorCallback(&ErrorRecord::record, &errors_);
    }
    ~RtOutput() override { port_->closePort(); }

    MidiResult send(const unsigned char* data, std::size_t length, PendingSend& pending) override {
        if (length > maxLength_) {
            return midiresult::InvalidParam;
        }
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kSendRoomWaitMs);
        auto pause = std::chrono::milliseconds(1);
        for (;;) {
            // A device that went away takes no more messages.
            if (!backend_->targetPresent(target_, *port_)) {
                return midiresult::DeviceGone;
            }
            if (!pending.take()) {
                return midiresult::TimedOut;
            }
            errors_.clear();
            try {
                port_->sendMessage(data, length);
            } catch (const RtMidiError& error) {
                return resultForError(error.getType(), false);
            }
            if (!errors_.failed) {
                return midiresult::Ok;
            }
            if (errors_.type != RtMidiError::WARNING ||
                std::chrono::steady_clock::now() >= deadline) {
                return errors_.type == RtMidiError::WARNING ? midiresult::TimedOut
                                                            : resultForError(errors_.type, false);
            }
            pending.putBack();
            std::this_thread::sleep_for(pause);
            pause = std::min(pause * 2, std::chrono::milliseconds(16));
        }
    }

    int longestWaitMs() const override { return kSendRoomWaitMs; }

  private:
    std::shared_ptr<RtMidiBackend> backend_;
    std::unique_ptr<RtMidiOut> port_;
    std::string target_;
    std::size_t maxLength_;
    ErrorRecord errors_;
};

MidiResult RtMidiBackend::openOutput(const std::string& name,
                                     std::unique_ptr<BackendOutput>& output) {
#if defined(TESSALINE_HAVE_ALSA)
    // RtMidi's ALSA output reports Ok for what the sequencer refused or still holds.
    if (api_ == RtMidi::LINUX_ALSA) {
        MidiResult result = midiresult::Error;
        output = AlsaSeqOutput::open(clientName_, kOutputPortName, name, result);
        return result;
    }
#endif
    ErrorRecord errors;
    try {
        auto port = std::make_unique<RtMidiOut>(api_, clientName_);
        port->setErrorCallback(&ErrorRecord::record, &errors);
        unsigned index = 0;
        if (!findPort(*port, name, index)) {
            return midiresult::DeviceGone;
        }
        port->openPort(index, kOutputPortName);
        if (errors.failed) {
            return resultForError(errors.type, true);
        }
        constexpr std::size_t kMaxLength = 65536;
        output = std::make_unique<RtOutput>(shared_from_this(), std::move(port), name, kMaxLength);
        return midiresult::Ok;
    } catch (const RtMidiError& error) {
        return resultForError(error.getType(), true);
    } catch (const std::bad_alloc&) {
        return midiresult::NoMemory;
    }
}

// Whether this API can start here at all, asked without letting RtMidi or the library below
// print anything about a system that is simply not there.
bool apiPresent(RtMidi::Api api) {
#if defined(__linux__)
    if (api == RtMidi::LINUX_ALSA) {
        return access("/dev/snd/seq", R_OK | W_OK) == 0;
    }
#endif
    // JACK is served by a backend of our own, never through RtMidi.
    return api != RtMidi::RTMIDI_DUMMY && api != RtMidi::UNIX_JACK;
}

}  // namespace

bool isPortOfClient(const std::string& portName, const std::string& clientName) {
    const std::size_t colon = portName.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    const std::string client = portName.substr(0, colon);
    if (client == clientName) {
        return true;
    }
    if (client.size() <= clientName.size() + 1 ||
        client.compare(0, clientName.size(), clientName) != 0 || client[clientName.size()] != '-') {
        return false;
    }
    return std::all_of(client.begin() + static_cast<long>(clientName.size()) + 1, client.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

std::vector<std::string> compiledMidiApis() {
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    std::vector<std::string> names;
    for (RtMidi::Api api : apis) {
        if (api != RtMidi::RTMIDI_DUMMY) {
            names.push_back(RtMidi::getApiName(api));
        }
    }
    return names;
}

std::vector<BackendStarter> rtMidiBackendStarters(const std::vector<std::string>& apis,
                                                  const std::string& clientName) {
    std::vector<BackendStarter> starters;
    for (const std::string& name : apis) {
        const RtMidi::Api api = RtMidi::getCompiledApiByName(name);
        if (api == RtMidi::UNSPECIFIED) {
            continue;
        }
        if (api == RtMidi::UNIX_JACK) {
#if defined(TESSALINE_HAVE_JACK)
            starters.push_back([clientName] { return startJackBackend(clientName); });
#endif
            continue;
        }
        starters.push_back([api, clientName]() -> std::shared_ptr<MidiBackend> {
            if (!apiPresent(api)) {
                return nullptr;
            }
            auto backend = std::make_shared<RtMidiBackend>(api, clientName);
            // Starting means RtMidi can make a client of this API; it throws when it cannot.
            RtMidiIn probe(api, clientName);
            (void)probe;
            return backend;
        });
    }
    return starters;
}

std::unique_ptr<RtMidiService> makeRtMidiService(RtMidiServiceOptions options) {
    const std::vector<std::string> apis =
        chooseMidiApis(std::getenv(kMidiApiVariable), compiledMidiApis());
    return std::make_unique<RtMidiService>(rtMidiBackendStarters(apis), options);
}

}  // namespace tessaline
