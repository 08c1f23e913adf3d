#include "platform/rtmidi/JackMidiClient.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <chrono>
#include <cstdint>
#include <thread>

namespace tessaline {

namespace {

constexpr std::size_t kQueueBytes = 1u << 16;
constexpr std::size_t kRecordHeader = sizeof(std::uint32_t);
// What an event costs in a period's buffer beyond its bytes; kept generous.
constexpr std::size_t kEventOverhead = 64;
constexpr auto kRoomPoll = std::chrono::milliseconds(1);
// A server whose cycles stopped for this long is not going to carry a connection.
constexpr auto kSettleWait = std::chrono::milliseconds(2000);

void discardJackMessage(const char*) {}

}  // namespace

// No server running is ordinary, and a server that goes away costs a result code that the
// program reports in its own words: the library's messages would only add noise.
jack_client_t* openJackClientQuietly(const std::string& name) {
    jack_set_error_function(&discardJackMessage);
    jack_set_info_function(&discardJackMessage);
    return jack_client_open(name.c_str(), JackNoStartServer, nullptr);
}

// The server takes one byte less than jack_client_name_size() leaves room for, and renames a
// second client of a taken name by appending "-01" to "-99" only where those three bytes fit.
std::size_t jackClientNameLimit() {
    const int size = jack_client_name_size();
    return size > 5 ? static_cast<std::size_t>(size - 5) : 0;
}

// A port's full name is "client:port" with a terminating zero in jack_port_name_size() bytes,
// the client's name in up to jack_client_name_size().
std::size_t jackPortNameLimit() {
    const int room = jack_port_name_size() - jack_client_name_size();
    return room > 1 ? static_cast<std::size_t>(room - 1) : 0;
}

std::unique_ptr<JackMidiClient> JackMidiClient::open(const std::string& clientName, Ports ports,
                                                     MidiResult& result) {
    std::unique_ptr<JackMidiClient> self(new JackMidiClient);
    self->client_ = openJackClientQuietly(clientName);
    if (self->client_ == nullptr) {
        result = midiresult::DeviceGone;
        return nullptr;
    }
    self->alive_.store(true);
    self->sink_ = ports.input;
    if (ports.input != nullptr) {
        self->in_ = jack_port_register(self->client_, ports.inputName.c_str(),
                                       JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    }
    if (ports.output) {
        self->out_ = jack_port_register(self->client_, ports.outputName.c_str(),
                                        JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        self->queue_ = jack_ringbuffer_create(kQueueBytes);
        const std::size_t buffer =
            jack_port_type_get_buffer_size(self->client_, JACK_DEFAULT_MIDI_TYPE);
        self->maxMessageLength_ = buffer > kEventOverhead ? buffer - kEventOverhead : 0;
    }
    if ((ports.input != nullptr && self->in_ == nullptr) ||
        (ports.output && (self->out_ == nullptr || self->queue_ == nullptr))) {
        result = midiresult::NotEnabled;
        return nullptr;
    }
    jack_on_shutdown(self->client_, &JackMidiClient::onShutdown, self.get());
    if (jack_set_process_callback(self->client_, &JackMidiClient::process, self.get()) != 0 ||
        jack_activate(self->client_) != 0) {
        result = midiresult::NotEnabled;
        return nullptr;
    }
    result = midiresult::Ok;
    return self;
}

JackMidiClient::~JackMidiClient() {
    if (client_ != nullptr) {
        // A client whose server has gone is closed too: the library then frees what it holds
        // for it, and its threads are ended, not left waiting on a server that never answers.
        if (alive_.load()) {
            jack_deactivate(client_);
        }
        jack_client_close(client_);
    }
    // Only reached once the process callback can run no more.
    if (queue_ != nullptr) {
        jack_ringbuffer_free(queue_);
    }
}

void JackMidiClient::onShutdown(void* self) {
    auto* client = static_cast<JackMidiClient*>(self);
    client->alive_.store(false);
    if (client->sink_ != nullptr) {
        client->sink_->lost(midiresult::ServerStopped);
    }
}

// JACK's real-time thread: no lock, no allocation, no wait.
int JackMidiClient::process(unsigned frames, void* self) {
    auto* client = static_cast<JackMidiClient*>(self);
    client->cycles_.fetch_add(1, std::memory_order_release);
    if (client->in_ != nullptr) {
        client->readInput(frames);
    }
    if (client->out_ != nullptr) {
        client->writeOutput(frames);
    }
    return 0;
}

void JackMidiClient::readInput(unsigned frames) {
    void* buffer = jack_port_get_buffer(in_, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) == 0 && event.size > 0) {
            sink_->receive(event.buffer, event.size);
        }
    }
}

void JackMidiClient::writeOutput(unsigned frames) {
    void* buffer = jack_port_get_buffer(out_, frames);
    jack_midi_clear_buffer(buffer);
    for (;;) {
        std::uint32_t length = 0;
        if (jack_ringbuffer_peek(queue_, reinterpret_cast<char*>(&length), kRecordHeader) <
                kRecordHeader ||
            jack_ringbuffer_read_space(queue_) < kRecordHeader + length) {
            return;
        }
        // A period whose buffer is full takes no more; the rest waits, in order, for the next.
        jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, length);
        if (event == nullptr) {
            return;
        }
        jack_ringbuffer_read_advance(queue_, kRecordHeader);
        jack_ringbuffer_read(queue_, reinterpret_cast<char*>(event), length);
    }
}

