// A hostile ALSA sequencer client: one System Exclusive message that never ends. Connects to a
// port as the device lists name it, sends F0 and then data bytes at a steady rate for a while,
// and stops without the F7 that would have ended it.
//
// usage: alsa_sysex_flood TARGET_PORT BYTES_PER_SECOND SECONDS
// Prints what it sent. Exit 0: done; 77: no ALSA sequencer; 1: failed; 2: usage.
#include <alsa/asoundlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/rtmidi/AlsaSeqPorts.h"

namespace {

constexpr int kExitSkip = 77;
// Bytes per event: how a sender that forwards a cable cuts a long message.
constexpr std::size_t kChunkBytes = 256;
constexpr long kMaxBytesPerSecond = 100'000'000;
constexpr long kMaxSeconds = 24 * 60 * 60;

bool parse(const char* text, long limit, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= 0 && value <= limit;
}

}  // namespace

int main(int argc, char** argv) {
    long rate = 0;
    long seconds = 0;
    if (argc != 4 || !parse(argv[2], kMaxBytesPerSecond, rate) ||
        !parse(argv[3], kMaxSeconds, seconds)) {
        std::fprintf(stderr, "usage: alsa_sysex_flood TARGET_PORT BYTES_PER_SECOND SECONDS\n");
        return 2;
    }
    if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
        std::printf("SKIPPED: no ALSA sequencer at /dev/snd/seq\n");
        return kExitSkip;
    }
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK) < 0) {
        std::printf("FAILED: cannot open the ALSA sequencer\n");
        return 1;
    }
    snd_seq_set_client_name(seq, "Tessaline flood");
    snd_seq_addr_t target{};
    const int port = tessaline::makeOwnPort(seq, "flood", tessaline::PortDirection::Readable);
    if (!tessaline::findListedPort(seq, argv[1], tessaline::PortDirection::Writable, target) ||
        port < 0) {
        std::printf("FAILED: no port \"%s\"\n", argv[1]);
        snd_seq_close(seq);
        return 1;
    }

    std::vector<unsigned char> chunk(kChunkBytes);
    unsigned long long sent = 0;
    unsigned long refused = 0;
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    for (auto now = start; now < end; now = std::chrono::steady_clock::now()) {
        const double elapsed = std::chrono::duration<double>(now - start).count();
        const auto due = static_cast<unsigned long long>(elapsed * static_cast<double>(rate));
        if (sent >= due) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        const std::size_t length =
            static_cast<std::size_t>(std::min<unsigned long long>(due - sent, kChunkBytes));
        for (std::size_t i = 0; i < length; ++i) {
            // F0 once, then a manufacturer number no instrument takes, then a count.
            const unsigned long long at = sent + i;
            chunk[i] = at == 0 ? 0xF0 : at == 1 ? 0x7D : static_cast<unsigned char>(at % 128);
        }
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        snd_seq_ev_set_sysex(&event, static_cast<unsigned>(length), chunk.data());
        snd_seq_ev_set_source(&event, static_cast<unsigned char>(port));
        snd_seq_ev_set_dest(&event, target.client, target.port);
        snd_seq_ev_set_direct(&event);
        const int status = snd_seq_event_output_direct(seq, &event);
        if (status == -EAGAIN) {
            // The target's queue is full: it loses what waits in it, and we go on.
            ++refused;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (status < 0) {
            std::printf("FAILED: the sequencer refused the flood: %s\n", snd_strerror(status));
            snd_seq_close(seq);
            return 1;
        }
        sent += length;
    }
    std::printf("flooded %s with %llu bytes of one message in %ld s (%lu events refused)\n",
                argv[1], sent, seconds, refused);
    snd_seq_close(seq);
    return 0;
}
