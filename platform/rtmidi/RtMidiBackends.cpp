#include "platform/rtmidi/RtMidiBackends.h"

#include <RtMidi.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>

#include "platform/rtmidi/MidiApiChoice.h"

#if defined(__linux__)
#include <unistd.h>
#endif
#if defined(TESSALINE_HAVE_JACK)
#include "platform/rtmidi/JackMonitor.h"
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

// Closes an RtMidi port, unless its JACK server has gone: the JACK library crashes when a
// client of a dead server is closed, so such a port is left as it is (its memory is lost, its
// threads have ended with the server).
template <typename Port>
void closeOrAbandon(std::unique_ptr<Port>& port, bool serverGone) {
    if (!port) {
        return;
    }
    if (serverGone) {
        (void)port.release();
        return;
    }
    port->closePort();
    port.reset();
}

bool jackServerGone(const std::shared_ptr<RtMidiBackend>& backend, unsigned generation);

class RtInput final : public BackendInput {
  public:
    RtInput(std::shared_ptr<RtMidiBackend> backend, std::unique_ptr<RtMidiIn> port,
            unsigned generation)
        : backend_(std::move(backend)), port_(std::move(port)), generation_(generation) {}
    ~RtInput() override {
        // Closing ends RtMidi's input thread (ALSA) or its process callback (JACK, with the
        // client); only then may the sink go. A dead server calls back no more either.
        closeOrAbandon(port_, jackServerGone(backend_, generation_));
    }

    static void onMessage(double, std::vector<unsigned char>* message, void* sink) {
        if (message != nullptr && !message->empty()) {
            static_cast<InputSink*>(sink)->receive(message->data(), message->size());
        }
    }

  private:
    std::shared_ptr<RtMidiBackend> backend_;
    std::unique_ptr<RtMidiIn> port_;
    unsigned generation_;
};

class RtMidiBackend final : public MidiBackend, public std::enable_shared_from_this<RtMidiBackend> {
  public:
    RtMidiBackend(RtMidi::Api api, std::string clientName)
        : api_(api), clientName_(std::move(clientName)) {
#if defined(TESSALINE_HAVE_JACK)
        if (api_ == RtMidi::UNIX_JACK) {
            jack_ = std::make_unique<JackMonitor>(clientName_ + " monitor");
        }
#endif
    }

    std::string apiName() const override {
        return RtMidi::getApiName(api_);
    }

    // False when the MIDI system is not there: then the backend offers nothing.
    bool serverUp() {
#if defined(TESSALINE_HAVE_JACK)
        if (jack_) {
            return jack_->connect();
        }
#endif
        return true;
    }

    // The server's generation now; a port made under another one belongs to a dead server.
    unsigned generation() const {
#if defined(TESSALINE_HAVE_JACK)
        if (jack_) {
            return jack_->generation();
        }
#endif
        return 0;
    }

    bool serverGoneSince(unsigned generation) const {
#if defined(TESSALINE_HAVE_JACK)
        if (jack_) {
            return !jack_->alive() || jack_->generation() != generation;
        }
#endif
        (void)generation;
        return false;
    }

    bool targetPresent(const std::string& name, RtMidiOut& own) {
#if defined(TESSALINE_HAVE_JACK)
        if (jack_) {
            return jack_->portExists(name);
        }
#endif
        // The port's own list is fresh on every call (ALSA asks the sequencer each time).
        unsigned index = 0;
        return findPort(own, name, index);
    }

    std::vector<std::string> inputNames() override {
        return names(true);
    }
    std::vector<std::string> outputNames() override {
        return names(false);
    }

