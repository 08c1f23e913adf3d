#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <istream>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <string>

#include "midi/DeviceWatch.h"
#include "platform/NoticeQueue.h"
#include "synth/CopyBackup.h"
#include "synth/CopySession.h"
#include "synth/ReadBack.h"
#include "synth/SynthDevice.h"
#include "tools/cli/CliOptions.h"

namespace tessaline::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitPort = 2;
inline constexpr int kExitTimeout = 3;
inline constexpr int kExitNotSent = 4;   // not every message could be sent
inline constexpr int kExitNotTaken = 5;  // the instrument did not take every value sent
inline constexpr int kExitDamaged = 6;   // the instrument's answer arrived damaged or incomplete

// Where the session writes and reads; the lock keeps trace lines from other threads whole.
struct Console {
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    bool interactive;  // standard input is a terminal: the song prompt waits for Enter
    std::mutex& lock;
};

// Chooses the device numbers the port will read: the command line's choice, written into the
// session's overlay profile, or the user's stored numbers. Returns an error text when a chosen
// device does not exist.
std::string chooseDevices(const CliOptions& options, MidiService& midi, Profile& overlay);

// Runs one command on the same device code the window uses, with a notice queue standing in
// for the main window. Returns the process exit code.
class CliSession {
  public:
    CliSession(SynthDevice& device, NoticeQueue& notices, Console& console);

    int run(const CliOptions& options, MidiService& midi);
    // What `devices --watch` waits on between two looks at the lists: true when it is time for
    // the next look, false when the user has interrupted. Without one it lists once.
    void setWatchPause(std::function<bool()> pause) { watchPause_ = std::move(pause); }
    // The command's time counts from here (the program's start); without it, from run().
    void setStartTime(std::chrono::steady_clock::time_point start) { start_ = start; }
    // The program's data folder, where backups go; without one, copies cannot keep one.
    void setDataFolder(std::optional<std::filesystem::path> folder) {
        dataFolder_ = std::move(folder);
    }
    // When the command's time runs out: its time-out from the start, and the time its messages
    // took to go out at the chosen speed.
    std::chrono::steady_clock::time_point deadline() const { return deadline_; }

  private:
    int listDevices(MidiService& midi);
    // Lists, then prints "new in 4: NAME" or "gone out 2: NAME" for each device that comes or
    // goes, until the pause says stop.
    int watchDevices(MidiService& midi);
    void printDevices(const DeviceNames& names);
    int identify();
    int showVoice(const VoiceSpec& voice);
    int showPerformance(const ProgramSpec& performance);
    int copy(const CopySpec& request);
    int undo();
    int backup(const BackupSpec& request);
    int restore(const std::string& file);

    // Each returns an exit code, kExitOk when it went well.
    int connect();
    int findBank(const std::string& name, int& index);
    int fetchVoice(int bankIndex, const VoiceSpec& voice, bool wholeVoice);
    int fetchPerformance(const ProgramSpec& performance);
    // kExitUsage, with the reason, when the instrument lacks the destination.
    int checkDestination(bool toPerformance);
    void promptForSong();
    // Runs a session to its end: on every notice, a short while, and until the time-out.
    void drive(CopySession& session);
    int reportCopy(const CopySession& session, const CopySpec& request, int bank);
    int reportFailure(const SessionResult& result);
    // Writes the destination kept before a copy and the copy's record; the reason when it
    // could not.
    std::string keepBackup(const CopyDestination& destination, const CompletedDump& snapshot,
                           const CopyPlan& plan);
    // Reads the current performance or song mix; kExitOk with its dump in `dump`.
    int readDestination(int mode, std::optional<CompletedDump>& dump);
    // Writes and reads back, as a copy does; says what it found and returns the exit code.
    int writeAndCheck(WriteJob job, const std::string& done);
    // The model the instrument named, for reading its files; kExitUsage with a reason if none.
    int connectedModel(const ModelInfo*& model);
    static std::string verifiedLine(const ReadBackResult& check);
    // Sends `request` (at once, or with askNow false a second from now, when the caller has just
    // sent it) and waits until `answered` holds or the time-out passes, sending the request
    // again each second without an answer: a transport can lose a message outside our control
    // (a JACK client that missed its cycle), and asking the instrument again changes nothing
    // on it. kExitTimeout, or kExitNotSent when a request could not be sent.
    // says onTimeout when the time runs out, and ends early when the answer has ended damaged.
    int ask(const std::function<void()>& request, const std::function<bool()>& answered,
            const char* onTimeout = "Timeout", bool askNow = true);
    // kExitOk when no send has failed since the count read `failedBefore`.
    int sendsWentOut(int failedBefore);
    void say(const std::string& line);
    void complain(const std::string& line);

    SynthDevice& device_;
    NoticeQueue& notices_;
    Console& console_;
    int timeoutMs_ = 4000;
    std::set<unsigned> seen_;  // notices that arrived while asking
    std::function<bool()> watchPause_;
    std::optional<std::chrono::steady_clock::time_point> start_;
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::now();
    std::optional<std::filesystem::path> dataFolder_;
};

}  // namespace tessaline::cli
