// tessaline-cli: the headless front end, on the device code the window uses.
#include <pthread.h>
#include <unistd.h>

#include <csignal>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include "app/ProgramDevices.h"
#include "platform/Clock.h"
#include "platform/NoticeQueue.h"
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

// A MIDI system's announcement that devices came or went reaches the waiting watch as this
// signal, held back like the stop signals: the one thing a wait for them also wakes for.
constexpr int kDevicesChangedSignal = SIGUSR1;

// Waits until the next look at the device lists: until the MIDI systems announce a change, or
// where they announce none, a second; false when one of the (blocked) stop signals came instead.
// Another signal that wakes the wait early only brings the look on.
bool waitForNextLook(const sigset_t& waitSignals, bool announced) {
    const timespec second{1, 0};
    const int taken = sigtimedwait(&waitSignals, nullptr, announced ? nullptr : &second);
    return taken < 0 || taken == kDevicesChangedSignal;
}

int runCommand(const std::vector<std::string>& args,
               std::chrono::steady_clock::time_point started) {
    const ParseResult parsed = parseCommandLine(args);
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
    const CliOptions& options = parsed.options;
    if (const std::string problem = programMidiApiProblem(); !problem.empty()) {
        std::cerr << "tessaline-cli: " << problem << '\n';
        return kExitUsage;
    }
    // A watch ends on Ctrl-C or SIGTERM. Both are held back from here on, before the MIDI
    // service starts its threads, so that every thread inherits the block and the watch alone
    // takes them, between two looks.
    sigset_t waitSignals;
    sigemptyset(&waitSignals);
    sigaddset(&waitSignals, SIGINT);
    sigaddset(&waitSignals, SIGTERM);
    sigaddset(&waitSignals, kDevicesChangedSignal);
    if (options.watch) {
        pthread_sigmask(SIG_BLOCK, &waitSignals, nullptr);
    }

    // No wait of the MIDI service lasts past the command's end; closing then has half a second
    // more. A watch runs until it is stopped.
    const auto commandEnd = started + std::chrono::milliseconds(options.timeoutMs);
    MidiDeadline midiDeadline{commandEnd.time_since_epoch().count()};
    auto closeAfter = [&midiDeadline](std::chrono::steady_clock::time_point end) {
        midiDeadline.store((end + std::chrono::milliseconds(kCloseGraceMs - kExitMarginMs))
                               .time_since_epoch()
                               .count());
    };
    auto timeIsUp = [&] {
        return !options.watch && std::chrono::steady_clock::now() >= commandEnd;
    };
    std::mutex consoleLock;
    std::unique_ptr<MidiService> devices =
        makeCliMidiService(options.timeoutMs, options.watch ? nullptr : &midiDeadline);
    std::unique_ptr<MidiService> tracing;
    MidiService* midi = devices.get();
    if (options.trace) {
        tracing = std::make_unique<TracingMidiService>(*devices, std::cout, consoleLock);
        midi = tracing.get();
    }

    std::unique_ptr<Profile> userProfile = makeUserProfile();
    OverlayProfile profile(userProfile.get());
    // A MIDI system that did not start in time, or a list cut short, is the command's time
    // running out, not a device that is missing.
    const std::string error = timeIsUp() ? "" : chooseDevices(options, *midi, profile);
    if (timeIsUp()) {
        closeAfter(commandEnd);
        std::cout << "Timeout\n";
        return kExitTimeout;
    }
    if (!error.empty()) {
        closeAfter(commandEnd);
        std::cerr << "tessaline-cli: " << error << '\n';
        return kExitUsage;
    }

    Console console{std::cout, std::cerr, std::cin, isatty(STDIN_FILENO) != 0, consoleLock};
    ConsoleBoxes boxes(std::cerr, consoleLock);
    NoticeQueue notices;
    SystemClock clock;
    int code = kExitOk;
    {
        SynthDevice device(PortServices{*midi, profile, boxes, notices, clock});
        CliSession session(device, notices, console);
        session.setStartTime(started);
        const bool announced = options.watch && midi->setDeviceChangeHandler(
                                                    [] { kill(getpid(), kDevicesChangedSignal); });
        session.setWatchPause(
            [&waitSignals, announced] { return waitForNextLook(waitSignals, announced); });
        code = session.run(options, *midi);
        if (announced) {
            midi->setDeviceChangeHandler({});
        }
        closeAfter(session.deadline());
    }  // the device closes its ports before the services go
    return code;
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
    std::_Exit(code);
}