    MidiResult openInput(const std::string& name, InputSink& sink,
                         std::unique_ptr<BackendInput>& input) override {
        if (!serverUp()) {
            return midiresult::DeviceGone;
        }
        ErrorRecord errors;
        const unsigned generation = this->generation();
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
            input = std::make_unique<RtInput>(shared_from_this(), std::move(port), generation);
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
            const bool up = serverUp();
            // A server that went, or came back as a new one: RtMidi's clients of the old one
            // are dead.
            if (!up || serverGoneSince(probeGeneration_)) {
                closeOrAbandon(probeIn_, true);
                closeOrAbandon(probeOut_, true);
                probeGeneration_ = generation();
            }
            if (!up) {
                return {};
            }
            std::vector<std::string> all;
            if (inputs) {
                if (!probeIn_) {
                    probeIn_ = std::make_unique<RtMidiIn>(api_, clientName_);
                    probeIn_->setErrorCallback(&ErrorRecord::record, &probeErrors_);
                }
                all = portNames(*probeIn_);
            } else {
                if (!probeOut_) {
                    probeOut_ = std::make_unique<RtMidiOut>(api_, clientName_);
                    probeOut_->setErrorCallback(&ErrorRecord::record, &probeErrors_);
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
    std::timed_mutex probeMutex_;
    std::unique_ptr<RtMidiIn> probeIn_;
    std::unique_ptr<RtMidiOut> probeOut_;
    ErrorRecord probeErrors_;
    unsigned probeGeneration_ = 0;
#if defined(TESSALINE_HAVE_JACK)
    std::unique_ptr<JackMonitor> jack_;
#endif
};

class RtOutput final : public BackendOutput {
  public:
    RtOutput(std::shared_ptr<RtMidiBackend> backend, std::unique_ptr<RtMidiOut> port,
             std::string target, std::size_t maxLength, unsigned generation)
        : backend_(std::move(backend)),
          port_(std::move(port)),
          target_(std::move(target)),
          maxLength_(maxLength),
          generation_(generation) {
        port_->setErrorCallback(&ErrorRecord::record, &errors_);
    }
    ~RtOutput() override { closeOrAbandon(port_, jackServerGone(backend_, generation_)); }

    MidiResult send(const unsigned char* data, std::size_t length) override {
        if (length > maxLength_) {
            return midiresult::InvalidParam;
        }
        // A device that went away takes no more messages; on JACK this check is what keeps a
        // send out of RtMidi's endless wait on a server that is gone.
        if (!backend_->targetPresent(target_, *port_)) {
            return midiresult::DeviceGone;
        }
        errors_.clear();
        try {
            port_->sendMessage(data, length);
        } catch (const RtMidiError& error) {
            return resultForError(error.getType(), false);
        }
        return errors_.failed ? resultForError(errors_.type, false) : midiresult::Ok;
    }

  private:
    std::shared_ptr<RtMidiBackend> backend_;
    std::unique_ptr<RtMidiOut> port_;
    std::string target_;
    std::size_t maxLength_;
    unsigned generation_;
    ErrorRecord errors_;
};

bool jackServerGone(const std::shared_ptr<RtMidiBackend>& backend, unsigned generation) {
    return backend->serverGoneSince(generation);
}

MidiResult RtMidiBackend::openOutput(const std::string& name,
                                     std::unique_ptr<BackendOutput>& output) {
    if (!serverUp()) {
        return midiresult::DeviceGone;
    }
    ErrorRecord errors;
    const unsigned generation = this->generation();
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
        // RtMidi's JACK output drops, without a word, a message longer than its buffer of
        // 16 KiB; we refuse such a message instead.
        const std::size_t maxLength = api_ == RtMidi::UNIX_JACK ? 16000 : 65536;
        output = std::make_unique<RtOutput>(shared_from_this(), std::move(port), name, maxLength,
                                            generation);
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
    if (api == RtMidi::UNIX_JACK) {
#if defined(TESSALINE_HAVE_JACK)
        return true;  // the backend's monitor asks the server itself
#else
        return false;  // without the monitor a vanished server could hang a send
#endif
    }
    return api != RtMidi::RTMIDI_DUMMY;
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
        starters.push_back([api, clientName]() -> std::shared_ptr<MidiBackend> {
            if (!apiPresent(api)) {
                return nullptr;
            }
            auto backend = std::make_shared<RtMidiBackend>(api, clientName);
            if (!backend->serverUp()) {
                return nullptr;
            }
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
