#include "tools/cli/CliSession.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

#include "platform/UserDataFolder.h"

namespace tessaline::cli {

namespace {

// The device reads these keys at start-up, before any instrument has named itself.
const char* const kStartupInKey = "MIDI Device In";
const char* const kStartupOutKey = "MIDI Device Out";
// How long a request waits for its answer before it is sent again.
constexpr int kAskAgainMs = 1000;
// How often a wait for an answer looks at what has arrived besides the notices.
constexpr long long kLookAgainMs = 20;

std::string lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::optional<int> findDevice(unsigned count, const std::string& text,
                              MidiResult (MidiService::*nameOf)(unsigned, std::string&),
                              MidiService& midi) {
    const std::string wanted = lower(text);
    for (unsigned i = 0; i < count; ++i) {
        std::string name;
        if ((midi.*nameOf)(i, name) == midiresult::Ok &&
            lower(name).find(wanted) != std::string::npos) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::string programText(int letter, int number) {
    std::string text(1, static_cast<char>('A' + letter));
    if (number + 1 < 10) {
        text += '0';
    }
    return text + std::to_string(number + 1);
}

}  // namespace

std::string chooseDevices(const CliOptions& options, MidiService& midi, Profile& overlay) {
    const unsigned ins = midi.inGetNumDevs();
    const unsigned outs = midi.outGetNumDevs();
    // The number chosen here holds: the name stored beside it is that device's own, so the
    // port does not follow a name the window stored.
    auto choose = [&](bool input, int device) {
        std::string name;
        const auto number = static_cast<unsigned>(device);
        if ((input ? midi.inGetDevName(number, name) : midi.outGetDevName(number, name)) !=
            midiresult::Ok) {
            name.clear();
        }
        const std::string key = input ? kStartupInKey : kStartupOutKey;
        overlay.writeInt("", key, device);
        overlay.writeText("", key + kDeviceNameSuffix, name);
    };
    if (options.deviceText) {
        auto in = findDevice(ins, *options.deviceText, &MidiService::inGetDevName, midi);
        auto out = findDevice(outs, *options.deviceText, &MidiService::outGetDevName, midi);
        if (!in) {
            return "no MIDI input device name contains \"" + *options.deviceText +
                   "\" (tessaline-cli devices lists them)";
        }
        if (!out) {
            return "no MIDI output device name contains \"" + *options.deviceText +
                   "\" (tessaline-cli devices lists them)";
        }
        choose(true, *in);
        choose(false, *out);
    }
    if (options.inDevice) {
        if (static_cast<unsigned>(*options.inDevice) >= ins) {
            return "there is no MIDI input device " + std::to_string(*options.inDevice) + " (" +
                   std::to_string(ins) + " listed)";
        }
        choose(true, *options.inDevice);
    }
    if (options.outDevice) {
        if (static_cast<unsigned>(*options.outDevice) >= outs) {
            return "there is no MIDI output device " + std::to_string(*options.outDevice) + " (" +
                   std::to_string(outs) + " listed)";
        }
        choose(false, *options.outDevice);
    }
    return {};
}

CliSession::CliSession(SynthDevice& device, NoticeQueue& notices, Console& console)
    : device_(device), notices_(notices), console_(console) {}

void CliSession::say(const std::string& line) {
    std::lock_guard guard(console_.lock);
    console_.out << line << '\n' << std::flush;
}

void CliSession::complain(const std::string& line) {
    std::lock_guard guard(console_.lock);
    console_.err << "tessaline-cli: " << line << '\n' << std::flush;
}

int CliSession::run(const CliOptions& options, MidiService& midi) {
    timeoutMs_ = options.timeoutMs;
    deadline_ =
        start_.value_or(std::chrono::steady_clock::now()) + std::chrono::milliseconds(timeoutMs_);
    if (options.pace) {
        device_.setSendSpeed(*options.pace);
    }
    switch (options.command) {
        case Command::Devices:
            return options.watch ? watchDevices(midi) : listDevices(midi);
        case Command::Identify:
            return identify();
        case Command::Voice:
            return showVoice(options.voice);
        case Command::Performance:
            return showPerformance(options.performance);
        case Command::Copy:
            return copy(options.copy);
        case Command::Undo:
            return undo();
        case Command::Backup:
            return backup(options.backup);
        case Command::Restore:
            return restore(options.restoreFile);
        case Command::None:
            break;
    }
    complain("no command given");
    return kExitUsage;
}

int CliSession::listDevices(MidiService& midi) {
    printDevices(listDeviceNames(midi));
    return kExitOk;
}

void CliSession::printDevices(const DeviceNames& names) {
    auto print = [this](const char* kind, const std::vector<std::string>& list) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string number = std::to_string(i);
            say(kind + number + ": " +
                (list[i].empty() ? "(unavailable device " + number + ")" : list[i]));
        }
    };
    print("in ", names.inputs);
    print("out ", names.outputs);
}

int CliSession::watchDevices(MidiService& midi) {
    DeviceNames before = listDeviceNames(midi);
    printDevices(before);
    while (watchPause_ && watchPause_()) {
        DeviceNames now = listDeviceNames(midi);
        for (const DeviceChange& change : compareDeviceNames(before, now)) {
            say(std::string(change.appeared ? "new " : "gone ") + (change.input ? "in " : "out ") +
                std::to_string(change.number) + ": " + change.name);
        }
        before = std::move(now);
    }
    return kExitOk;
}

int CliSession::sendsWentOut(int failedBefore) {
    if (device_.failedSendCount() == failedBefore) {
        return kExitOk;
    }
    complain("not every message could be sent");
    return kExitNotSent;
}

int CliSession::connect() {
    notices_.drain();
    const int failedBefore = device_.failedSendCount();
    if (device_.open(1) == 0) {
        // A port that does not answer in time is an instrument that does not answer in time.
        if (device_.lastResultCode() == midiresult::TimedOut) {
            say("Timeout");
            return kExitTimeout;
        }
        complain("a MIDI port could not be opened");
        return kExitPort;
    }
    // An Identity Request that never left cannot be answered: no point waiting for it.
    if (const int code = sendsWentOut(failedBefore); code != kExitOk) {
        return code;
    }
    return ask([this] { device_.sendIdentityRequest(); },
               [this] { return device_.isConnected() != 0; }, "Not connected", false);
}

int CliSession::ask(const std::function<void()>& request, const std::function<bool()>& answered,
                    const char* onTimeout, bool askNow) {
    using Clock = std::chrono::steady_clock;
    const int failedBefore = device_.failedSendCount();
    const SynthDevice::ReceiveCounts before = device_.receiveCounts();
    seen_.clear();
    const Clock::time_point& deadline = deadline_;
    const auto again = std::chrono::milliseconds(kAskAgainMs);
    Clock::time_point nextAsk = Clock::now() + again;
    for (bool first = true;; first = false) {
        // Asking again only makes sense while an answer could still come in time.
        if ((first && askNow) || (Clock::now() >= nextAsk && Clock::now() + again <= deadline)) {
            request();
            // A request that never left cannot be answered: no point waiting for it.
            if (const int code = sendsWentOut(failedBefore); code != kExitOk) {
                return code;
            }
            nextAsk = Clock::now() + again;
        }
        if (answered()) {
            return kExitOk;
        }
        // An answer that has ended, damaged, will not mend itself by waiting.
        const SynthDevice::ReceiveCounts received = device_.receiveCounts();
        if (received.damagedBlocks > before.damagedBlocks && received.footers > before.footers) {
            say("The instrument's answer arrived damaged");
            return kExitTimeout;
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            say(onTimeout);
            return kExitTimeout;
        }
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::min(deadline, nextAsk) - now);
        // Every notice wakes this to look again at the answer; so does a short while, since a
        // damaged block and a footer raise no notice.
        const long long waitMs = std::clamp<long long>(wait.count(), 1, kLookAgainMs);
        if (const auto notice = notices_.take(static_cast<int>(waitMs))) {
            seen_.insert(notice->message);
        }
    }
}

