#include "platform/rtmidi/VirtualPorts.h"

#include <RtMidi.h>

#include <atomic>
#include <mutex>
#include <utility>

#include "platform/ShortMessage.h"
#include "platform/rtmidi/EndpointWorker.h"
#include "platform/rtmidi/InputPump.h"
#include "platform/rtmidi/RtMidiBackends.h"
#include "platform/rtmidi/VirtualPortNames.h"

#if defined(TESSALINE_HAVE_JACK)
#include "platform/rtmidi/JackMidiClient.h"
#endif
#if defined(TESSALINE_HAVE_ALSA)
#include "platform/rtmidi/AlsaSeqInput.h"
#include "platform/rtmidi/AlsaSeqOutput.h"
#endif

namespace tessaline {

namespace {
constexpr std::size_t kQueueBytes = 1u << 18;
// The sequencer keeps 63 bytes of a client's and of a port's name, and cuts the rest off
// wherever it falls; the same bound serves where RtMidi makes the ports.
constexpr std::size_t kSequencerNameLimit = 63;
// A reply waits this long for room on its way out before it counts as not sent.
constexpr int kRoomWaitMs = 2000;
}  // namespace

class VirtualPorts::Impl final : public InputSink {
  public:
    explicit Impl(MessageHandler handler)
        : handler_(std::move(handler)), input_(kQueueBytes, InputPump::ShortMessages::Pass) {}

    // The MIDI system's thread (JACK's real-time one): copy and wake, nothing more.
    void receive(const unsigned char* data, std::size_t length) noexcept override {
        const bool gap = length == 1 && data[0] == kInputGapMark;
        if (!input_.write(data, length) || gap) {
            overruns_.fetch_add(1, std::memory_order_relaxed);
        }
        wakeTarget_->wake();
    }

    void lost(MidiResult) noexcept override { lost_.store(true); }

    static void onMessage(double, std::vector<unsigned char>* message, void* self) {
        if (message != nullptr && !message->empty()) {
            static_cast<Impl*>(self)->receive(message->data(), message->size());
        }
    }

    void pump() {
        const bool more = input_.pump(
            [this](const unsigned char* data, std::size_t length) {
                if (length > 1 || shortMessageLength(data[0]) != 0) {
                    handler_(std::vector<unsigned char>(data, data + length));
                }
            },
            [this](MidiResult fault) {
                if (fault == midiresult::MessageTooLong) {
                    overlong_.fetch_add(1, std::memory_order_relaxed);
                }
            });
        if (more) {
            wakeTarget_->wake();
        }
    }

