// tessaline-virtual-instrument: a virtual instrument of the family on real MIDI ports, so that
// Tessaline, or any other MIDI program, can be tried on a machine without an instrument.

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtmidi/VirtualPorts.h"
#include "res/Version.h"
#include "sim/InstrumentModels.h"
#include "sim/VirtualInstrument.h"
#include "tools/virtual-instrument/ControlCommand.h"
#include "tools/virtual-instrument/InstrumentOptions.h"

namespace {

volatile sig_atomic_t stopRequested = 0;

void onSignal(int) {
    stopRequested = 1;
}

void printUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: tessaline-virtual-instrument --api alsa|jack [--model NAME] [--fast]\n"
                 "                                    [--name CLIENT] [--seed N]\n"
                 "       tessaline-virtual-instrument --help | --version\n"
                 "  --model NAME   the instrument (default \"Motif ES7\"), one of:\n");
    for (const tessaline::InstrumentModel& model : tessaline::instrumentModels()) {
        std::fprintf(to, "                   %s\n", model.displayName);
    }
    std::fprintf(
        to,
        "  --api          the MIDI system to make the ports on\n"
        "  --fast         answer at once instead of at the speed of a 31250-baud cable\n"
        "  --name CLIENT  the client name other programs see (default \"NAME (virtual)\")\n"
        "  --seed N       seed of the instrument's memory contents (default 1)\n"
        "Runs until interrupted or until standard input ends. Commands on standard\n"
        "input: print HHMMLL COUNT, mode, ignored, quit.\n");
}

// What the ports could not take in or send out goes to stderr in one line at once, then at most
// one line each ten seconds with the counts since: a flood of input must not become a flood of
// lines.
class PortTroubleReport {
  public:
    void add(const tessaline::VirtualPorts::InputTrouble& input, unsigned repliesNotSent) {
        overlong_ += input.overlong;
        overruns_ += input.overruns;
        repliesNotSent_ += repliesNotSent;
    }
    void printDue(bool last) {
        const auto now = std::chrono::steady_clock::now();
        if ((overlong_ == 0 && overruns_ == 0 && repliesNotSent_ == 0) ||
            (!last && printed_ && now < nextLine_)) {
            return;
        }
        std::fprintf(stderr,
                     "tessaline-virtual-instrument: input dropped: %u System Exclusive "
                     "message(s) over 1 MiB, %u overrun(s); %u reply message(s) not sent%s\n",
                     overlong_, overruns_, repliesNotSent_,
                     printed_ ? " since the last report" : "");
        overlong_ = overruns_ = repliesNotSent_ = 0;
        printed_ = true;
        nextLine_ = now + std::chrono::seconds(10);
    }

  private:
    unsigned overlong_ = 0;
    unsigned overruns_ = 0;
    unsigned repliesNotSent_ = 0;
    bool printed_ = false;
    std::chrono::steady_clock::time_point nextLine_;
};

}  // namespace

int main(int argc, char** argv) {
    tessaline::tools::InstrumentOptions options;
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        printUsage(stdout);
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("tessaline-virtual-instrument %s\n", tessaline::kVersion);
        return 0;
    }
    if (!tessaline::tools::parseInstrumentOptions(argc, argv, options)) {
        printUsage(stderr);
        return 1;
    }
    std::unique_ptr<tessaline::VirtualInstrument> instrument =
        tessaline::VirtualInstrument::create(options.model, options.seed);
    if (!instrument) {
        std::fprintf(stderr, "tessaline-virtual-instrument: unknown model \"%s\"\n",
                     options.model.c_str());
        printUsage(stderr);
        return 1;
    }
    instrument->setWirePacing(options.pace);
    if (options.clientName.empty()) {
        options.clientName = options.model + " (virtual)";
    }

    struct sigaction action = {};
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::atomic<tessaline::VirtualPorts*> portsForReplies{nullptr};
    std::atomic<unsigned> repliesNotSent{0};
    instrument->setReplySink(
        [&portsForReplies, &repliesNotSent](const std::vector<unsigned char>& reply) {
            tessaline::VirtualPorts* ports = portsForReplies.load();
            if (ports != nullptr &&
                ports->send(reply.data(), reply.size()) != tessaline::midiresult::Ok) {
                repliesNotSent.fetch_add(1);
            }
        });
    std::unique_ptr<tessaline::VirtualPorts> ports;
    try {
        tessaline::VirtualInstrument* target = instrument.get();
        ports = std::make_unique<tessaline::VirtualPorts>(
            options.api, options.clientName,
            [target](const std::vector<unsigned char>& message) { target->receive(message); });
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tessaline-virtual-instrument: %s\n", error.what());
        return 2;
    }
    portsForReplies.store(ports.get());
    std::printf("ready %s: in \"%s\", out \"%s\"\n", options.model.c_str(),
                ports->inputName().c_str(), ports->outputName().c_str());
    std::fflush(stdout);

    int status = 0;
    std::string pending;
    bool inputOpen = true;
    PortTroubleReport troubleReport;
    while (!stopRequested && inputOpen) {
        troubleReport.add(ports->takeInputTrouble(), repliesNotSent.exchange(0));
        troubleReport.printDue(false);
        if (!ports->alive()) {
            std::fprintf(stderr, "tessaline-virtual-instrument: the MIDI server went away\n");
            status = 3;
            break;
        }
        pollfd in = {STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&in, 1, 100);
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (ready <= 0) {
            continue;
        }
        char buffer[512];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && errno == EINTR) {
                continue;
            }
            inputOpen = false;
            break;
        }
        pending.append(buffer, static_cast<std::size_t>(got));
        if (pending.size() > 4096 && pending.find('\n') == std::string::npos) {
            pending.clear();  // no command is that long
        }
        std::size_t newline;
        while ((newline = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, newline);
            pending.erase(0, newline + 1);
            const tessaline::tools::ControlReply reply =
                tessaline::tools::runControlCommand(line, *instrument);
            std::printf("%s\n", reply.text.c_str());
            std::fflush(stdout);
            if (reply.quit) {
                inputOpen = false;
                break;
            }
        }
    }
    portsForReplies.store(nullptr);
    troubleReport.add(ports->takeInputTrouble(), repliesNotSent.exchange(0));
    troubleReport.printDue(true);
    ports.reset();
    return status;
}