int CliSession::identify() {
    const int code = connect();
    if (code == kExitOk) {
        say(device_.deviceName() + " connected");
    }
    return code;
}

int CliSession::findBank(const std::string& name, int& index) {
    const auto banks = device_.bankList();
    for (std::size_t i = 0; i < banks.size(); ++i) {
        if (banks[i].name == name) {
            index = static_cast<int>(i);
            return kExitOk;
        }
    }
    std::string known;
    for (const auto& bank : banks) {
        known += (known.empty() ? "" : ", ") + bank.name;
    }
    complain("the " + device_.deviceName() + " has no bank " + name + " (its banks: " + known +
             ")");
    return kExitUsage;
}

int CliSession::fetchVoice(int bankIndex, const VoiceSpec& voice, bool wholeVoice) {
    const auto before = device_.voiceBlockCounts();
    // A copy needs all four blocks of this voice, not only the one that raised the notice.
    return ask(
        [&] {
            device_.selectVoice(static_cast<unsigned char>(bankIndex),
                                static_cast<unsigned char>(voice.program()));
        },
        [&] {
            const auto now = device_.voiceBlockCounts();
            for (std::size_t i = 0; i < now.size(); ++i) {
                if (now[i] <= before[i] && (wholeVoice || i == 0)) {
                    return false;
                }
            }
            return true;
        });
}

