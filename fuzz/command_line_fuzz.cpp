// The tools' command lines and the virtual instrument's control commands.
//
// The first input byte picks the reader: 0 tessaline-cli, 1 tessaline-virtual-instrument,
// 2 tessaline-screenshot (each gets the rest split at NUL bytes as its arguments, every one an
// exact copy so that a read past its end is caught), 3 the control commands on the virtual
// instrument's standard input (the rest split into lines, for the model the second byte picks).
// What a reader accepts must be a usable setting; a control command answers one line.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "fuzz/SharedInstruments.h"
#include "tools/cli/CliOptions.h"
#include "tools/screenshot/ScreenshotOptions.h"
#include "tools/virtual-instrument/ControlCommand.h"
#include "tools/virtual-instrument/InstrumentOptions.h"

namespace {

using namespace tessaline;
using fuzz::check;

std::vector<std::string> split(const std::uint8_t* data, std::size_t size, char separator) {
    std::vector<std::string> parts;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (static_cast<char>(data[i]) == separator) {
            parts.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    parts.push_back(current);
    return parts;
}

// argv as main receives it: the program name, the arguments, a null pointer.
class Argv {
  public:
    explicit Argv(const std::vector<std::string>& args) {
        add("tool");
        for (const std::string& arg : args) {
            add(arg);
        }
        pointers_.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(pointers_.size()) - 1; }
    char** argv() { return pointers_.data(); }

  private:
    void add(const std::string& text) {
        storage_.push_back(std::make_unique<char[]>(text.size() + 1));
        std::memcpy(storage_.back().get(), text.c_str(), text.size() + 1);
        pointers_.push_back(storage_.back().get());
    }
    std::vector<std::unique_ptr<char[]>> storage_;
    std::vector<char*> pointers_;
};

bool validProgram(int letter, int number) {
    return letter >= 0 && letter < 8 && number >= 0 && number < 16;
}

void checkCli(const std::vector<std::string>& args) {
    const cli::ParseResult result = cli::parseCommandLine(args);
    if (!result.error.empty() || result.options.command == cli::Command::None) {
        return;
    }
    const cli::CliOptions& o = result.options;
    check(o.timeoutMs >= 0 && o.inDevice.value_or(0) >= 0 && o.outDevice.value_or(0) >= 0);
    if (o.pace) {
        // A speed taken here can be stored and read back.
        check(sendSpeedFromStored(storedSendSpeed(*o.pace)) == o.pace);
    }
    switch (o.command) {
        case cli::Command::Voice:
            check(validProgram(o.voice.letter, o.voice.number) && !o.voice.bank.empty());
            break;
        case cli::Command::Performance:
            check(validProgram(o.performance.letter, o.performance.number));
            break;
        case cli::Command::Copy: {
            const cli::CopySpec& c = o.copy;
            const bool performance = c.destination == cli::Destination::Performance;
            check(validProgram(c.voice.letter, c.voice.number) && !c.voice.bank.empty());
            check(c.part >= 1 && c.part <= (performance ? 4 : 16));
            check(performance ? validProgram(c.performance.letter, c.performance.number) : !c.name);
            break;
        }
        default:
            break;
    }
}

void checkInstrumentOptions(const std::vector<std::string>& args) {
    Argv argv(args);
    tools::InstrumentOptions options;
    if (tools::parseInstrumentOptions(argv.argc(), argv.argv(), options)) {
        check(options.api == "alsa" || options.api == "jack");
    }
}

void checkScreenshotOptions(const std::vector<std::string>& args) {
    Argv argv(args);
    screenshot::ScreenshotOptions options;
    if (screenshot::parseOptions(argv.argc(), argv.argv(), options).empty()) {
        check(!options.output.empty() && options.device >= 0 && options.device <= 3);
        check(options.timeoutMs >= 1 && options.timeoutMs <= 600000);
    }
}

void checkControlCommands(std::size_t modelIndex, const std::vector<std::string>& lines) {
    VirtualInstrument& instrument = fuzz::SharedInstruments::fresh(modelIndex);
    for (const std::string& line : lines) {
        const tools::ControlReply reply = tools::runControlCommand(line, instrument);
        check(!reply.text.empty() && reply.text.find('\n') == std::string::npos);
        if (reply.quit) {
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t* rest = input + 1;
    switch (input[0] % 4) {
        case 0:
            checkCli(split(rest, size - 1, '\0'));
            break;
        case 1:
            checkInstrumentOptions(split(rest, size - 1, '\0'));
            break;
        case 2:
            checkScreenshotOptions(split(rest, size - 1, '\0'));
            break;
        default:
            checkControlCommands(input[1], split(input + 2, size - 2, '\n'));
            break;
    }
    return 0;
}
