#pragma once

#include <jack/ringbuffer.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MidiService.h"
#include "platform/rtmidi/MidiBackend.h"

struct _jack_client;
struct _jack_port;

namespace tessaline {

// One JACK client with at most one MIDI input port and one MIDI output port, written against
// libjack itself so that nothing we send is lost on our side:
// - a message goes into a queue of our own and waits there, in order, until a period's buffer
//   has room for it; a full period never drops it, the next period takes it;
// - a send waits for room in that queue (within a time bound) rather than dropping;
// - what arrives is handed to the sink from the process thread, event by event, without any
//   buffering of its own, so a flood from another client cannot grow our memory.
class JackMidiClient {
  public:
    struct Ports {
        InputSink* input = nullptr;  // register an input port that hands its events here
        bool output = false;         // register an output port
        std::string inputName = "MIDI In";
        std::string outputName = "MIDI Out";
    };

    // Opens and activates a client (never starting a server). Null, with the reason in
    // `result`, when that fails.
    static std::unique_ptr<JackMidiClient> open(const std::string& clientName, Ports ports,
                                                MidiResult& result);
    ~JackMidiClient();
    JackMidiClient(const JackMidiClient&) = delete;
    JackMidiClient& operator=(const JackMidiClient&) = delete;

    MidiResult connectInputFrom(const std::string& source);
    MidiResult connectOutputTo(const std::string& target);

    // Queues one whole message for the next periods. Waits at most roomWaitMs for room in the
    // queue, and no longer once `pending` is withdrawn; ServerStopped once the server went
    // away, TimedOut when the queue stayed full.
    MidiResult send(const unsigned char* data, std::size_t length, int roomWaitMs,
                    PendingSend& pending);
    // Waits until every queued message has been handed to a period, at most timeoutMs.
    bool drain(int timeoutMs);

    bool alive() const { return alive_.load(); }
    bool outputConnected() const;
    std::string inputPortName() const;
    std::string outputPortName() const;
    std::size_t maxMessageLength() const { return maxMessageLength_; }

  private:
    JackMidiClient() = default;
    static int process(unsigned frames, void* self);
    static void onShutdown(void* self);
    void readInput(unsigned frames);
    void writeOutput(unsigned frames);
    MidiResult settle(int error);

    _jack_client* client_ = nullptr;
    _jack_port* in_ = nullptr;
    _jack_port* out_ = nullptr;
    jack_ringbuffer_t* queue_ = nullptr;
    InputSink* sink_ = nullptr;
    std::size_t maxMessageLength_ = 0;
    std::atomic<bool> alive_{false};
    std::atomic<std::uint64_t> cycles_{0};  // process cycles run so far
    std::mutex sendMutex_;                  // one producer at a time
};

// Opens a client without starting a server, the library's own messages silenced.
_jack_client* openJackClientQuietly(const std::string& name);

// The most bytes of a client's name that JACK takes (a second client of that name too), and of
// a port's own name under any client.
std::size_t jackClientNameLimit();
std::size_t jackPortNameLimit();

// Full names of the MIDI ports of the server that `client` is connected to: sources (ports we
// can read from) or destinations.
std::vector<std::string> jackMidiPorts(_jack_client* client, bool sources);

}  // namespace tessaline
