// tessaline-cli: the headless front end, on the device code the window uses.
#include <unistd.h>

#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/NoticeQueue.h"
#include "platform/rtmidi/ProgramMidiService.h"
#include "synth/SynthDevice.h"
#include "tools/cli/CliEnvironment.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/CliSession.h"
#include "tools/cli/CliSupport.h"
#include "tools/cli/TracingMidiService.h"

using namespace tessaline;
using namespace tessaline::cli;

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParseResult parsed = parseCommandLine(args);
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

    std::mutex consoleLock;
    std::unique_ptr<MidiService> devices = makeCliMidiService();
    std::unique_ptr<MidiService> tracing;
    MidiService* midi = devices.get();
    if (options.trace) {
        tracing = std::make_unique<TracingMidiService>(*devices, std::cout, consoleLock);
        midi = tracing.get();
    }

    std::unique_ptr<Profile> userProfile = makeUserProfile();
    OverlayProfile profile(userProfile.get());
    if (const std::string error = chooseDevices(options, *midi, profile); !error.empty()) {
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
        code = session.run(options, *midi);
    }  // the device closes its ports before the services go
    return code;
}
