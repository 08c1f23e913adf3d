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

namespace {

// The words after the program's name, read one after another.
class Words {
  public:
    explicit Words(const std::vector<std::string>& args) : args_(args) {}
    bool done() const { return at_ >= args_.size(); }
    std::size_t left() const { return done() ? 0 : args_.size() - at_; }
    const std::string& peek() const { return args_[at_]; }
    const std::string& next() { return args_[at_++]; }
    // The word after a flag; none at the end of the line.
    std::optional<std::string> value() {
        if (done()) {
            return std::nullopt;
        }
        return next();
    }

  private:
    const std::vector<std::string>& args_;
    std::size_t at_ = 0;
};

// Each parser reads the rest of its part of the line into the options and returns what is
// wrong with it, or nothing.
using Error = std::string;

Error parseDeviceNumber(const std::string& flag, Words& words, CliOptions& o) {
    const auto v = words.value();
    const auto n = v ? parseInt(*v) : std::nullopt;
    if (!n || *n < 0) {
        return flag + " needs a number of 0 or more";
    }
    (flag == "--in" ? o.inDevice : o.outDevice) = *n;
    return {};
}

Error parseTimeout(Words& words, CliOptions& o) {
    // Below 100 ms no instrument can answer; beyond ten minutes nobody is waiting.
    const auto v = words.value();
    const auto n = v ? parseInt(*v) : std::nullopt;
    if (!n || *n < kMinTimeoutMs || *n > kMaxTimeoutMs) {
        return "--timeout needs a number of milliseconds from " + std::to_string(kMinTimeoutMs) +
               " to " + std::to_string(kMaxTimeoutMs);
    }
    o.timeoutMs = *n;
    return {};
}

Error parseDeviceText(Words& words, CliOptions& o) {
    const auto v = words.value();
    if (!v || v->empty()) {
        return "--device needs a part of a device name";
    }
    o.deviceText = *v;
    return {};
}

Error parsePace(Words& words, CliOptions& o) {
    const auto v = words.value();
    const auto speed = v ? parseSendSpeed(*v) : std::nullopt;
    if (!speed) {
        return "--pace needs cable, fast or a pause of 1 to 100 ms (a whole number)" +
               (v ? ", not " + *v : std::string());
    }
    o.pace = *speed;
    return {};
}

// The options before the command; stops at the command, or at --help or --version.
Error parseGlobalOptions(Words& words, CliOptions& o) {
    while (!words.done()) {
        const std::string& a = words.peek();
        if (a.empty() || a[0] != '-') {
            return {};
        }
        words.next();
        Error error;
        if (a == "--in" || a == "--out") {
            error = parseDeviceNumber(a, words, o);
        } else if (a == "--timeout") {
            error = parseTimeout(words, o);
        } else if (a == "--device") {
            error = parseDeviceText(words, o);
        } else if (a == "--pace") {
            error = parsePace(words, o);
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "-h" || a == "--help" || a == "--version") {
            (a == "--version" ? o.showVersion : o.showHelp) = true;
            return {};
        } else {
            error = "unknown option " + a;
        }
        if (!error.empty()) {
            return error;
        }
    }
    return {};
}

Error parsePath(const std::string& what, const std::string& path) {
    if (path.empty() || path.size() > kMaxPathLength) {
        return what + " needs a file name of 1 to " + std::to_string(kMaxPathLength) +
               " characters";
    }
    return {};
}

// performance:LNN or mix, as --to takes it.
Error parseDestination(const std::string& to, Destination& destination, ProgramSpec& performance) {
    const std::string toUpper = upper(to);
    if (toUpper == "MIX") {
        destination = Destination::SongMix;
        return {};
    }
    if (toUpper.rfind("PERFORMANCE:", 0) != 0) {
        return "--to must be performance:LNN or mix";
    }
    const auto program = parseProgramSpec(to.substr(12));
    if (!program) {
        return "not a performance: " + to.substr(12) + " (write LNN, e.g. B16)";
    }
    destination = Destination::Performance;
    performance = *program;
    return {};
}

Error parseDevices(Words& words, CliOptions& o) {
    if (words.left() == 1 && words.peek() == "--watch") {
        words.next();
        o.watch = true;
    }
    if (!words.done()) {
        return "devices takes only --watch";
    }
    o.command = Command::Devices;
    return {};
}

// A command that takes no arguments.
template <Command command>
Error parseBare(Words& words, CliOptions& o) {
    if (!words.done()) {
        return std::string(command == Command::Undo ? "undo" : "identify") + " takes no arguments";
    }
    o.command = command;
    return {};
}

Error parseVoice(Words& words, CliOptions& o) {
    if (words.left() != 1) {
        return "voice needs one voice, e.g. PRE1:A01";
    }
    const std::string& text = words.next();
    const auto voice = parseVoiceSpec(text);
    if (!voice) {
        return "not a voice: " + text + " (write BANK:LNN, e.g. PRE1:A01)";
    }
    o.command = Command::Voice;
    o.voice = *voice;
    return {};
}

Error parsePerformance(Words& words, CliOptions& o) {
    if (words.left() != 1) {
        return "performance needs one performance, e.g. A01";
    }
    const std::string& text = words.next();
    const auto performance = parseProgramSpec(text);
    if (!performance) {
        return "not a performance: " + text + " (write LNN, e.g. B16)";
    }
    o.command = Command::Performance;
    o.performance = *performance;
    return {};
}

// copy's words as given, before they are checked together.
struct CopyWords {
    std::optional<std::string> voice;
    std::optional<std::string> to;
    std::optional<std::string> part;
    bool verify = false;
    bool noVerify = false;
};

Error readCopyWords(Words& words, CopyWords& given, CopySpec& c) {
    while (!words.done()) {
        const std::string& a = words.next();
        if (a == "--voice" || a == "--to" || a == "--part") {
            const auto v = words.value();
            if (!v) {
                return a + " needs a value";
            }
            (a == "--voice" ? given.voice : a == "--to" ? given.to : given.part) = *v;
        } else if (a == "--sys-fx") {
            c.sysFx = true;
        } else if (a == "--ins-fx") {
            c.insFx = true;
        } else if (a == "--name") {
            c.name = true;
        } else if (a == "--verify" || a == "--no-verify") {
            (a == "--verify" ? given.verify : given.noVerify) = true;
        } else if (a == "--no-backup") {
            c.backup = false;
        } else {
            return "unknown copy argument " + a;
        }
    }
    return {};
}

Error parseCopy(Words& words, CliOptions& o) {
    CopyWords given;
    CopySpec& c = o.copy;
    if (Error error = readCopyWords(words, given, c); !error.empty()) {
        return error;
    }
    if (!given.voice || !given.to || !given.part) {
        return "copy needs --voice, --to and --part";
    }
    if (given.verify && given.noVerify) {
        return "copy takes --verify or --no-verify, not both";
    }
    c.verify = !given.noVerify;
    const auto voice = parseVoiceSpec(*given.voice);
    if (!voice) {
        return "not a voice: " + *given.voice + " (write BANK:LNN, e.g. PRE1:A01)";
    }
    c.voice = *voice;
    if (Error error = parseDestination(*given.to, c.destination, c.performance); !error.empty()) {
        return error;
    }
    const bool toPerformance = c.destination == Destination::Performance;
    if (!toPerformance && c.name) {
        return "--name applies only to a performance: a song mix part has no name";
    }
    const auto part = parseInt(*given.part);
    const int parts = toPerformance ? 4 : 16;
    if (!part || *part < 1 || *part > parts) {
        return "--part must be 1 to " + std::to_string(parts) + " for " +
               (toPerformance ? "a performance" : "the song mix");
    }
    c.part = *part;
    o.command = Command::Copy;
    return {};
}

Error parseBackup(Words& words, CliOptions& o) {
    std::optional<std::string> to;
    BackupSpec& b = o.backup;
    while (!words.done()) {
        const std::string& a = words.next();
        if (a != "--to" && a != "--out") {
            return "unknown backup argument " + a;
        }
        const auto v = words.value();
        if (!v) {
            return a + " needs a value";
        }
        (a == "--to" ? to : b.out) = *v;
    }
    if (!to) {
        return "backup needs --to performance:LNN or --to mix";
    }
    if (Error error = parseDestination(*to, b.destination, b.performance); !error.empty()) {
        return error;
    }
    if (b.out) {
        if (Error error = parsePath("--out", *b.out); !error.empty()) {
            return error;
        }
    }
    o.command = Command::Backup;
    return {};
}

Error parseRestore(Words& words, CliOptions& o) {
    if (words.left() != 1) {
        return "restore needs one .syx file";
    }
    const std::string& file = words.next();
    if (file.rfind('-', 0) == 0) {
        return "restore needs a .syx file, not " + file + " (write ./" + file +
               " for a file of that name)";
    }
    if (Error error = parsePath("restore", file); !error.empty()) {
        return error;
    }
    o.command = Command::Restore;
    o.restoreFile = file;
    return {};
}

struct CommandParser {
    const char* name;
    Error (*parse)(Words&, CliOptions&);
};

constexpr CommandParser kCommandParsers[] = {
    {"devices", parseDevices}, {"identify", parseBare<Command::Identify>},
    {"voice", parseVoice},     {"performance", parsePerformance},
    {"copy", parseCopy},       {"undo", parseBare<Command::Undo>},
    {"backup", parseBackup},   {"restore", parseRestore},
};

struct ExitCodeMeaning {
    int code;
    const char* meaning;
};

constexpr ExitCodeMeaning kExitCodes[] = {
    {0, "done"},
    {1, "usage error, or nothing to undo"},
    {2, "a port could not be opened"},
    {3, "the instrument did not answer in time"},
    {4, "not every message could be sent"},
    {5, "the instrument did not take every value sent"},
    {6, "the instrument's answer arrived damaged or incomplete"},
};

}  // namespace

