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
#include <optional>
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
        "  --name CLIENT  the client name other programs see (default \"NAME (virtual)\"),\n"
        "                 also the start of the ports' names \"CLIENT MIDI In\" and\n"
        "                 \"CLIENT MIDI Out\"; cut to what the MIDI system takes\n"
        "  --seed N       seed of the instrument's memory contents (default 1)\n"
        "Runs until interrupted or until standard input ends. Commands on standard\n"
        "input, one a line, each answered with one line:\n"
        "  print HHMMLL COUNT  COUNT bytes of memory from address HH MM LL (hex)\n"
        "  mode                the mode parameter (0 voice, 1 performance, 3 song mix)\n"
        "  ignored             how many messages were ignored, and how many received\n"
        "  lost                how many messages were lost to freezes (among the ignored)\n"
        "  drop HHMMLL         lose the next parameter change to that address, once\n"
        "  damage              send the next dump block with a wrong checksum, once\n"
        "  freeze MS           take no MIDI in for MS milliseconds (1 to %d), as a\n"
        "                      stalled instrument: what arrives meanwhile waits, and\n"
        "                      beyond the %zu bytes a MIDI system holds, is lost\n"
        "  quit                end\n",
        tessaline::tools::kMaxFreezeMs, tessaline::VirtualInstrument::kFrozenHoldBytes);
}

// --help and --version answer alone; none: go on.
std::optional<int> answerAlone(int argc, char** argv) {
    if (argc != 2) {
        return std::nullopt;
    }
    const std::string arg = argv[1];
    if (arg == "--help" || arg == "-h") {
        printUsage(stdout);
        return 0;
    }
    if (arg == "--version") {
        std::printf("tessaline-virtual-instrument %s\n", tessaline::kVersion);
        return 0;
    }
    return std::nullopt;
}

std::unique_ptr<tessaline::VirtualInstrument> makeInstrument(
    tessaline::tools::InstrumentOptions& options) {
    std::unique_ptr<tessaline::VirtualInstrument> instrument =
        tessaline::VirtualInstrument::create(options.model, options.seed);
    if (!instrument) {
        std::fprintf(stderr, "tessaline-virtual-instrument: unknown model \"%s\"\n",
                     options.model.c_str());
        printUsage(stderr);
        return nullptr;
    }
    instrument->setWirePacing(options.pace);
    if (options.clientName.empty()) {
        options.clientName = options.model + " (virtual)";
    }
    return instrument;
}

void stopOnSignals() {
    struct sigaction action = {};
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// The instrument on its ports: its replies go out through them once they stand, until they go.
class InstrumentOnPorts {
  public:
    InstrumentOnPorts(tessaline::VirtualInstrument& instrument, const std::string& api,
                      const std::string& clientName)
        : instrument_(instrument) {
        tessaline::VirtualInstrument* target = &instrument_;
        ports_ = std::make_unique<tessaline::VirtualPorts>(
            api, clientName,
            [target](const std::vector<unsigned char>& message) { target->receive(message); });
        instrument_.setReplySink([this](const std::vector<unsigned char>& reply) {
            tessaline::VirtualPorts* ports = forReplies_.load();
            if (ports != nullptr &&
                ports->send(reply.data(), reply.size()) != tessaline::midiresult::Ok) {
                repliesNotSent_.fetch_add(1);
            }
        });
        forReplies_.store(ports_.get());
    }
    ~InstrumentOnPorts() {
        forReplies_.store(nullptr);
        ports_.reset();
        instrument_.setReplySink(nullptr);
    }
    InstrumentOnPorts(const InstrumentOnPorts&) = delete;
    InstrumentOnPorts& operator=(const InstrumentOnPorts&) = delete;

    tessaline::VirtualPorts& ports() { return *ports_; }
    // Replies the ports could not send since the last call.
    unsigned takeRepliesNotSent() { return repliesNotSent_.exchange(0); }

  private:
    tessaline::VirtualInstrument& instrument_;
    std::atomic<tessaline::VirtualPorts*> forReplies_{nullptr};
    std::atomic<unsigned> repliesNotSent_{0};
    std::unique_ptr<tessaline::VirtualPorts> ports_;
};

// Answers each whole line of `pending`; false once a command ends the program.
bool runControlLines(std::string& pending, tessaline::VirtualInstrument& instrument) {
    if (pending.size() > 4096 && pending.find('\n') == std::string::npos) {
        pending.clear();  // no command is that long
    }
    std::size_t newline;
    while ((newline = pending.find('\n')) != std::string::npos) {
        const std::string line = pending.substr(0, newline);
        pending.erase(0, newline + 1);
        const tessaline::tools::ControlReply reply =
            tessaline::tools::runControlCommand(line, instrument);
        std::printf("%s\n", reply.text.c_str());
        std::fflush(stdout);
        if (reply.quit) {
            return false;
        }
    }
    return true;
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

// Reads control commands until the input ends, a signal or `quit` stops it, or the MIDI
// server goes; the exit status. A frozen instrument resumes from here when its time is
// over.
int readControlCommands(tessaline::VirtualInstrument& instrument, InstrumentOnPorts& onPorts,
                        PortTroubleReport& troubleReport) {
    tessaline::VirtualPorts& ports = onPorts.ports();
    std::string pending;
    while (!stopRequested) {
        troubleReport.add(ports.takeInputTrouble(), onPorts.takeRepliesNotSent());
        troubleReport.printDue(false);
        if (!ports.alive()) {
            std::fprintf(stderr, "tessaline-virtual-instrument: the MIDI server went away\n");
            return 3;
        }
        const int frozenMs = instrument.thawIfDue();
        pollfd in = {STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&in, 1, frozenMs > 0 && frozenMs < 100 ? frozenMs : 100);
        if (ready < 0 && errno != EINTR) {
            return 0;
        }
        if (ready <= 0) {
            continue;
        }
        char buffer[512];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return 0;
        }
        pending.append(buffer, static_cast<std::size_t>(got));
        if (!runControlLines(pending, instrument)) {
            return 0;
        }
    }
    return 0;
}

int runControlLoop(tessaline::VirtualInstrument& instrument, InstrumentOnPorts& onPorts) {
    PortTroubleReport troubleReport;
    const int status = readControlCommands(instrument, onPorts, troubleReport);
    troubleReport.add(onPorts.ports().takeInputTrouble(), onPorts.takeRepliesNotSent());
    troubleReport.printDue(true);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> answered = answerAlone(argc, argv)) {
        return *answered;
    }
    tessaline::tools::InstrumentOptions options;
    if (!tessaline::tools::parseInstrumentOptions(argc, argv, options)) {
        printUsage(stderr);
        return 1;
    }
    std::unique_ptr<tessaline::VirtualInstrument> instrument = makeInstrument(options);
    if (!instrument) {
        return 1;
    }
    stopOnSignals();
    std::unique_ptr<InstrumentOnPorts> onPorts;
    try {
        onPorts = std::make_unique<InstrumentOnPorts>(*instrument, options.api, options.clientName);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tessaline-virtual-instrument: %s\n", error.what());
        return 2;
    }
    std::printf("ready %s: in \"%s\", out \"%s\"\n", options.model.c_str(),
                onPorts->ports().inputName().c_str(), onPorts->ports().outputName().c_str());
    std::fflush(stdout);
    return runControlLoop(*instrument, *onPorts);
}
