// A hostile JACK client: one System Exclusive message that never ends. Connects its output to
// a named port on the running server (JACK_DEFAULT_SERVER), sends F0 and then data bytes at a
// steady rate for a while, and stops, with or without the F7 that would have ended it. One
// whole message may follow, so that a test can show that what comes after is received.
//
// usage: sysex_flood [--end] [--then HEX] TARGET_PORT BYTES_PER_SECOND SECONDS
//   --end       close the message with F7 after the flood (without it the flood just stops)
//   --then HEX  send this message (hex digits, blanks allowed) after the flood
// SECONDS may be 0 to send only the --then message.
// Prints what it sent. Exit 0: done; 77: no JACK server; 1: failed; 2: usage.
#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kExitSkip = 77;
// Bytes per event: how a sender that forwards a cable cuts a long message, well below what a
// period's buffer holds.
constexpr std::size_t kChunkBytes = 512;
constexpr long kMaxBytesPerSecond = 100'000'000;
constexpr long kMaxSeconds = 24 * 60 * 60;
constexpr auto kPoll = std::chrono::milliseconds(1);
constexpr auto kCycleWait = std::chrono::seconds(5);

enum class Phase : int {
    Idle,      // connected or not, nothing goes out yet
    Flooding,  // F0, then data bytes at the rate
    Ending,    // the closing bytes, once
    Done,
};

struct Flood {
    jack_client_t* client = nullptr;
    jack_port_t* port = nullptr;
    long bytesPerSecond = 0;
    bool endWithF7 = false;
    std::vector<unsigned char> then;

    std::atomic<Phase> phase{Phase::Idle};
    std::atomic<std::uint64_t> cycles{0};
    std::atomic<std::uint64_t> sent{0};  // bytes of the endless message, F0 included
    std::uint64_t framesFlooded = 0;     // process thread only
    bool openerSent = false;             // process thread only
    std::uint32_t sampleRate = 48000;
};

// JACK's real-time thread: writes what the rate allows by now, never more than fits.
int process(jack_nframes_t frames, void* arg) {
    auto* flood = static_cast<Flood*>(arg);
    void* buffer = jack_port_get_buffer(flood->port, frames);
    jack_midi_clear_buffer(buffer);
    const Phase phase = flood->phase.load(std::memory_order_acquire);
    if (phase == Phase::Flooding) {
        flood->framesFlooded += frames;
        const auto due = static_cast<std::uint64_t>(static_cast<long double>(flood->framesFlooded) *
                                                    flood->bytesPerSecond / flood->sampleRate);
        std::uint64_t sent = flood->sent.load(std::memory_order_relaxed);
        while (sent < due) {
            const std::size_t length =
                static_cast<std::size_t>(std::min<std::uint64_t>(due - sent, kChunkBytes));
            jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, length);
            if (event == nullptr) {
                break;  // this period is full; the rest is owed to the next ones
            }
            for (std::size_t i = 0; i < length; ++i) {
                // F0 once, then a manufacturer number no instrument takes, then a count.
                const std::uint64_t at = sent + i;
                event[i] = at == 0 ? 0xF0 : at == 1 ? 0x7D : static_cast<unsigned char>(at % 128);
            }
            sent += length;
        }
        flood->sent.store(sent, std::memory_order_relaxed);
    } else if (phase == Phase::Ending) {
        bool written = true;
        if (flood->endWithF7 && flood->sent.load(std::memory_order_relaxed) > 0) {
            jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, 1);
            written = event != nullptr;
            if (written) {
                event[0] = 0xF7;
            }
        }
        if (written && !flood->then.empty()) {
            written = jack_midi_event_write(buffer, 0, flood->then.data(), flood->then.size()) == 0;
        }
        if (written) {
            flood->phase.store(Phase::Done, std::memory_order_release);
        }
    }
    flood->cycles.fetch_add(1, std::memory_order_release);
    return 0;
}

// Until `count` more cycles have run; false when they did not within a few seconds.
bool waitCycles(const Flood& flood, std::uint64_t count) {
    const std::uint64_t start = flood.cycles.load(std::memory_order_acquire);
    const auto deadline = std::chrono::steady_clock::now() + kCycleWait;
    while (flood.cycles.load(std::memory_order_acquire) < start + count) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPoll);
    }
    return true;
}

bool parseHex(const std::string& text, std::vector<unsigned char>& bytes) {
    std::string digits;
    for (char c : text) {
        if (c == ' ') {
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        digits.push_back(c);
    }
    if (digits.empty() || digits.size() % 2 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(static_cast<unsigned char>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    }
    return true;
}

bool parseCount(const char* text, long max, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && errno == 0 && value >= 0 && value <= max;
}

int usage() {
    std::fprintf(stderr,
                 "usage: sysex_flood [--end] [--then HEX] TARGET_PORT BYTES_PER_SECOND SECONDS\n");
    return 2;
}

void silence(const char*) {}

}  // namespace

int main(int argc, char** argv) {
    Flood flood;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--end") {
            flood.endWithF7 = true;
        } else if (arg == "--then" && i + 1 < argc) {
            if (!parseHex(argv[++i], flood.then)) {
                return usage();
            }
        } else {
            positional.push_back(arg);
        }
    }
    long seconds = 0;
    if (positional.size() != 3 ||
        !parseCount(positional[1].c_str(), kMaxBytesPerSecond, flood.bytesPerSecond) ||
        !parseCount(positional[2].c_str(), kMaxSeconds, seconds)) {
        return usage();
    }
    const std::string& target = positional[0];

    jack_set_error_function(&silence);
    flood.client = jack_client_open("sysex flood", JackNoStartServer, nullptr);
    if (flood.client == nullptr) {
        std::printf("SKIPPED: no JACK server\n");
        return kExitSkip;
    }
    flood.sampleRate = jack_get_sample_rate(flood.client);
    flood.port =
        jack_port_register(flood.client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (flood.port == nullptr || jack_set_process_callback(flood.client, &process, &flood) != 0 ||
        jack_activate(flood.client) != 0) {
        std::printf("FAILED: cannot make a JACK MIDI output\n");
        return 1;
    }
    int status = 0;
    // The connection carries events only from a later cycle on: wait two before the first.
    if (jack_connect(flood.client, jack_port_name(flood.port), target.c_str()) != 0 ||
        !waitCycles(flood, 2)) {
        std::printf("FAILED: cannot connect to \"%s\"\n", target.c_str());
        status = 1;
    } else {
        const auto started = std::chrono::steady_clock::now();
        if (seconds > 0) {
            flood.phase.store(Phase::Flooding, std::memory_order_release);
            std::this_thread::sleep_for(std::chrono::seconds(seconds));
        }
        flood.phase.store(Phase::Ending, std::memory_order_release);
        const auto deadline = std::chrono::steady_clock::now() + kCycleWait;
        while (flood.phase.load(std::memory_order_acquire) != Phase::Done &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(kPoll);
        }
        const bool ended = flood.phase.load(std::memory_order_acquire) == Phase::Done;
        // The last events are out once the cycle after the one that wrote them has begun.
        waitCycles(flood, 2);
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("sent %llu bytes (F0 and data) in %.1f s to %s%s%s\n",
                    static_cast<unsigned long long>(flood.sent.load()), elapsed, target.c_str(),
                    flood.endWithF7 ? ", then F7" : "",
                    flood.then.empty() ? "" : ", then one whole message");
        if (!ended) {
            std::printf("FAILED: the closing bytes found no room\n");
            status = 1;
        }
    }
    jack_deactivate(flood.client);
    jack_client_close(flood.client);
    return status;
}