    MessageHandler handler_;
    InputPump input_;
    std::shared_ptr<EndpointWorker> worker_;
    EndpointWorker* wakeTarget_ = nullptr;
    std::atomic<unsigned> overlong_{0};
    std::atomic<unsigned> overruns_{0};
    std::atomic<bool> lost_{false};
    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> out_;
#if defined(TESSALINE_HAVE_ALSA)
    std::unique_ptr<AlsaSeqInput> alsaIn_;
    std::unique_ptr<AlsaSeqOutput> alsaOut_;
#endif
    std::mutex sendMutex_;
    std::string inputName_;
    std::string outputName_;
#if defined(TESSALINE_HAVE_JACK)
    std::unique_ptr<JackMidiClient> jack_;
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
#if !defined(TESSALINE_HAVE_JACK)
    if (chosen == RtMidi::UNIX_JACK) {
        throw std::runtime_error("This build has no JACK support.");
    }
#endif
    Impl* impl = impl_.get();
    // The pump holds the ports' state until it has stopped, even if it has to be left behind.
    impl->worker_ = EndpointWorker::start([shared = impl_] { shared->pump(); });
    impl->wakeTarget_ = impl->worker_.get();
#if defined(TESSALINE_HAVE_JACK)
    if (chosen == RtMidi::UNIX_JACK) {
        MidiResult result = midiresult::Error;
        const VirtualPortNames names =
            virtualPortNames(clientName, jackClientNameLimit(), jackPortNameLimit());
        impl->jack_ =
            JackMidiClient::open(names.client, {impl, true, names.input, names.output}, result);
        if (!impl->jack_) {
            impl->worker_->stop(1000);
            throw std::runtime_error(result == midiresult::DeviceGone
                                         ? "No JACK server is running."
                                         : "Cannot open the JACK MIDI ports.");
        }
        impl->inputName_ = impl->jack_->inputPortName();
        impl->outputName_ = impl->jack_->outputPortName();
        return;
    }
#endif
#if defined(TESSALINE_HAVE_ALSA)
    // Our own sequencer ports: RtMidi's input joins a System Exclusive message without limit,
    // and its output reports Ok for what the sequencer refused.
    if (chosen == RtMidi::LINUX_ALSA) {
        const VirtualPortNames names =
            virtualPortNames(clientName, kSequencerNameLimit, kSequencerNameLimit);
        MidiResult result = midiresult::Error;
        impl->alsaIn_ = AlsaSeqInput::openPort(names.client, names.input, *impl, result);
        if (impl->alsaIn_) {
            impl->alsaOut_ = AlsaSeqOutput::openPort(names.client, names.output, result);
        }
        if (!impl->alsaIn_ || !impl->alsaOut_) {
            impl->alsaIn_.reset();
            impl->worker_->stop(1000);
            throw std::runtime_error(result == midiresult::NotEnabled
                                         ? "Cannot open the ALSA sequencer (/dev/snd/seq)."
                                         : "Cannot make the ALSA sequencer ports.");
        }
        impl->inputName_ = impl->alsaIn_->listedName();
        impl->outputName_ = impl->alsaOut_->listedName();
        return;
    }
#endif
    const VirtualPortNames names =
        virtualPortNames(clientName, kSequencerNameLimit, kSequencerNameLimit);
    try {
        impl->in_ = std::make_unique<RtMidiIn>(chosen, names.client);
        impl->in_->ignoreTypes(false, true, true);
        impl->in_->setCallback(&Impl::onMessage, impl);
        impl->in_->openVirtualPort(names.input);
        impl->out_ = std::make_unique<RtMidiOut>(chosen, names.client);
        impl->out_->openVirtualPort(names.output);
    } catch (const RtMidiError& error) {
        impl->in_.reset();
        impl->out_.reset();
        impl->worker_->stop(1000);
        throw std::runtime_error("Cannot open the virtual MIDI ports: " + error.getMessage());
    }
    // Our ports are the ones of our client in the lists that other programs see.
    for (unsigned i = 0, n = impl->out_->getPortCount(); i < n; ++i) {
        const std::string name = impl->out_->getPortName(i);
        if (isPortOfClient(name, names.client) && name.find(names.input) != std::string::npos) {
            impl->inputName_ = name;
        }
    }
    for (unsigned i = 0, n = impl->in_->getPortCount(); i < n; ++i) {
        const std::string name = impl->in_->getPortName(i);
        if (isPortOfClient(name, names.client) && name.find(names.output) != std::string::npos) {
            impl->outputName_ = name;
        }
    }
}

VirtualPorts::~VirtualPorts() {
#if defined(TESSALINE_HAVE_JACK)
    if (impl_->jack_) {
        // Whatever is still queued goes out first: a reply is never cut off by our quitting.
        impl_->jack_->drain(1000);
        impl_->jack_.reset();
        impl_->worker_->stop(3000);
        return;
    }
#endif
#if defined(TESSALINE_HAVE_ALSA)
    if (impl_->alsaIn_) {
        impl_->alsaIn_.reset();
        impl_->worker_->stop(3000);
        std::lock_guard guard(impl_->sendMutex_);
        impl_->alsaOut_.reset();
        return;
    }
#endif
    // Input first, so that nothing more is handled while the output goes.
    impl_->in_.reset();
    impl_->worker_->stop(3000);
    std::lock_guard guard(impl_->sendMutex_);
    impl_->out_.reset();
}

bool VirtualPorts::alive() const {
    if (impl_->lost_.load()) {
        return false;
    }
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
#if defined(TESSALINE_HAVE_JACK)
    if (impl_->jack_) {
        PendingSend reply;  // nobody gives up on a reply before its own wait ends
        return impl_->jack_->send(data, length, kRoomWaitMs, reply);
    }
#endif
    std::lock_guard guard(impl_->sendMutex_);
#if defined(TESSALINE_HAVE_ALSA)
    if (impl_->alsaOut_) {
        return impl_->alsaOut_->send(data, length, kRoomWaitMs);
    }
#endif
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

VirtualPorts::InputTrouble VirtualPorts::takeInputTrouble() {
    return {impl_->overlong_.exchange(0), impl_->overruns_.exchange(0)};
}

std::string VirtualPorts::inputName() const {
    return impl_->inputName_;
}
std::string VirtualPorts::outputName() const {
    return impl_->outputName_;
}

}  // namespace tessaline
