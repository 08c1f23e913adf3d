// The longest copy (Motif ES, performance, with SYS FX, INS FX and NAME: 185 messages) set
// against the time its bytes take on a 31250-baud cable, 3125 bytes per second.
//
// cpu_over_wire: CPU time to build and hand over the messages, per second of cable time; far
// below 1 means the cable, not this program, sets the pace of a copy.
// wall_over_wire: a real copy into the paced virtual instrument, per second of cable time;
// what it has above 1 is what the program and the instrument add to the cable.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <ctime>

#include "midi/Notices.h"
#include "platform/ForwardingMidiService.h"
#include "platform/NoticeQueue.h"
#include "platform/NullServices.h"
#include "sim/VirtualMidiService.h"
#include "synth/SynthDevice.h"

namespace tessaline::bench {
namespace {

constexpr double kWireBytesPerSecond = 3125.0;

// Arguments of the longest copy: PRE1 A01 into part 3 of a performance, every option on.
constexpr unsigned char kBank = 0;
constexpr unsigned char kProgram = 0;
constexpr unsigned char kPart = 2;

// CPU time of this thread, in seconds.
double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Wall time, in seconds.
double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Per copy: messages, bytes, their wire time, and the measured time as a share of it.
void reportAgainstWire(benchmark::State& state, std::size_t messages, std::size_t bytes,
                       double measuredSeconds, const char* ratioName) {
    const double copies = static_cast<double>(state.iterations());
    if (copies <= 0 || bytes == 0) {
        return;
    }
    const double wireSeconds = static_cast<double>(bytes) / copies / kWireBytesPerSecond;
    const double measuredPerCopy = measuredSeconds / copies;
    state.counters["messages"] = static_cast<double>(messages) / copies;
    state.counters["bytes"] = static_cast<double>(bytes) / copies;
    state.counters["wire_ms"] = wireSeconds * 1e3;
    state.counters["measured_ms"] = measuredPerCopy * 1e3;
    state.counters[ratioName] = measuredPerCopy / wireSeconds;
}

// The script's own cost: every message built, framed and handed to a service that drops it.
void BM_LongestCopyDiscarded(benchmark::State& state) {
    NullMidiService midi;
    NullProfile profile;
    NullBoxes boxes;
    NullPoster poster;
    NullClock clock;
    SynthDevice device(PortServices{midi, profile, boxes, poster, clock});
    device.open(0);
    device.applyModel("Motif ES7", FamilyMotifES, "7F 00");
    device.setConnected();
    midi.bytesSent = 0;
    midi.messagesSent = 0;
    const double start = cpuSeconds();
    for (auto _ : state) {
        device.copyVoiceOfFamily(kModePerformance, kBank, kProgram, kPart, 1, 1, 1);
    }
    reportAgainstWire(state, midi.messagesSent, midi.bytesSent, cpuSeconds() - start,
                      "cpu_over_wire");
}
BENCHMARK(BM_LongestCopyDiscarded)->Unit(benchmark::kMicrosecond);

// Counts what the long sends carried, then hands them on.
class CountingService final : public ForwardingMidiService {
  public:
    explicit CountingService(MidiService& inner) : ForwardingMidiService(inner) {}
    std::size_t bytesSent = 0;
    std::size_t messagesSent = 0;

    MidiResult outLongMsg(MidiOutHandle h, MidiHeader* m) override {
        bytesSent += m->bufferLength;
        ++messagesSent;
        return inner().outLongMsg(h, m);
    }
};

// The same copy into the virtual Motif ES7 (device 0) with its cable pacing on: wall time
// against wire time, so what the program adds on top of the cable shows.
void BM_LongestCopyPacedVirtualInstrument(benchmark::State& state) {
    VirtualMidiService virtualMidi(true);
    CountingService midi(virtualMidi);
    NullProfile profile;
    NullBoxes boxes;
    NoticeQueue notices;
    NullClock clock;  // only the mode change waits on it, and that is no part of the copy
    SynthDevice device(PortServices{midi, profile, boxes, notices, clock});
    VirtualInstrument* instrument = virtualMidi.instrument(0);
    if (device.open(1) == 0 || !notices.waitFor(WM_SYNTH_IDENTIFIED, 5000) ||
        instrument == nullptr) {
        state.SkipWithError("the virtual instrument did not answer");
        return;
    }
    // The source voice, fetched as the window does before a copy.
    device.selectVoice(kBank, kProgram);
    if (!notices.waitFor(WM_VOICE_RECEIVED, 5000) || !virtualMidi.waitIdle(5000)) {
        state.SkipWithError("the source voice did not arrive");
        return;
    }
    midi.bytesSent = 0;
    midi.messagesSent = 0;
    const int receivedBefore = instrument->receivedCount();
    const int ignoredBefore = instrument->ignored().total();

    const double start = wallSeconds();
    for (auto _ : state) {
        device.copyVoiceOfFamily(kModePerformance, kBank, kProgram, kPart, 1, 1, 1);
        // The copy is over when the instrument has taken its last message.
        if (!virtualMidi.waitIdle(5000)) {
            state.SkipWithError("the virtual instrument did not finish");
            break;
        }
    }
    const double elapsed = wallSeconds() - start;
    reportAgainstWire(state, midi.messagesSent, midi.bytesSent, elapsed, "wall_over_wire");
    state.counters["taken_by_instrument"] =
        static_cast<double>(instrument->receivedCount() - receivedBefore) /
        static_cast<double>(state.iterations());
    state.counters["ignored_by_instrument"] = instrument->ignored().total() - ignoredBefore;
    device.close();
}
BENCHMARK(BM_LongestCopyPacedVirtualInstrument)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

}  // namespace
}  // namespace tessaline::bench

BENCHMARK_MAIN();