int CliSession::fetchPerformance(const ProgramSpec& performance) {
    notices_.drain();
    return ask(
        [&] { device_.selectPerformance(static_cast<unsigned char>(performance.program())); },
        [&] { return seen_.count(WM_PERFORMANCE_RECEIVED) > 0; });
}

int CliSession::showVoice(const VoiceSpec& voice) {
    int code = connect();
    int bank = 0;
    if (code == kExitOk) {
        code = findBank(voice.bank, bank);
    }
    if (code == kExitOk) {
        code = fetchVoice(bank, voice, false);
    }
    if (code == kExitOk) {
        say(device_.formatVoiceLine(bank, voice.letter, voice.number));
    }
    return code;
}

int CliSession::showPerformance(const ProgramSpec& performance) {
    int code = connect();
    if (code == kExitOk && !familyLayout(device_.family()).offersPerformance) {
        complain("the " + device_.deviceName() + " has no performances");
        code = kExitUsage;
    }
    if (code == kExitOk) {
        code = fetchPerformance(performance);
    }
    if (code == kExitOk) {
        say(device_.formatPerformanceLine(performance.letter, performance.number));
    }
    return code;
}

int CliSession::copy(const CopySpec& request) {
    int code = connect();
    if (code != kExitOk) {
        return code;
    }
    const bool toPerformance = request.destination == Destination::Performance;
    int bank = 0;
    if ((code = checkDestination(toPerformance)) != kExitOk ||
        (code = findBank(request.voice.bank, bank)) != kExitOk) {
        return code;
    }
    if (toPerformance && (code = fetchPerformance(request.performance)) != kExitOk) {
        return code;
    }

    WriteJob job;
    job.mode = toPerformance ? kModePerformance : kModeSongMix;
    job.choice = {job.mode,         bank,          request.voice.program(),
                  request.part - 1, request.sysFx, request.insFx,
                  request.name};
    SessionOptions options;
    options.check = request.verify;
    options.snapshot = request.backup;
    options.answerWithinMs = timeoutMs_;
    CopySession session(device_, std::move(job), options);
    session.setSongPrompt([this] { promptForSong(); });
    if (request.backup) {
        const CopyDestination destination{
            device_.deviceName(),
            toPerformance ? DestinationKind::Performance : DestinationKind::SongMix,
            toPerformance ? programName(request.performance.program()) : "", request.part};
        session.setSnapshotKeeper(
            [this, destination](const CompletedDump& snapshot, const CopyPlan& plan) {
                return keepBackup(destination, snapshot, plan);
            });
    }
    drive(session);
    return reportCopy(session, request, bank);
}

std::string CliSession::keepBackup(const CopyDestination& destination,
                                   const CompletedDump& snapshot, const CopyPlan& plan) {
    if (!dataFolder_) {
        return "There is no folder for backups: " + programDataFolderMissing() +
               " (or --no-backup).";
    }
    const SavedBackup saved = keepCopyBackup(BackupStore(*dataFolder_), destination, snapshot, plan,
                                             std::chrono::system_clock::now());
    if (!saved.ok()) {
        return saved.error;
    }
    say("Saved the destination as " + saved.path.string());
    return {};
}

int CliSession::checkDestination(bool toPerformance) {
    const FamilyLayout& layout = familyLayout(device_.family());
    if (toPerformance && !layout.offersPerformance) {
        complain("the " + device_.deviceName() + " has no performances; copy to the mix instead");
        return kExitUsage;
    }
    if (!toPerformance && !layout.offersSongMix) {
        complain("the " + device_.deviceName() + " has no song mix; copy to a performance instead");
        return kExitUsage;
    }
    return kExitOk;
}

