#include "platform/rtmidi/AlsaSeqInput.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <vector>

#include "platform/rtmidi/AlsaEventDecoder.h"
#include "platform/rtmidi/AlsaSeqPorts.h"

namespace tessaline {

namespace {

// The most events the sequencer queues for one client (its SNDRV_SEQ_MAX_CLIENT_EVENTS).
constexpr std::size_t kLargestInputPool = 2000;

// When our queue in the sequencer is full, the sender's next event is refused and the sequencer
// empties the whole queue before we read again: everything waiting in it is lost. The largest
// queue it allows gives a burst the most room while the reader is not scheduled.
// The library reads events into a buffer of its own; an event with more data than that buffer
// holds could never be read and would keep the reader awake for nothing. The sequencer never
// hands us an event larger than our input pool, so a buffer of that size always suffices.
void fitInputBufferToPool(snd_seq_t* seq) {
    snd_seq_client_pool_t* pool = nullptr;
    snd_seq_client_pool_alloca(&pool);
    if (snd_seq_get_client_pool(seq, pool) < 0) {
        return;
    }
    if (snd_seq_client_pool_get_input_pool(pool) < kLargestInputPool) {
        snd_seq_client_pool_set_input_pool(pool, kLargestInputPool);
        if (snd_seq_set_client_pool(seq, pool) < 0 || snd_seq_get_client_pool(seq, pool) < 0) {
            return;
        }
    }
    const std::size_t needed =
        (snd_seq_client_pool_get_input_pool(pool) + 2) * sizeof(snd_seq_event_t);
    if (needed > snd_seq_get_input_buffer_size(seq)) {
        snd_seq_set_input_buffer_size(seq, needed);
    }
}

}  // namespace

std::unique_ptr<AlsaSeqInput> AlsaSeqInput::open(const std::string& clientName,
                                                 const std::string& portName,
                                                 const std::string& source, InputSink& sink,
                                                 MidiResult& result) {
    return start(clientName, portName, &source, sink, result);
}

std::unique_ptr<AlsaSeqInput> AlsaSeqInput::openPort(const std::string& clientName,
                                                     const std::string& portName, InputSink& sink,
                                                     MidiResult& result) {
    return start(clientName, portName, nullptr, sink, result);
}

std::unique_ptr<AlsaSeqInput> AlsaSeqInput::start(const std::string& clientName,
                                                  const std::string& portName,
                                                  const std::string* source, InputSink& sink,
                                                  MidiResult& result) {
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0) {
        result = midiresult::NotEnabled;
        return nullptr;
    }
    // From here on the destructor closes what has been opened.
    std::unique_ptr<AlsaSeqInput> input(new AlsaSeqInput(seq, sink));
    snd_seq_set_client_name(seq, clientName.c_str());
    snd_seq_addr_t address{};
    if (source != nullptr && !findListedPort(seq, *source, PortDirection::Readable, address)) {
        result = midiresult::DeviceGone;
        return nullptr;
    }
    fitInputBufferToPool(seq);
    const int ownPort = makeOwnPort(seq, portName, PortDirection::Writable);
    snd_seq_addr_t own{};
    own.client = static_cast<unsigned char>(snd_seq_client_id(seq));
    own.port = static_cast<unsigned char>(ownPort);
    if (ownPort < 0 || (source != nullptr && !connectPorts(seq, address, own)) ||
        pipe2(input->stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        result = midiresult::NotEnabled;
        return nullptr;
    }
    input->listedName_ = ownListedName(seq, ownPort);
    try {
        input->reader_ = std::thread([raw = input.get()] { raw->read(); });
    } catch (const std::system_error&) {
        result = midiresult::NotEnabled;
        return nullptr;
    }
    result = midiresult::Ok;
    return input;
}

AlsaSeqInput::~AlsaSeqInput() {
    if (reader_.joinable()) {
        stopping_.store(true);
        const char wake = 1;
        (void)!::write(stopPipe_[1], &wake, 1);
        reader_.join();
    }
    for (int fd : stopPipe_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    snd_seq_close(seq_);
}

void AlsaSeqInput::read() {
    const int count = snd_seq_poll_descriptors_count(seq_, POLLIN);
    std::vector<pollfd> fds(static_cast<std::size_t>(count > 0 ? count : 0) + 1);
    fds[0] = {stopPipe_[0], POLLIN, 0};
    snd_seq_poll_descriptors(seq_, fds.data() + 1, static_cast<unsigned>(fds.size() - 1), POLLIN);
    while (readPending()) {
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) {
            sink_.lost(midiresult::Error);
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
    }
}

// Hands on every event that is waiting. False once stopping, or once the sequencer fails.
bool AlsaSeqInput::readPending() {
    for (;;) {
        if (stopping_.load()) {
            return false;
        }
        snd_seq_event_t* event = nullptr;
        const int status = snd_seq_event_input(seq_, &event);
        if (status == -EAGAIN) {
            return true;
        }
        if (status == -ENOSPC) {
            // Our queue overran and the sequencer dropped events: a message under way has lost
            // bytes and must not reach anyone whole-looking.
            sink_.receive(&kInputGapMark, 1);
            continue;
        }
        if (status < 0) {
            sink_.lost(midiresult::Error);
            return false;
        }
        if (event != nullptr) {
            const DecodedEvent decoded = decodeSequencerEvent(*event);
            if (!decoded.empty()) {
                sink_.receive(decoded.bytes().data(), decoded.bytes().size());
            }
        }
    }
}

}  // namespace tessaline
