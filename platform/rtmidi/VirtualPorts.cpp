#include "platform/rtmidi/VirtualPorts.h"

#include <RtMidi.h>

#include <atomic>
#include <mutex>
#include <utility>

#include "platform/rtmidi/ByteRing.h"
#include "platform/rtmidi/EndpointWorker.h"
#include "platform/rtmidi/RtMidiBackends.h"
#include "platform/rtmidi/SysExAssembler.h"

#if defined(TESSALINE_HAVE_JACK)
#include "platform/rtmidi/JackMonitor.h"
#endif

namespace tessaline {

namespace {
constexpr std::size_t kQueueBytes = 1u << 18;
constexpr const char* kInputPortName = "MIDI In";
constexpr const char* kOutputPortName = "MIDI Out";
}  // namespace

class VirtualPorts::Impl {
  public:
    explicit Impl(MessageHandler handler) : handler_(std::move(handler)), ring_(kQueueBytes) {}

    // RtMidi's thread: copy and wake, nothing more.
    static void onMessage(double, std::vector<unsigned char>* message, void* self) {
        auto* impl = static_cast<Impl*>(self);
        if (message != nullptr && !message->empty()) {
            impl->ring_.write(message->data(), message->size());
            impl->wakeTarget_->wake();
        }
    }

    // A bounded amount at a time, so that stopping is not held up by a flood of input.
    void pump() {
        bool afterGap = false;
        for (int records = 0; records < 256; ++records) {
            if (!ring_.read(record_, afterGap)) {
                return;
            }
            if (afterGap) {
                assembler_.reset();
            }
            if (record_.empty()) {
                continue;
            }
            if (record_[0] == 0xF0 || assembler_.inMessage()) {
                assembler_.feed(record_.data(), record_.size(),
                                [this](const unsigned char* data, std::size_t length) {
                                    handler_(std::vector<unsigned char>(data, data + length));
                                });
            } else if (record_[0] >= 0x80 && record_[0] < 0xF8) {
                handler_(record_);
            }
        }
        wakeTarget_->wake();
    }

    MessageHandler handler_;
    ByteRing ring_;
    SysExAssembler assembler_;
    std::vector<unsigned char> record_;
    std::shared_ptr<EndpointWorker> worker_;
    EndpointWorker* wakeTarget_ = nullptr;
    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> out_;
    std::mutex sendMutex_;
    std::string inputName_;
    std::string outputName_;
#if defined(TESSALINE_HAVE_JACK)
    std::unique_ptr<JackMonitor> jack_;
#endif
};

VirtualPorts::VirtualPorts(const std::string& api, const std::string& clientName,
                           MessageHandler handler)
    : impl_(std::make_shared<Impl>(std::move(handler))) {
    const RtMidi::Api chosen = RtMidi::getCompiledApiByName(api);
    if (chosen != RtMidi::LINUX_ALSA && chosen != RtMidi::UNIX_JACK &&
        chosen != RtMidi::MACOSX_CORE) {
        throw std::runtime_error("MIDI system \"" + api + "\" is not available in this build.");
    }
#if defined(TESSALINE_HAVE_JACK)
    if (chosen == RtMidi::UNIX_JACK) {
        impl_->jack_ = std::make_unique<JackMonitor>(clientName + " monitor");
        if (!impl_->jack_->connect()) {
            throw std::runtime_error("No JACK server is running.");
        }
    }
#else
    if (chosen == RtMidi::UNIX_JACK) {
        throw std::runtime_error("This build has no JACK support.");
    }
#endif
    Impl* impl = impl_.get();
    // The pump holds the ports' state until it has stopped, even if it has to be left behind.
    impl->worker_ = EndpointWorker::start([shared = impl_] { shared->pump(); });
    impl->wakeTarget_ = impl->worker_.get();
    try {
        impl->in_ = std::make_unique<RtMidiIn>(chosen, clientName);
        impl->in_->ignoreTypes(false, true, true);
        impl->in_->setCallback(&Impl::onMessage, impl);
        impl->in_->openVirtualPort(kInputPortName);
        impl->out_ = std::make_unique<RtMidiOut>(chosen, clientName);
        impl->out_->openVirtualPort(kOutputPortName);
    } catch (const RtMidiError& error) {
        impl->in_.reset();
        impl->out_.reset();
        impl->worker_->stop(1000);
        throw std::runtime_error("Cannot open the virtual MIDI ports: " + error.getMessage());
    }
    // Our ports are the ones of our client in the lists that other programs see.
    for (unsigned i = 0, n = impl->out_->getPortCount(); i < n; ++i) {
        const std::string name = impl->out_->getPortName(i);
        if (isPortOfClient(name, clientName) && name.find(kInputPortName) != std::string::npos) {
            impl->inputName_ = name;
        }
    }
    for (unsigned i = 0, n = impl->in_->getPortCount(); i < n; ++i) {
        const std::string name = impl->in_->getPortName(i);
        if (isPortOfClient(name, clientName) && name.find(kOutputPortName) != std::string::npos) {
            impl->outputName_ = name;
        }
    }
}

VirtualPorts::~VirtualPorts() {
    // The JACK library crashes when a client of a server that is gone is closed: such ports
    // are left as they are.
    const bool serverGone = !alive();
    // Input first, so that nothing more is handled while the output goes.
    if (serverGone) {
        (void)impl_->in_.release();
    } else {
        impl_->in_.reset();
    }
    impl_->worker_->stop(3000);
    std::lock_guard guard(impl_->sendMutex_);
    if (serverGone) {
        (void)impl_->out_.release();
    } else {
        impl_->out_.reset();
    }
}

bool VirtualPorts::alive() const {
#if defined(TESSALINE_HAVE_JACK)
    if (impl_->jack_) {
        return impl_->jack_->alive();
    }
#endif
    return true;
}

MidiResult VirtualPorts::send(const unsigned char* data, std::size_t length) {
    if (data == nullptr || length == 0) {
        return midiresult::InvalidParam;
    }
    // RtMidi's JACK output would wait without end for a server that is gone.
    if (!alive()) {
        return midiresult::DeviceGone;
    }
    std::lock_guard guard(impl_->sendMutex_);
    if (!impl_->out_) {
        return midiresult::InvalidHandle;
    }
    try {
        impl_->out_->sendMessage(data, length);
    } catch (const RtMidiError&) {
        return midiresult::Error;
    }
    return midiresult::Ok;
}

std::string VirtualPorts::inputName() const {
    return impl_->inputName_;
}
std::string VirtualPorts::outputName() const {
    return impl_->outputName_;
}

}  // namespace tessaline
