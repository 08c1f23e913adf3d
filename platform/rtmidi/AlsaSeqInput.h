#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/MidiService.h"
#include "platform/rtmidi/MidiBackend.h"

struct _snd_seq;

namespace tessaline {

// One input port of our own on the ALSA sequencer, connected from one source port. Its reader
// thread hands each event's bytes to the sink as they come: a System Exclusive message goes on
// in the sequencer's chunks and is never joined here, so no message of any length piles up below
// the sink's own limit (RtMidi's ALSA input joins the chunks without one).
class AlsaSeqInput final : public BackendInput {
  public:
    // A client named clientName with an input port named portName, connected from `source`, a
    // readable port as the device lists name it ("client:port C:P"). Null, with the reason in
    // `result`, when that fails.
    static std::unique_ptr<AlsaSeqInput> open(const std::string& clientName,
                                              const std::string& portName,
                                              const std::string& source, InputSink& sink,
                                              MidiResult& result);
    // The same port connected from nothing: other programs connect to it (a virtual port).
    static std::unique_ptr<AlsaSeqInput> openPort(const std::string& clientName,
                                                  const std::string& portName, InputSink& sink,
                                                  MidiResult& result);
    // Stops the reader (it wakes at once however much input is waiting), then closes the client,
    // which takes the port and its connection with it.
    ~AlsaSeqInput() override;
    AlsaSeqInput(const AlsaSeqInput&) = delete;
    AlsaSeqInput& operator=(const AlsaSeqInput&) = delete;

    // Our port as other programs list it.
    const std::string& listedName() const { return listedName_; }

  private:
    AlsaSeqInput(_snd_seq* seq, InputSink& sink) : seq_(seq), sink_(sink) {}
    static std::unique_ptr<AlsaSeqInput> start(const std::string& clientName,
                                               const std::string& portName,
                                               const std::string* source, InputSink& sink,
                                               MidiResult& result);
    void read();
    bool readPending();

    _snd_seq* seq_;
    InputSink& sink_;
    std::string listedName_;
    int stopPipe_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    std::thread reader_;
};

}  // namespace tessaline
