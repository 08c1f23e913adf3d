#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "platform/MidiService.h"
#include "platform/rtmidi/MidiBackend.h"

struct _snd_seq;

namespace tessaline {

// One output port of our own on the ALSA sequencer, connected to one destination port or to
// whoever subscribes. A send says what became of the message: Ok only once the sequencer took
// every byte of it; nothing of a refused message stays behind to go out with the next one.
class AlsaSeqOutput final : public BackendOutput {
  public:
    // The longest message a send takes.
    static constexpr std::size_t kMaxLength = 65536;
    // How long a send waits for room at the destination before it counts as not sent.
    static constexpr int kRoomWaitMs = kSendRoomWaitMs;

    // A client named clientName with an output port named portName, connected to `target`, a
    // writable port as the device lists name it ("client:port C:P"). Null, with the reason in
    // `result`, when that fails.
    static std::unique_ptr<AlsaSeqOutput> open(const std::string& clientName,
                                               const std::string& portName,
                                               const std::string& target, MidiResult& result);
    // The same port connected to nothing: other programs connect from it (a virtual port).
    static std::unique_ptr<AlsaSeqOutput> openPort(const std::string& clientName,
                                                   const std::string& portName, MidiResult& result);
    ~AlsaSeqOutput() override;
    AlsaSeqOutput(const AlsaSeqOutput&) = delete;
    AlsaSeqOutput& operator=(const AlsaSeqOutput&) = delete;

    // One whole MIDI message. InvalidParam for bytes that are no such message, DeviceGone once
    // the target or our connection to it went away, TimedOut when the destination had no room
    // within waitMs, or when `pending` was withdrawn before the message was handed on.
    MidiResult send(const unsigned char* data, std::size_t length, int waitMs,
                    PendingSend* pending = nullptr);
    MidiResult send(const unsigned char* data, std::size_t length) {
        return send(data, length, kRoomWaitMs);
    }
    MidiResult send(const unsigned char* data, std::size_t length, PendingSend& pending) override {
        return send(data, length, kRoomWaitMs, &pending);
    }
    int longestWaitMs() const override { return kRoomWaitMs; }

    // Our port as other programs list it.
    const std::string& listedName() const { return listedName_; }

  private:
    AlsaSeqOutput(_snd_seq* seq) : seq_(seq) {}
    static std::unique_ptr<AlsaSeqOutput> start(const std::string& clientName,
                                                const std::string& portName,
                                                const std::string* target, MidiResult& result);
    bool stillConnected();
    MidiResult sendOnce(const unsigned char* data, std::size_t length, bool& full);

    _snd_seq* seq_;
    int port_ = -1;
    bool connected_ = false;
    unsigned char targetClient_ = 0;
    unsigned char targetPort_ = 0;
    std::string listedName_;
    std::mutex sendMutex_;
};

}  // namespace tessaline
