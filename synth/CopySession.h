#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "synth/CopyPlan.h"
#include "synth/DumpCollector.h"
#include "synth/ReadBack.h"
#include "synth/SynthDevice.h"

namespace tessaline {

inline const char* const kSongPrompt = "Please, select song number in your synth, now!";
inline const char* const kSnapshotMissingText =
    "The instrument did not send the destination; nothing was changed.";

// The voice and the destination of a copy, as the user chose them.
struct CopyChoice {
    int mode = kModePerformance;  // kModePerformance or kModeSongMix
    int bankIndex = 0;            // into the device's bank list
    int program = 0;              // 0..127
    int part = 0;                 // 0-based
    bool withSysFx = false;
    bool withInsFx = false;
    bool withName = false;
};

// What a session writes into the current performance or song mix.
struct WriteJob {
    enum class Kind {
        CopyVoice,     // the chosen voice, planned once it has arrived whole
        Parameters,    // a list of parameter changes (an undo)
        BulkMessages,  // the instrument's own bulk dump messages (a restore)
        ReadOnly,      // nothing: the destination is only read
    };
    Kind kind = Kind::CopyVoice;
    int mode = kModePerformance;
    CopyChoice choice;                            // CopyVoice
    CopyPlan parameters;                          // Parameters
    std::vector<std::vector<std::uint8_t>> bulk;  // BulkMessages
    WrittenValues expected;                       // BulkMessages: what must read back
    bool changesMode = true;  // the destination's mode goes out first; a restore selects nothing
    bool asksForSong = true;  // before writing into a song mix the user picks the song
};

struct SessionOptions {
    bool check = true;      // compare the destination's answer with what was written
    bool snapshot = false;  // read the destination before the first write, to keep it
    int answerWithinMs = 4000;
    int askAgainMs = 1000;
};

enum class SessionOutcome {
    Running,
    Checked,          // every value written was read back as sent
    NotChecked,       // the destination answered; checking was switched off
    Read,             // a read-only session has the destination
    NotAllSent,       // a message could not be sent; the write stopped there
    NotTaken,         // values still differ after the second send
    Unchecked,        // values stayed unchecked: blocks of the answer damaged or missing
    TimedOut,         // an answer did not come in time
    SourceMissing,    // the chosen voice never arrived whole: nothing was written
    SnapshotMissing,  // the destination did not arrive whole before the write: nothing written
    SnapshotNotKept,  // the destination could not be kept: nothing was written
    PortsClosed,
    Cancelled,  // the destination changed, or a new copy began
};

struct SessionResult {
    SessionOutcome outcome = SessionOutcome::Running;
    int sent = 0;  // messages of the last write that went out
    int planned = 0;
    bool sentTwice = false;
    ReadBackResult check;  // of the last answer compared
    std::string reason;    // SnapshotNotKept: why
};

// One copy (or undo, restore, read) from its start to its result: waits for the chosen voice,
// keeps the destination, writes, reads the destination back, writes once more on a difference
// and says how it ended. It never blocks on an answer: the front end calls advance() on every
// notice and on a clock tick, and ends it when its own time or the ports run out. Every answer
// it takes is one it asked for itself, after its own last write.
class CopySession {
  public:
    // Called with the destination before anything is written; returns an error text, empty
    // when the destination is kept.
    using KeepSnapshot = std::function<std::string(const CompletedDump&, const CopyPlan&)>;

    CopySession(SynthDevice& device, WriteJob job, SessionOptions options);

    void setSongPrompt(std::function<void()> prompt) { songPrompt_ = std::move(prompt); }
    void setSnapshotKeeper(KeepSnapshot keeper) { keepSnapshot_ = std::move(keeper); }

    // What happens before the popup: the destination's mode and, for a song mix, the prompt.
    // Nothing is written before the first advance().
    void begin();
    // Goes on as far as the answers in hand allow. Writing sends at the send speed, so this
    // may take as long as the messages need.
    void advance();
    // Ends the session from outside; a session that has ended stays as it ended.
    void end(SessionOutcome outcome);

    bool running() const { return phase_ != Phase::Ended; }
    const SessionResult& result() const { return result_; }
    // How many dump requests the session has sent; a front end counts its time-out from the last.
    unsigned requestsSent() const { return requestsSent_; }
    const std::optional<CompletedDump>& snapshot() const { return snapshot_; }
    // What the session writes, once known.
    const CopyPlan& plan() const { return plan_; }
    const WrittenValues& expected() const { return expected_; }
    const WriteJob& job() const { return job_; }

  private:
    enum class Phase { NotBegun, Begun, Voice, Snapshot, Write, ReadBack, Ended };

    void start();
    void enterVoice();
    void advanceVoice();
    void selectVoiceAgain();
    void enterSnapshot();
    void advanceSnapshot();
    void planWrite();
    void write();
    void enterReadBack();
    void advanceReadBack();
    // The destination answer for this session that arrived since the last look, if any.
    std::optional<CompletedDump> takeAnswer();
    bool askForDestination();
    bool changeMode();
    bool askAgainIfLate();
    bool holdsEveryBlock(const CompletedDump& dump) const;
    std::int64_t nowMs() const;

    SynthDevice& device_;
    WriteJob job_;
    SessionOptions options_;
    std::function<void()> songPrompt_;
    KeepSnapshot keepSnapshot_;
    const int tag_;
    Phase phase_ = Phase::NotBegun;
    SessionResult result_;

    std::int64_t deadlineMs_ = 0;
    std::int64_t nextAskMs_ = 0;
    unsigned threshold_ = 0;    // the earliest request whose answer counts
    unsigned answersSeen_ = 0;  // the device's destination answers at the last look
    unsigned requestsSent_ = 0;
    bool leftDestinationMode_ = false;  // selecting the voice again switched to voice mode
    bool askedOnceMore_ = false;        // for a damaged or incomplete answer
    bool anyAnswer_ = false;
    VoiceRecord voice_;
    CopyPlan plan_;
    WrittenValues expected_;
    std::optional<CompletedDump> snapshot_;
    std::vector<ReceivedBlock> answer_;  // intact blocks read back since the last write
};

// The words both front ends use for an answer that left values unchecked.
std::string uncheckedText(const ReadBackResult& check);
// "31 02 0D sent 7F, found 00; ..." for the first few differences.
std::string describeDifferences(const std::vector<ValueDifference>& differences);
// "The instrument did not take N of the M values sent."
std::string notTakenText(const ReadBackResult& check);

}  // namespace tessaline