std::string usageText() {
    std::string text =
        "Usage: tessaline-cli [options] COMMAND\n"
        "\n"
        "Commands:\n"
        "  devices [--watch]                  list the MIDI input and output devices; with\n"
        "                                     --watch go on, printing a line for each device\n"
        "                                     that comes or goes, until interrupted\n"
        "  identify                           connect and name the instrument\n"
        "  voice BANK:LNN                     show a voice, e.g. PRE1:A01, USER2:H16, GM:C05\n"
        "  performance LNN                    show a USER performance, e.g. B16\n"
        "  copy --voice BANK:LNN --to performance:LNN --part P [--sys-fx] [--ins-fx] [--name]\n"
        "       [--no-verify] [--no-backup]\n"
        "  copy --voice BANK:LNN --to mix --part P [--sys-fx] [--ins-fx] [--no-verify]\n"
        "       [--no-backup]\n"
        "                                     copy a voice into part P (1-4 of a performance,\n"
        "                                     1-16 of the song mix), first saving the\n"
        "                                     destination as a .syx file (not with\n"
        "                                     --no-backup); then compare what the instrument\n"
        "                                     holds with what was sent, and send the copy once\n"
        "                                     more if they differ (not with --no-verify;\n"
        "                                     --verify is the default)\n"
        "  undo                               write back what the last copy changed, from its\n"
        "                                     backup, and check it\n"
        "  backup --to performance:LNN|mix [--out FILE]\n"
        "                                     save a destination as a .syx file, without a copy\n"
        "  restore FILE                       send a saved .syx file into the current\n"
        "                                     performance or song mix, and check it\n"
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
        "Exit codes:\n";
    for (const ExitCodeMeaning& exit : kExitCodes) {
        text += "  " + std::to_string(exit.code) + "  " + exit.meaning + '\n';
    }
    return text;
}

ParseResult parseCommandLine(const std::vector<std::string>& args) {
    ParseResult result;
    CliOptions& o = result.options;
    Words words(args);
    result.error = parseGlobalOptions(words, o);
    if (!result.error.empty() || o.showHelp || o.showVersion) {
        return result;
    }
    if (words.done()) {
        result.error = "no command given";
        return result;
    }
    const std::string command = words.next();
    for (const CommandParser& parser : kCommandParsers) {
        if (command == parser.name) {
            result.error = parser.parse(words, o);
            return result;
        }
    }
    result.error = "unknown command " + command;
    return result;
}

}  // namespace tessaline::cli
