#include "platform/rtmidi/AlsaPortWatch.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "platform/rtmidi/AlsaSeqPorts.h"

namespace tessaline {

namespace {

// Announcements taken in one listing before it settles for what it has: a system that keeps
// starting and ending clients must not hold a look forever.
constexpr int kListingRounds = 4;

bool listenToAnnouncements(snd_seq_t* seq) {
    const int port = snd_seq_create_simple_port(seq, "device watch",
                                                SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT,
                                                SND_SEQ_PORT_TYPE_APPLICATION);
    return port >= 0 && snd_seq_connect_from(seq, port, SND_SEQ_CLIENT_SYSTEM,
                                             SND_SEQ_PORT_SYSTEM_ANNOUNCE) == 0;
}

}  // namespace

std::unique_ptr<AlsaPortWatch> AlsaPortWatch::open(const std::string& clientName) {
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0) {
        return nullptr;
    }
    // From here on the destructor closes what has been opened.
    std::unique_ptr<AlsaPortWatch> watch(new AlsaPortWatch(seq));
    snd_seq_set_client_name(seq, clientName.c_str());
    if (!listenToAnnouncements(seq) || pipe2(watch->stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        return nullptr;
    }
    try {
        watch->watcher_ = std::thread([raw = watch.get()] { raw->watch(); });
    } catch (const std::system_error&) {
        return nullptr;
    }
    return watch;
}

AlsaPortWatch::~AlsaPortWatch() {
    if (watcher_.joinable()) {
        const char wake = 1;
        (void)!::write(stopPipe_[1], &wake, 1);
        watcher_.join();
    }
    for (int fd : stopPipe_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    snd_seq_close(seq_);
}

void AlsaPortWatch::setChangeHandler(std::function<void()> changed) {
    std::lock_guard guard(handlerMutex_);
    changed_ = std::move(changed);
}

void AlsaPortWatch::watch() {
    std::vector<pollfd> fds(1);
    fds[0] = {stopPipe_[0], POLLIN, 0};
    {
        std::lock_guard guard(seqMutex_);
        const int count = snd_seq_poll_descriptors_count(seq_, POLLIN);
        fds.resize(static_cast<std::size_t>(count > 0 ? count : 0) + 1);
        snd_seq_poll_descriptors(seq_, fds.data() + 1, static_cast<unsigned>(fds.size() - 1),
                                 POLLIN);
    }
    for (;;) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        bool announced = false;
        {
            std::lock_guard guard(seqMutex_);
            announced = takeAnnouncements();
        }
        // A listing may have taken the announcements first; it has seen what they said.
        if (announced) {
            notify();
        }
    }
}

bool AlsaPortWatch::takeAnnouncements() {
    bool any = false;
    for (;;) {
        snd_seq_event_t* event = nullptr;
        const int status = snd_seq_event_input(seq_, &event);
        if (status == -ENOSPC) {
            // Announcements were lost: whoever exited meanwhile is unknown, so every port
            // listed so far starts a new life at the next look.
            for (const auto& [address, name] : listed_) {
                lives_.departed(name);
            }
            any = true;
            continue;
        }
        if (status < 0 || event == nullptr) {
            return any;
        }
        any = true;
        if (event->type == SND_SEQ_EVENT_PORT_EXIT || event->type == SND_SEQ_EVENT_CLIENT_EXIT) {
            const int client = event->data.addr.client;
            const int port = event->data.addr.port;
            for (const auto& [address, name] : listed_) {
                if (address.first == client &&
                    (event->type == SND_SEQ_EVENT_CLIENT_EXIT || address.second == port)) {
                    lives_.departed(name);
                }
            }
        }
    }
}

void AlsaPortWatch::enumerate(std::vector<std::string>& inputs, std::vector<std::string>& outputs,
                              const std::function<bool(const std::string&)>& own) {
    inputs.clear();
    outputs.clear();
    listed_.clear();
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq_, client) >= 0) {
        const int id = snd_seq_client_info_get_client(client);
        if (id == SND_SEQ_CLIENT_SYSTEM) {
            continue;
        }
        snd_seq_port_info_set_client(port, id);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq_, port) >= 0) {
            const bool readable = isListedPort(port, PortDirection::Readable);
            const bool writable = isListedPort(port, PortDirection::Writable);
            if (!readable && !writable) {
                continue;
            }
            std::string name = listedPortName(snd_seq_client_info_get_name(client), port);
            if (own(name) || inputs.size() + outputs.size() >= 2 * kMaxListedDevices) {
                continue;
            }
            if (readable) {
                inputs.push_back(name);
            }
            if (writable) {
                outputs.push_back(name);
            }
            listed_[{id, snd_seq_port_info_get_port(port)}] = std::move(name);
        }
    }
}

DeviceListing AlsaPortWatch::list(const std::function<bool(const std::string&)>& own) {
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    bool announced = false;
    DeviceListing listing;
    {
        std::lock_guard guard(seqMutex_);
        // What exited before this look belongs to the listing before; what is announced while
        // we list may concern a port we have just seen, so we look once more.
        announced = takeAnnouncements();
        for (int round = 0; round < kListingRounds; ++round) {
            enumerate(inputs, outputs, own);
            if (!takeAnnouncements()) {
                break;
            }
            announced = true;
        }
        listing = lives_.assign(inputs, outputs);
    }
    // The watch's thread will not hear of what this look took: whoever follows the changes
    // must, though this look may not be theirs.
    if (announced) {
        notify();
    }
    return listing;
}

void AlsaPortWatch::notify() {
    std::lock_guard guard(handlerMutex_);
    if (changed_) {
        changed_();
    }
}

}  // namespace tessaline
