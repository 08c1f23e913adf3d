#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ForwardingMidiService.h"
#include "platform/NoticeQueue.h"
#include "sim/VirtualMidiService.h"
#include "synth/SynthDevice.h"
#include "tests/support/Fakes.h"
#include "tests/support/ScratchFolder.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/CliSession.h"
#include "tools/cli/CliSupport.h"
#include "tools/cli/TracingMidiService.h"

namespace tessaline::test {

// Long messages for which the test's rule holds are not sent and fail as on an unplugged
// interface. It sits under the trace, so a failed message is still traced as attempted.
class FailingSends final : public ForwardingMidiService {
  public:
    using Rule = std::function<bool(const std::vector<unsigned char>&)>;
    explicit FailingSends(MidiService& inner) : ForwardingMidiService(inner) {}

    // Set before the run; sends happen on the session's thread.
    void failWhen(Rule rule) { rule_ = std::move(rule); }
    int failures() const { return failures_.load(); }

    MidiResult outLongMsg(MidiOutHandle h, MidiHeader* header) override {
        if (rule_ && header != nullptr &&
            rule_(std::vector<unsigned char>(header->data, header->data + header->bufferLength))) {
            ++failures_;
            return midiresult::DeviceGone;
        }
        return inner().outLongMsg(h, header);
    }

  private:
    Rule rule_;
    std::atomic<int> failures_{0};
};

// The command line's own wiring, on the virtual instruments without cable pacing, with every
// message traced into a string.
struct CliRig {
    CliRig() : failing(virtualDevices), tracing(failing, trace, lock), overlay(&stored) {}

    // Runs one command line; returns the exit code.
    int run(const std::vector<std::string>& args) {
        const cli::ParseResult parsed = cli::parseCommandLine(args);
        if (!parsed.error.empty()) {
            err << parsed.error;
            return cli::kExitUsage;
        }
        if (const std::string error = cli::chooseDevices(parsed.options, tracing, overlay);
            !error.empty()) {
            err << error;
            return cli::kExitUsage;
        }
        cli::Console console{out, err, in, false, lock};
        cli::ConsoleBoxes boxes(err, lock);
        NoticeQueue notices;
        SynthDevice device(PortServices{tracing, overlay, boxes, notices, clock});
        cli::CliSession session(device, notices, console);
        session.setWatchPause(watchPause);
        session.setDataFolder(dataFolder.path);
        return session.run(parsed.options, tracing);
    }

    std::vector<std::string> lines(const std::ostringstream& stream) const {
        std::vector<std::string> result;
        std::istringstream split(stream.str());
        for (std::string line; std::getline(split, line);) {
            result.push_back(line);
        }
        return result;
    }

    VirtualMidiService virtualDevices{false};
    FailingSends failing;
    std::mutex lock;
    std::ostringstream trace;
    cli::TracingMidiService tracing;
    InMemoryProfile stored;
    cli::OverlayProfile overlay;
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
    RecordingClock clock;
    std::function<bool()> watchPause;  // devices --watch: between two looks
    ScratchFolder dataFolder;          // the rig's own backups
};

}  // namespace tessaline::test
