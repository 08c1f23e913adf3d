#include "platform/rtmidi/AlsaSeqOutput.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/rtmidi/AlsaEventDecoder.h"
#include "platform/rtmidi/AlsaSeqPorts.h"

namespace tessaline {

namespace {

// A System Exclusive message goes out in pieces of this size: a piece fits in any client's
// input queue (a message of many kilobytes in one event would not), and readers join them.
constexpr std::size_t kChunkBytes = 512;

MidiResult resultForError(int error) {
    switch (-error) {
        case ENOENT:
        case ENXIO:
            return midiresult::DeviceGone;
        case EINVAL:
            return midiresult::InvalidParam;
        case ENOMEM:
            return midiresult::NoMemory;
        default:
            return midiresult::Error;
    }
}

bool isWholeMessage(const unsigned char* data, std::size_t length) {
    if (data == nullptr || length == 0 || length > AlsaSeqOutput::kMaxLength || data[0] < 0x80) {
        return false;
    }
    if (data[0] == 0xF0 && (length < 2 || data[length - 1] != 0xF7)) {
        return false;
    }
    snd_seq_event_t event;
    return encodeSequencerEvent(data, length, event);
}

// The room that was missing is in the destination's queue, which we cannot watch: poll tells
// only of our own pool. So the pause is waited out whatever poll says.
void waitForRoom(snd_seq_t* seq, std::chrono::milliseconds pause) {
    const auto until = std::chrono::steady_clock::now() + pause;
    const int count = snd_seq_poll_descriptors_count(seq, POLLOUT);
    std::vector<pollfd> fds(static_cast<std::size_t>(std::max(count, 0)));
    const int filled =
        snd_seq_poll_descriptors(seq, fds.data(), static_cast<unsigned>(fds.size()), POLLOUT);
    if (filled > 0) {
        (void)::poll(fds.data(), static_cast<nfds_t>(filled), static_cast<int>(pause.count()));
    }
    std::this_thread::sleep_until(until);
}

}  // namespace

std::unique_ptr<AlsaSeqOutput> AlsaSeqOutput::open(const std::string& clientName,
                                                   const std::string& portName,
                                                   const std::string& target, MidiResult& result) {
    return start(clientName, portName, &target, result);
}

std::unique_ptr<AlsaSeqOutput> AlsaSeqOutput::openPort(const std::string& clientName,
                                                       const std::string& portName,
                                                       MidiResult& result) {
    return start(clientName, portName, nullptr, result);
}

std::unique_ptr<AlsaSeqOutput> AlsaSeqOutput::start(const std::string& clientName,
                                                    const std::string& portName,
                                                    const std::string* target, MidiResult& result) {
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK) < 0) {
        result = midiresult::NotEnabled;
        return nullptr;
    }
    // From here on the destructor closes what has been opened.
    std::unique_ptr<AlsaSeqOutput> output(new AlsaSeqOutput(seq));
    snd_seq_set_client_name(seq, clientName.c_str());
    snd_seq_addr_t address{};
    if (target != nullptr && !findListedPort(seq, *target, PortDirection::Writable, address)) {
        result = midiresult::DeviceGone;
        return nullptr;
    }
    output->port_ = makeOwnPort(seq, portName, PortDirection::Readable);
    if (output->port_ < 0) {
        result = midiresult::NotEnabled;
        return nullptr;
    }
    if (target != nullptr) {
        snd_seq_addr_t own{};
        own.client = static_cast<unsigned char>(snd_seq_client_id(seq));
        own.port = static_cast<unsigned char>(output->port_);
        if (!connectPorts(seq, own, address)) {
            result = midiresult::NotEnabled;
            return nullptr;
        }
        output->connected_ = true;
        output->targetClient_ = address.client;
        output->targetPort_ = address.port;
    }
    output->listedName_ = ownListedName(seq, output->port_);
    result = midiresult::Ok;
    return output;
}

AlsaSeqOutput::~AlsaSeqOutput() {
    snd_seq_close(seq_);
}

// The sequencer drops our connection when the target's client goes, even if a client of the
// same name comes back under the same numbers at once; a send then reaches no one we chose.
bool AlsaSeqOutput::stillConnected() {
    snd_seq_port_subscribe_t* subscription = nullptr;
    snd_seq_port_subscribe_alloca(&subscription);
    snd_seq_addr_t own{};
    own.client = static_cast<unsigned char>(snd_seq_client_id(seq_));
    own.port = static_cast<unsigned char>(port_);
    snd_seq_addr_t target{};
    target.client = targetClient_;
    target.port = targetPort_;
    snd_seq_port_subscribe_set_sender(subscription, &own);
    snd_seq_port_subscribe_set_dest(subscription, &target);
    return snd_seq_get_port_subscription(seq_, subscription) == 0;
}

MidiResult AlsaSeqOutput::send(const unsigned char* data, std::size_t length, int waitMs,
                               PendingSend* pending) {
    if (!isWholeMessage(data, length)) {
        return midiresult::InvalidParam;
    }
    std::lock_guard guard(sendMutex_);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(waitMs, 0));
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (connected_ && !stillConnected()) {
            return midiresult::DeviceGone;
        }
        // A caller out of time has withdrawn the message: it never goes out.
        if (pending != nullptr && !pending->take()) {
            return midiresult::TimedOut;
        }
        bool full = false;
        const MidiResult result = sendOnce(data, length, full);
        if (!full) {
            return result;
        }
        // A full queue took nothing of it that will be delivered: the caller may still
        // withdraw it.
        if (pending != nullptr) {
            pending->putBack();
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline || (pending != nullptr && pending->withdrawn())) {
            return midiresult::TimedOut;
        }
        waitForRoom(seq_,
                    std::min(pause, std::chrono::ceil<std::chrono::milliseconds>(deadline - now)));
        pause = std::min(pause * 2, std::chrono::milliseconds(16));
    }
}

// Every piece goes to the sequencer at once, so that a refusal is known for the piece it
// concerns. `full` when the destination's queue had no room: the sequencer then empties that
// queue for its reader, so the whole message must go again, from its start.
MidiResult AlsaSeqOutput::sendOnce(const unsigned char* data, std::size_t length, bool& full) {
    for (std::size_t offset = 0; offset < length; offset += kChunkBytes) {
        const std::size_t piece = std::min(kChunkBytes, length - offset);
        snd_seq_event_t event;
        if (!encodeSequencerEvent(data + offset, piece, event)) {
            return midiresult::InvalidParam;
        }
        snd_seq_ev_set_source(&event, static_cast<unsigned char>(port_));
        if (connected_) {
            snd_seq_ev_set_dest(&event, targetClient_, targetPort_);
        } else {
            snd_seq_ev_set_subs(&event);
        }
        snd_seq_ev_set_direct(&event);
        int status = snd_seq_event_output(seq_, &event);
        if (status >= 0) {
            status = snd_seq_drain_output(seq_);
        }
        if (status != 0) {
            // What the library still holds of it would go out ahead of the next message.
            snd_seq_drop_output(seq_);
        }
        if (status == -EAGAIN || status > 0) {
            full = true;
            return midiresult::TimedOut;
        }
        if (status < 0) {
            return resultForError(status);
        }
    }
    return midiresult::Ok;
}

}  // namespace tessaline
