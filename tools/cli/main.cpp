// tessaline-cli: the headless front end, on the device code the window uses.
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/ProgramDevices.h"
#include "platform/Clock.h"
#include "platform/NoticeQueue.h"
#include "platform/ProcessEnd.h"
#include "platform/Terminal.h"
#include "platform/UserDataFolder.h"
#include "platform/WatchPause.h"
#include "res/Version.h"
#include "synth/SynthDevice.h"
#include "tools/cli/CliEnvironment.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/CliSession.h"
#include "tools/cli/CliSupport.h"
#include "tools/cli/TracingMidiService.h"

using namespace tessaline;
using namespace tessaline::cli;

namespace {

// What the command may take beyond its time-out: closing the ports, and ending.
constexpr int kCloseGraceMs = 500;
constexpr int kExitMarginMs = 100;

// What the program answers before it touches a device: help, version, a usage error, or a
// MIDI system named in the environment that this build does not have. None: go on.
std::optional<int> answerWithoutDevices(const ParseResult& parsed) {
    if (parsed.options.showHelp) {
        std::cout << usageText();
        return kExitOk;
    }
    if (parsed.options.showVersion) {
        std::cout << "tessaline-cli " << kVersion << '\n';
        return kExitOk;
    }
    if (!parsed.error.empty() || parsed.options.command == Command::None) {
        if (!parsed.error.empty()) {
            std::cerr << "tessaline-cli: " << parsed.error << "\n\n";
        }
        std::cerr << usageText();
        return kExitUsage;
    }
    if (const std::string problem = programMidiApiProblem(); !problem.empty()) {
        std::cerr << "tessaline-cli: " << problem << '\n';
        return kExitUsage;
    }
    return std::nullopt;
}

// The command's time, from the program's start. No wait of the MIDI service lasts past its
// end; closing then has half a second more. A watch runs until it is stopped.
class CommandTime {
  public:
    CommandTime(const CliOptions& options, std::chrono::steady_clock::time_point started)
        : watch_(options.watch),
          end_(started + std::chrono::milliseconds(options.timeoutMs)),
          deadline_(end_.time_since_epoch().count()) {}

    const MidiDeadline* midiDeadline() const { return watch_ ? nullptr : &deadline_; }
    bool isUp() const { return !watch_ && std::chrono::steady_clock::now() >= end_; }
    void closeBy(std::chrono::steady_clock::time_point end) {
        deadline_.store((end + std::chrono::milliseconds(kCloseGraceMs - kExitMarginMs))
                            .time_since_epoch()
                            .count());
    }
    void closeByEnd() { closeBy(end_); }

  private:
    const bool watch_;
    const std::chrono::steady_clock::time_point end_;
    MidiDeadline deadline_;
};

// The devices, and with --trace a service in front of them that prints every message.
struct CliMidi {
    std::unique_ptr<MidiService> devices;
    std::unique_ptr<MidiService> tracing;
    MidiService& use() { return tracing ? *tracing : *devices; }
};

CliMidi makeMidi(const CliOptions& options, const CommandTime& time, std::mutex& consoleLock) {
    CliMidi midi;
    midi.devices = makeCliMidiService(options.timeoutMs, time.midiDeadline());
    if (options.trace) {
        midi.tracing = std::make_unique<TracingMidiService>(*midi.devices, std::cout, consoleLock);
    }
    return midi;
}

// Picks the devices the command uses; an exit code when it cannot go on. A MIDI system that
// did not start in time, or a list cut short, is the command's time running out, not a device
// that is missing.
std::optional<int> chooseDevicesInTime(const CliOptions& options, MidiService& midi,
                                       Profile& profile, CommandTime& time) {
    const std::string error = time.isUp() ? "" : chooseDevices(options, midi, profile);
    if (time.isUp()) {
        time.closeByEnd();
        std::cout << "Timeout\n";
        return kExitTimeout;
    }
    if (!error.empty()) {
        time.closeByEnd();
        std::cerr << "tessaline-cli: " << error << '\n';
        return kExitUsage;
    }
    return std::nullopt;
}

int runSession(const CliOptions& options, MidiService& midi, Profile& profile,
               std::mutex& consoleLock, WatchPause& pause,
               std::chrono::steady_clock::time_point started, CommandTime& time) {
    Console console{std::cout, std::cerr, std::cin, standardInputIsTerminal(), consoleLock};
    ConsoleBoxes boxes(std::cerr, consoleLock);
    NoticeQueue notices;
    SystemClock clock;
    // The device closes its ports before the services go.
    SynthDevice device(PortServices{midi, profile, boxes, notices, clock});
    CliSession session(device, notices, console);
    session.setStartTime(started);
    session.setDataFolder(programDataFolder());
    const bool announced = options.watch && midi.setDeviceChangeHandler([&pause] { pause.wake(); });
    session.setWatchPause([&pause, announced] { return pause.waitForNextLook(announced); });
    const int code = session.run(options, midi);
    if (announced) {
        midi.setDeviceChangeHandler({});
    }
    time.closeBy(session.deadline());
    return code;
}

int runCommand(const std::vector<std::string>& args,
               std::chrono::steady_clock::time_point started) {
    const ParseResult parsed = parseCommandLine(args);
    if (const std::optional<int> answer = answerWithoutDevices(parsed)) {
        return *answer;
    }
    const CliOptions& options = parsed.options;
    // Before the MIDI service starts its threads: a stop must reach the watch's pause alone.
    const std::unique_ptr<WatchPause> pause = makeWatchPause(options.watch);
    CommandTime time(options, started);
    std::mutex consoleLock;
    CliMidi midi = makeMidi(options, time, consoleLock);
    std::unique_ptr<Profile> userProfile = makeUserProfile();
    OverlayProfile profile(userProfile.get());
    if (const std::optional<int> stop = chooseDevicesInTime(options, midi.use(), profile, time)) {
        return *stop;
    }
    return runSession(options, midi.use(), profile, consoleLock, *pause, started, time);
}

}  // namespace

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    const int code = runCommand(std::vector<std::string>(argv + 1, argv + argc), started);
    // Everything of ours is closed. A MIDI library call that never returned (a JACK graph held
    // up by a frozen client) may still hold a thread, and the library's own teardown would wait
    // for it: the command has its answer, so it ends here, on time.
    std::cout.flush();
    std::cerr.flush();
    endProcessNow(code);
}