MidiResult JackMidiClient::connectInputFrom(const std::string& source) {
    if (in_ == nullptr) {
        return midiresult::InvalidHandle;
    }
    return settle(jack_connect(client_, source.c_str(), jack_port_name(in_)));
}

MidiResult JackMidiClient::connectOutputTo(const std::string& target) {
    if (out_ == nullptr) {
        return midiresult::InvalidHandle;
    }
    return settle(jack_connect(client_, jack_port_name(out_), target.c_str()));
}

// The server has made the connection when jack_connect returns, but the graph that carries it
// takes over only at the start of a later cycle; an event written before then reaches nobody.
// Waiting for two whole cycles makes the first message of a port arrive like every other.
MidiResult JackMidiClient::settle(int error) {
    if (error != 0 && error != EEXIST) {
        return midiresult::DeviceGone;
    }
    const std::uint64_t start = cycles_.load(std::memory_order_acquire);
    const auto deadline = std::chrono::steady_clock::now() + kSettleWait;
    while (cycles_.load(std::memory_order_acquire) < start + 2) {
        if (!alive_.load()) {
            return midiresult::DeviceGone;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return midiresult::TimedOut;
        }
        std::this_thread::sleep_for(kRoomPoll);
    }
    return midiresult::Ok;
}

MidiResult JackMidiClient::send(const unsigned char* data, std::size_t length, int roomWaitMs,
                                PendingSend& pending) {
    if (out_ == nullptr) {
        return midiresult::InvalidHandle;
    }
    if (data == nullptr || length == 0 || length > maxMessageLength_) {
        return midiresult::InvalidParam;
    }
    std::lock_guard guard(sendMutex_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(roomWaitMs);
    // The header goes in with the bytes, both written only when both fit, so the process
    // thread never sees half a record it could act on.
    while (jack_ringbuffer_write_space(queue_) < kRecordHeader + length) {
        if (!alive_.load()) {
            return midiresult::ServerStopped;
        }
        if (pending.withdrawn() || std::chrono::steady_clock::now() >= deadline) {
            return midiresult::TimedOut;
        }
        std::this_thread::sleep_for(kRoomPoll);
    }
    if (!alive_.load()) {
        return midiresult::ServerStopped;
    }
    if (!pending.take()) {
        return midiresult::TimedOut;
    }
    const auto header = static_cast<std::uint32_t>(length);
    jack_ringbuffer_write(queue_, reinterpret_cast<const char*>(&header), kRecordHeader);
    jack_ringbuffer_write(queue_, reinterpret_cast<const char*>(data), length);
    return midiresult::Ok;
}

bool JackMidiClient::drain(int timeoutMs) {
    if (queue_ == nullptr) {
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (jack_ringbuffer_read_space(queue_) > 0) {
        if (!alive_.load() || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kRoomPoll);
    }
    return true;
}

bool JackMidiClient::outputConnected() const {
    return out_ != nullptr && alive_.load() && jack_port_connected(out_) > 0;
}

std::string JackMidiClient::inputPortName() const {
    return in_ != nullptr ? jack_port_name(in_) : std::string();
}

std::string JackMidiClient::outputPortName() const {
    return out_ != nullptr ? jack_port_name(out_) : std::string();
}

std::vector<std::string> jackMidiPorts(_jack_client* client, bool sources) {
    std::vector<std::string> names;
    // A source is a port that others read from: an output in JACK's terms.
    const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE,
                                        sources ? JackPortIsOutput : JackPortIsInput);
    if (ports == nullptr) {
        return names;
    }
    for (const char** port = ports; *port != nullptr; ++port) {
        names.emplace_back(*port);
    }
    jack_free(ports);
    return names;
}

}  // namespace tessaline