void CliSession::promptForSong() {
    say(kSongPrompt);
    if (console_.interactive) {
        std::string line;
        std::getline(console_.in, line);
    }
}

void CliSession::drive(CopySession& session) {
    using Clock = std::chrono::steady_clock;
    // The time the session spends sending, at the speed the user chose, and the user's time at
    // the song prompt are not the instrument's to answer for.
    auto timed = [this](const std::function<void()>& step) {
        const auto start = Clock::now();
        step();
        deadline_ += Clock::now() - start;
    };
    notices_.drain();
    timed([&session] { session.begin(); });
    while (session.running()) {
        timed([&session] { session.advance(); });
        if (!session.running()) {
            break;
        }
        const auto now = Clock::now();
        if (now >= deadline_) {
            session.end(SessionOutcome::TimedOut);
            break;
        }
        // Every notice wakes this to look again; so does a short while, for the session's own
        // clock (asking again, its time-outs).
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - now);
        notices_.take(static_cast<int>(std::clamp<long long>(left.count(), 1, kLookAgainMs)));
    }
}

int CliSession::reportCopy(const CopySession& session, const CopySpec& request, int bank) {
    const SessionResult& result = session.result();
    const bool toPerformance = request.destination == Destination::Performance;
    const std::string source =
        request.voice.bank + ":" + programText(request.voice.letter, request.voice.number);
    const std::string target =
        "part " + std::to_string(request.part) +
        (toPerformance ? " of performance " +
                             programText(request.performance.letter, request.performance.number)
                       : " of the song mix");
    auto performanceLine = [&] {
        if (toPerformance) {
            say(device_.formatPerformanceLine(request.performance.letter,
                                              request.performance.number));
        }
    };
    if (result.sentTwice) {
        say("Sent the copy a second time");
    }
    switch (result.outcome) {
        case SessionOutcome::Checked:
            say(device_.formatVoiceLine(bank, request.voice.letter, request.voice.number));
            say(verifiedLine(result.check));
            say("Copied " + source + " into " + target);
            performanceLine();
            return kExitOk;
        case SessionOutcome::NotChecked:
            say(device_.formatVoiceLine(bank, request.voice.letter, request.voice.number));
            say("Sent " + source + " into " + target + " (not checked)");
            performanceLine();
            return kExitOk;
        case SessionOutcome::NotTaken: {
            const std::size_t n = result.check.differences.size();
            say(std::to_string(n) + (n == 1 ? " value differs: " : " values differ: ") +
                describeDifferences(result.check.differences));
            performanceLine();
            complain("the instrument did not take " + std::to_string(n) + " of the " +
                     std::to_string(result.check.values) +
                     " values sent: " + describeDifferences(result.check.differences));
            return kExitNotTaken;
        }
        case SessionOutcome::Unchecked:
            complain(uncheckedText(result.check));
            return kExitDamaged;
        case SessionOutcome::SourceMissing:
            say("The source voice did not arrive");
            return kExitTimeout;
        default:
            return reportFailure(result);
    }
}

// The endings every write shares, whatever it wrote.
int CliSession::reportFailure(const SessionResult& result) {
    switch (result.outcome) {
        case SessionOutcome::NotAllSent:
            if (result.planned > 0) {
                say("Sent " + std::to_string(result.sent) + " of " +
                    std::to_string(result.planned) + " messages");
            }
            complain("not every message could be sent");
            return kExitNotSent;
        case SessionOutcome::SnapshotMissing:
            complain(kSnapshotMissingText);
            return kExitDamaged;
        case SessionOutcome::SnapshotNotKept:
            complain(result.reason);
            return kExitUsage;
        case SessionOutcome::Unchecked:
            complain(uncheckedText(result.check));
            return kExitDamaged;
        case SessionOutcome::NotTaken:
            complain(notTakenText(result.check) + " " +
                     describeDifferences(result.check.differences));
            return kExitNotTaken;
        case SessionOutcome::PortsClosed:
            complain("the MIDI ports closed");
            return kExitPort;
        default:
            say("Timeout");
            return kExitTimeout;
    }
}

std::string CliSession::verifiedLine(const ReadBackResult& check) {
    return "Verified " + std::to_string(check.checked) + " of " + std::to_string(check.values) +
           " values (" + std::to_string(check.notReported) + " not reported)";
}

}  // namespace tessaline::cli
