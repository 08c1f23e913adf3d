#include "tools/cli/CliOptions.h"

#include <cctype>
#include <cstdlib>

namespace tessaline::cli {

namespace {

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::optional<int> parseInt(const std::string& text) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    std::size_t start = text[0] == '-' ? 1 : 0;
    if (start == text.size()) {
        return std::nullopt;
    }
    for (std::size_t i = start; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            return std::nullopt;
        }
    }
    return std::atoi(text.c_str());
}

struct CopyFlags {
    std::optional<std::string> voice;
    std::optional<std::string> to;
    std::optional<std::string> part;
};

}  // namespace

std::optional<ProgramSpec> parseProgramSpec(const std::string& text) {
    const std::string t = upper(text);
    if (t.size() != 3 || t[0] < 'A' || t[0] > 'H' ||
        !std::isdigit(static_cast<unsigned char>(t[1])) ||
        !std::isdigit(static_cast<unsigned char>(t[2]))) {
        return std::nullopt;
    }
    const int number = (t[1] - '0') * 10 + (t[2] - '0');
    if (number < 1 || number > 16) {
        return std::nullopt;
    }
    return ProgramSpec{t[0] - 'A', number - 1};
}

std::optional<VoiceSpec> parseVoiceSpec(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0) {
        return std::nullopt;
    }
    const auto program = parseProgramSpec(text.substr(colon + 1));
    if (!program) {
        return std::nullopt;
    }
    return VoiceSpec{upper(text.substr(0, colon)), program->letter, program->number};
}

std::string usageText() {
    return "Usage: tessaline-cli [options] COMMAND\n"
           "\n"
           "Commands:\n"
           "  devices [--watch]                  list the MIDI input and output devices; with\n"
           "                                     --watch go on, printing a line for each device\n"
           "                                     that comes or goes, until interrupted\n"
           "  identify                           connect and name the instrument\n"
           "  voice BANK:LNN                     show a voice, e.g. PRE1:A01, USER2:H16, GM:C05\n"
           "  performance LNN                    show a USER performance, e.g. B16\n"
           "  copy --voice BANK:LNN --to performance:LNN --part P [--sys-fx] [--ins-fx] [--name]\n"
           "       [--verify]\n"
           "  copy --voice BANK:LNN --to mix --part P [--sys-fx] [--ins-fx] [--verify]\n"
           "                                     copy a voice into part P (1-4 of a performance,\n"
           "                                     1-16 of the song mix); --verify compares what\n"
           "                                     the instrument then holds with what was sent,\n"
           "                                     and sends the copy once more if they differ\n"
           "\n"
           "Options:\n"
           "  --in N           MIDI input device number\n"
           "  --out N          MIDI output device number\n"
           "  --device TEXT    the first input and output whose name contains TEXT\n"
           "  --timeout MS     the longest the command may take, 100 to 600000, besides the\n"
           "                   time its messages need at the chosen speed (default 4000)\n"
           "  --pace SPEED     send speed: cable (as fast as a MIDI cable takes it), fast\n"
           "                   (no pause) or MS, a pause of 1 to 100 ms between messages;\n"
           "                   default: the speed stored for the instrument, else cable\n"
           "                   (fast for the virtual instruments)\n"
           "  --trace          print every message sent (>) and received (<)\n"
           "  -h, --help       show this help and exit\n"
           "  --version        show the version and exit\n"
           "\n"
           "Exit codes: 0 done, 1 usage error, 2 a port could not be opened,\n"
           "3 the instrument did not answer in time, 4 not every message could be sent,\n"
           "5 the instrument did not take every value (copy --verify).\n";
}

