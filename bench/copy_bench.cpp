// The longest copy (Motif ES, performance, with SYS FX, INS FX and NAME: 185 messages) set
// against the time its bytes take on a 31250-baud cable, 3125 bytes per second.
//
// cpu_over_wire: CPU time to build and hand over the messages, per second of cable time; far
// below 1 means the cable, not this program, sets the pace of a copy.
// wall_over_wire: a real copy into the paced virtual instrument, per second of cable time;
// what it has above 1 is what the program and the instrument add to the cable.
// safe_over_wire: the whole checked session with its backup (the destination read before the
// copy, the copy at cable speed, the destination read back), per second of cable time of every
// byte it sent and received; the aim is no more than 1.15.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <ctime>

#include "midi/Notices.h"
#include "platform/Clock.h"
#include "platform/ForwardingMidiService.h"
#include "platform/NoticeQueue.h"
#include "platform/NullServices.h"
#include "platform/ShortMessage.h"
#include "sim/VirtualMidiService.h"
#include "synth/CopySession.h"
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

// Counts what went out, and the System Exclusive that came in, then hands everything on.
class CountingService final : public ForwardingMidiService {
  public:
    explicit CountingService(MidiService& inner) : ForwardingMidiService(inner) {}
    std::size_t bytesSent = 0;
    std::size_t messagesSent = 0;
    std::atomic<std::size_t> bytesReceived = 0;

    MidiResult outLongMsg(MidiOutHandle h, MidiHeader* m) override {
        bytesSent += m->bufferLength;
        ++messagesSent;
        return inner().outLongMsg(h, m);
    }
    MidiResult outShortMsg(MidiOutHandle h, std::uint32_t message) override {
        bytesSent += shortMessageLength(static_cast<unsigned char>(message & 0xFF));
        ++messagesSent;
        return inner().outShortMsg(h, message);
    }
    // One input at a time: its callback is wrapped to count what it is handed.
    MidiResult inOpen(MidiInHandle* handle, int device, MidiInCallback callback,
                      std::uintptr_t instance) override {
        callback_ = callback;
        instance_ = instance;
        return inner().inOpen(handle, device, &CountingService::counted,
                              reinterpret_cast<std::uintptr_t>(this));
    }

  private:
    static void counted(MidiInHandle handle, unsigned message, std::uintptr_t instance,
                        std::uintptr_t param1, std::uintptr_t param2) {
        auto* self = reinterpret_cast<CountingService*>(instance);
        if (message == MIM_LONGDATA && param1 != 0) {
            self->bytesReceived += reinterpret_cast<const MidiHeader*>(param1)->bytesRecorded;
        }
        self->callback_(handle, message, self->instance_, param1, param2);
    }

    MidiInCallback callback_ = nullptr;
    std::uintptr_t instance_ = 0;
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

// A safe copy, as the command line runs it: one checked session that keeps the destination
// before it writes, at cable speed from the program into the paced virtual Motif ES7. The voice
// is in hand beforehand, as the window has it when the user presses Execute.
void BM_SafeCopyAtCableSpeed(benchmark::State& state) {
    VirtualMidiService virtualMidi(true);
    CountingService midi(virtualMidi);
    NullProfile profile;
    NullBoxes boxes;
    NoticeQueue notices;
    SystemClock clock;
    SynthDevice device(PortServices{midi, profile, boxes, notices, clock});
    if (device.open(1) == 0 || !notices.waitFor(WM_SYNTH_IDENTIFIED, 5000)) {
        state.SkipWithError("the virtual instrument did not answer");
        return;
    }
    device.setSendSpeed(SendSpeed::cable());
    device.selectVoice(kBank, kProgram);
    if (!notices.waitFor(WM_VOICE_RECEIVED, 5000) || !virtualMidi.waitIdle(5000)) {
        state.SkipWithError("the source voice did not arrive");
        return;
    }
    WriteJob job;
    job.choice = {kModePerformance, kBank, kProgram, kPart, true, true, true};
    SessionOptions options;
    options.snapshot = true;

    midi.bytesSent = 0;
    midi.messagesSent = 0;
    midi.bytesReceived = 0;
    double elapsed = 0;
    for (auto _ : state) {
        const double start = wallSeconds();
        CopySession session(device, job, options);
        notices.drain();
        session.begin();
        // As the command line drives it: every notice, or a short while, is a look.
        const double giveUp = start + 10.0;
        while (session.running()) {
            session.advance();
            if (session.running() && wallSeconds() > giveUp) {
                session.end(SessionOutcome::TimedOut);
            }
            if (session.running()) {
                notices.take(20);
            }
        }
        elapsed += wallSeconds() - start;
        if (session.result().outcome != SessionOutcome::Checked || !session.snapshot()) {
            state.SkipWithError("the safe copy did not keep the destination and end checked");
            break;
        }
        // Nothing of this copy may still be on its way when the next begins.
        if (!virtualMidi.waitIdle(5000)) {
            state.SkipWithError("the virtual instrument did not finish");
            break;
        }
    }
    const double copies = static_cast<double>(state.iterations());
    const std::size_t both = midi.bytesSent + midi.bytesReceived.load();
    if (copies <= 0 || both == 0) {
        return;
    }
    const double wireSeconds = static_cast<double>(both) / copies / kWireBytesPerSecond;
    state.counters["sent_bytes"] = static_cast<double>(midi.bytesSent) / copies;
    state.counters["received_bytes"] = static_cast<double>(midi.bytesReceived.load()) / copies;
    state.counters["wire_ms"] = wireSeconds * 1e3;
    state.counters["measured_ms"] = elapsed / copies * 1e3;
    state.counters["safe_over_wire"] = elapsed / copies / wireSeconds;
    device.close();
}
BENCHMARK(BM_SafeCopyAtCableSpeed)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
}  // namespace tessaline::bench

BENCHMARK_MAIN();