ParseResult parseCommandLine(const std::vector<std::string>& args) {
    ParseResult result;
    CliOptions& o = result.options;
    auto fail = [&](const std::string& message) {
        result.error = message;
        return result;
    };

    std::size_t i = 0;
    auto value = [&](const std::string& flag) -> std::optional<std::string> {
        if (i + 1 >= args.size()) {
            return std::nullopt;
        }
        (void)flag;
        return args[++i];
    };

    // Options come before the command.
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--in" || a == "--out") {
            auto v = value(a);
            auto n = v ? parseInt(*v) : std::nullopt;
            if (!n || *n < 0) {
                return fail(a + " needs a number of 0 or more");
            }
            (a == "--in" ? o.inDevice : o.outDevice) = *n;
        } else if (a == "--timeout") {
            // Below 100 ms no instrument can answer; beyond ten minutes nobody is waiting.
            auto v = value(a);
            auto n = v ? parseInt(*v) : std::nullopt;
            if (!n || *n < kMinTimeoutMs || *n > kMaxTimeoutMs) {
                return fail("--timeout needs a number of milliseconds from " +
                            std::to_string(kMinTimeoutMs) + " to " + std::to_string(kMaxTimeoutMs));
            }
            o.timeoutMs = *n;
        } else if (a == "--device") {
            auto v = value(a);
            if (!v || v->empty()) {
                return fail("--device needs a part of a device name");
            }
            o.deviceText = *v;
        } else if (a == "--pace") {
            auto v = value(a);
            auto speed = v ? parseSendSpeed(*v) : std::nullopt;
            if (!speed) {
                return fail("--pace needs cable, fast or a pause of 1 to 100 ms (a whole number)" +
                            (v ? ", not " + *v : std::string()));
            }
            o.pace = *speed;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "-h" || a == "--help") {
            o.showHelp = true;
            return result;
        } else if (a == "--version") {
            o.showVersion = true;
            return result;
        } else if (!a.empty() && a[0] == '-') {
            return fail("unknown option " + a);
        } else {
            break;
        }
    }
    if (i >= args.size()) {
        return fail("no command given");
    }
    const std::string command = args[i++];
    const std::size_t rest = args.size() - i;
    if (command == "devices" && rest == 1 && args[i] == "--watch") {
        o.command = Command::Devices;
        o.watch = true;
        return result;
    }
    if (command == "devices" || command == "identify") {
        if (rest != 0) {
            return fail(command == "devices" ? std::string("devices takes only --watch")
                                             : command + " takes no arguments");
        }
        o.command = command == "devices" ? Command::Devices : Command::Identify;
        return result;
    }
    if (command == "voice") {
        if (rest != 1) {
            return fail("voice needs one voice, e.g. PRE1:A01");
        }
        auto voice = parseVoiceSpec(args[i]);
        if (!voice) {
            return fail("not a voice: " + args[i] + " (write BANK:LNN, e.g. PRE1:A01)");
        }
        o.command = Command::Voice;
        o.voice = *voice;
        return result;
    }
    if (command == "performance") {
        if (rest != 1) {
            return fail("performance needs one performance, e.g. A01");
        }
        auto perf = parseProgramSpec(args[i]);
        if (!perf) {
            return fail("not a performance: " + args[i] + " (write LNN, e.g. B16)");
        }
        o.command = Command::Performance;
        o.performance = *perf;
        return result;
    }
    if (command != "copy") {
        return fail("unknown command " + command);
    }

    CopyFlags flags;
    CopySpec& c = o.copy;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--voice" || a == "--to" || a == "--part") {
            auto v = value(a);
            if (!v) {
                return fail(a + " needs a value");
            }
            (a == "--voice" ? flags.voice : a == "--to" ? flags.to : flags.part) = *v;
        } else if (a == "--sys-fx") {
            c.sysFx = true;
        } else if (a == "--ins-fx") {
            c.insFx = true;
        } else if (a == "--name") {
            c.name = true;
        } else if (a == "--verify") {
            c.verify = true;
        } else {
            return fail("unknown copy argument " + a);
        }
    }
    if (!flags.voice || !flags.to || !flags.part) {
        return fail("copy needs --voice, --to and --part");
    }
    auto voice = parseVoiceSpec(*flags.voice);
    if (!voice) {
        return fail("not a voice: " + *flags.voice + " (write BANK:LNN, e.g. PRE1:A01)");
    }
    c.voice = *voice;
    const std::string to = *flags.to;
    const std::string toUpper = upper(to);
    if (toUpper == "MIX") {
        c.destination = Destination::SongMix;
        if (c.name) {
            return fail("--name applies only to a performance: a song mix part has no name");
        }
    } else if (toUpper.rfind("PERFORMANCE:", 0) == 0) {
        auto perf = parseProgramSpec(to.substr(12));
        if (!perf) {
            return fail("not a performance: " + to.substr(12) + " (write LNN, e.g. B16)");
        }
        c.destination = Destination::Performance;
        c.performance = *perf;
    } else {
        return fail("--to must be performance:LNN or mix");
    }
    auto part = parseInt(*flags.part);
    const int parts = c.destination == Destination::Performance ? 4 : 16;
    if (!part || *part < 1 || *part > parts) {
        return fail("--part must be 1 to " + std::to_string(parts) + " for " +
                    (parts == 4 ? "a performance" : "the song mix"));
    }
    c.part = *part;
    o.command = Command::Copy;
    return result;
}

}  // namespace tessaline::cli
