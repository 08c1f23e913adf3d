#include "synth/CopySession.h"

#include <algorithm>

namespace tessaline {

namespace {

constexpr std::int64_t kUsPerMs = 1000;

}  // namespace

CopySession::CopySession(SynthDevice& device, WriteJob job, SessionOptions options)
    : device_(device),
      job_(std::move(job)),
      options_(options),
      tag_(device.newRequestTag()),
      answersSeen_(device.destinationDumpsCompleted()) {}

std::int64_t CopySession::nowMs() const {
    return device_.clock().nowUs() / kUsPerMs;
}

void CopySession::begin() {
    if (phase_ != Phase::NotBegun) {
        return;
    }
    if (job_.changesMode && !changeMode()) {
        return;
    }
    if (job_.mode != kModePerformance && job_.asksForSong && songPrompt_) {
        songPrompt_();
    }
    phase_ = Phase::Begun;
}

void CopySession::start() {
    if (job_.kind == WriteJob::Kind::CopyVoice) {
        enterVoice();
        return;
    }
    planWrite();
    if (options_.snapshot || job_.kind == WriteJob::Kind::ReadOnly) {
        enterSnapshot();
    } else {
        write();
    }
}

void CopySession::advance() {
    switch (phase_) {
        case Phase::Begun:
            start();
            break;
        case Phase::Voice:
            advanceVoice();
            break;
        case Phase::Snapshot:
            advanceSnapshot();
            break;
        case Phase::ReadBack:
            advanceReadBack();
            break;
        case Phase::NotBegun:
        case Phase::Write:
        case Phase::Ended:
            break;
    }
}

void CopySession::end(SessionOutcome outcome) {
    if (phase_ == Phase::Ended) {
        return;
    }
    phase_ = Phase::Ended;
    result_.outcome = outcome;
}

bool CopySession::changeMode() {
    const int failedBefore = device_.failedSendCount();
    device_.setMode(job_.mode);
    if (device_.failedSendCount() != failedBefore) {
        end(SessionOutcome::NotAllSent);
        return false;
    }
    return true;
}

// The voice: the answer to the newest request for the chosen bank and program, all four blocks
// intact. A record filled by any other answer would put one voice's bank and program bytes
// beside another's parameters.
void CopySession::enterVoice() {
    phase_ = Phase::Voice;
    deadlineMs_ = nowMs() + options_.answerWithinMs;
    const CopyChoice& c = job_.choice;
    const AnswerTracker::Label last = device_.lastVoiceRequest();
    if (last.serial != 0 && last.tag == voiceSelection(c.bankIndex, c.program)) {
        threshold_ = last.serial;
        nextAskMs_ = nowMs() + options_.askAgainMs;
    } else {
        threshold_ = 0;
        selectVoiceAgain();
    }
    advanceVoice();
}

void CopySession::selectVoiceAgain() {
    const CopyChoice& c = job_.choice;
    const int failedBefore = device_.failedSendCount();
    const unsigned serial = device_.selectVoice(static_cast<unsigned char>(c.bankIndex),
                                                static_cast<unsigned char>(c.program));
    leftDestinationMode_ = true;
    if (device_.failedSendCount() != failedBefore) {
        end(SessionOutcome::NotAllSent);
        return;
    }
    if (serial == 0) {
        end(SessionOutcome::SourceMissing);  // no such voice to ask for
        return;
    }
    if (threshold_ == 0) {
        threshold_ = serial;
    }
    nextAskMs_ = nowMs() + options_.askAgainMs;
}

void CopySession::advanceVoice() {
    const CopyChoice& c = job_.choice;
    const std::optional<WholeVoice> whole = device_.wholeVoice();
    if (whole && whole->selection == voiceSelection(c.bankIndex, c.program) &&
        whole->serial >= threshold_) {
        voice_ = whole->record;
        if (leftDestinationMode_ && !changeMode()) {
            return;
        }
        planWrite();
        if (options_.snapshot) {
            enterSnapshot();
        } else {
            write();
        }
        return;
    }
    const std::int64_t now = nowMs();
    if (now >= deadlineMs_) {
        end(SessionOutcome::SourceMissing);
    } else if (now >= nextAskMs_) {
        // The whole selection again: mode, bank, program and the dump request.
        selectVoiceAgain();
    }
}

void CopySession::planWrite() {
    switch (job_.kind) {
        case WriteJob::Kind::CopyVoice: {
            const CopyChoice& c = job_.choice;
            plan_ = device_.planCopy(voice_, c.mode, static_cast<unsigned char>(c.bankIndex),
                                     static_cast<unsigned char>(c.program),
                                     static_cast<unsigned char>(c.part), c.withSysFx ? 1 : 0,
                                     c.withInsFx ? 1 : 0, c.withName ? 1 : 0);
            expected_ = writtenValues(plan_);
            break;
        }
        case WriteJob::Kind::Parameters:
            plan_ = job_.parameters;
            expected_ = writtenValues(plan_);
            break;
        case WriteJob::Kind::BulkMessages:
            expected_ = job_.expected;
            break;
        case WriteJob::Kind::ReadOnly:
            break;
    }
    result_.planned = static_cast<int>(job_.kind == WriteJob::Kind::BulkMessages ? job_.bulk.size()
                                                                                 : plan_.size());
}

bool CopySession::askForDestination() {
    const int failedBefore = device_.failedSendCount();
    const unsigned serial = device_.requestDestinationDump(job_.mode, tag_);
    ++requestsSent_;
    if (device_.failedSendCount() != failedBefore) {
        end(SessionOutcome::NotAllSent);
        return false;
    }
    if (threshold_ == 0) {
        threshold_ = serial;
    }
    nextAskMs_ = nowMs() + options_.askAgainMs;
    return true;
}

// A request that got no answer goes again each second while an answer could still come in
// time: the transport may have lost it, and asking again changes nothing on the instrument.
bool CopySession::askAgainIfLate() {
    const std::int64_t now = nowMs();
    if (now >= nextAskMs_ && now + options_.askAgainMs <= deadlineMs_) {
        return askForDestination();
    }
    return true;
}

std::optional<CompletedDump> CopySession::takeAnswer() {
    const unsigned answers = device_.destinationDumpsCompleted();
    if (answers == answersSeen_) {
        return std::nullopt;
    }
    answersSeen_ = answers;
    std::optional<DestinationAnswer> answer = device_.lastDestinationAnswer();
    if (!answer || !answer->label.certain || answer->label.tag != tag_ ||
        answer->label.serial < threshold_) {
        return std::nullopt;  // an answer to someone else, or to a request before the last write
    }
    const int area = job_.mode == kModePerformance ? kPerformanceDumpArea : kMixDumpArea;
    if (answer->dump.area != area) {
        return std::nullopt;
    }
    anyAnswer_ = true;
    return std::move(answer->dump);
}

bool CopySession::holdsEveryBlock(const CompletedDump& dump) const {
    if (dump.damaged) {
        return false;
    }
    const std::vector<BlockSpan> expected = destinationBlocks(device_.family(), job_.mode);
    return std::all_of(expected.begin(), expected.end(), [&dump](const BlockSpan& span) {
        return std::any_of(dump.blocks.begin(), dump.blocks.end(), [&span](const ReceivedBlock& b) {
            return b.address == span.address &&
                   b.data.size() >= static_cast<std::size_t>(span.size);
        });
    });
}

void CopySession::enterSnapshot() {
    phase_ = Phase::Snapshot;
    threshold_ = 0;
    askedOnceMore_ = false;
    anyAnswer_ = false;
    deadlineMs_ = nowMs() + options_.answerWithinMs;
    // The answer is looked at on the next advance, never within the call that asked for it.
    askForDestination();
}

void CopySession::advanceSnapshot() {
    if (std::optional<CompletedDump> dump = takeAnswer()) {
        if (holdsEveryBlock(*dump)) {
            snapshot_ = std::move(*dump);
            if (job_.kind == WriteJob::Kind::ReadOnly) {
                end(SessionOutcome::Read);
                return;
            }
            if (keepSnapshot_) {
                result_.reason = keepSnapshot_(*snapshot_, plan_);
                if (!result_.reason.empty()) {
                    end(SessionOutcome::SnapshotNotKept);
                    return;
                }
            }
            write();
            return;
        }
        if (askedOnceMore_) {
            end(SessionOutcome::SnapshotMissing);
            return;
        }
        askedOnceMore_ = true;
        deadlineMs_ = nowMs() + options_.answerWithinMs;
        askForDestination();
        return;
    }
    if (nowMs() >= deadlineMs_) {
        end(job_.kind == WriteJob::Kind::ReadOnly && !anyAnswer_ ? SessionOutcome::TimedOut
                                                                 : SessionOutcome::SnapshotMissing);
        return;
    }
    askAgainIfLate();
}

// Stops at the first message that fails: what follows would land on a part half written, and
// each failure has already been reported once.
void CopySession::write() {
    phase_ = Phase::Write;
    result_.sent = 0;
    const bool bulk = job_.kind == WriteJob::Kind::BulkMessages;
    const std::size_t count = bulk ? job_.bulk.size() : plan_.size();
    for (std::size_t i = 0; i < count; ++i) {
        const int failed =
            bulk ? device_.sendLong(job_.bulk[i].data(), static_cast<int>(job_.bulk[i].size()))
                 : device_.sendPlanned(plan_[i]);
        if (failed != 0) {
            end(SessionOutcome::NotAllSent);
            return;
        }
        ++result_.sent;
    }
    enterReadBack();
}

void CopySession::enterReadBack() {
    phase_ = Phase::ReadBack;
    threshold_ = 0;
    askedOnceMore_ = false;
    anyAnswer_ = false;
    answer_.clear();
    deadlineMs_ = nowMs() + options_.answerWithinMs;
    askForDestination();
}

void CopySession::advanceReadBack() {
    std::optional<CompletedDump> dump = takeAnswer();
    if (!dump) {
        if (nowMs() < deadlineMs_) {
            askAgainIfLate();
        } else if (anyAnswer_) {
            end(SessionOutcome::Unchecked);  // the answer asked for once more never came
        } else {
            end(SessionOutcome::TimedOut);
        }
        return;
    }
    if (!options_.check) {
        end(SessionOutcome::NotChecked);
        return;
    }
    // Both answers since the last write show the memory after it: blocks of the later count.
    answer_.insert(answer_.end(), dump->blocks.begin(), dump->blocks.end());
    result_.check =
        compareReadBack(expected_, answer_, destinationBlocks(device_.family(), job_.mode));
    if (!result_.check.matches()) {
        if (result_.sentTwice) {
            end(SessionOutcome::NotTaken);
            return;
        }
        // A message lost on the way is the usual cause: the same write again, mode first, and a
        // second look. Only a difference that survives that is real.
        result_.sentTwice = true;
        if (job_.changesMode && !changeMode()) {
            return;
        }
        write();
        return;
    }
    if (result_.check.complete()) {
        end(SessionOutcome::Checked);
        return;
    }
    if (askedOnceMore_) {
        end(SessionOutcome::Unchecked);
        return;
    }
    askedOnceMore_ = true;
    deadlineMs_ = nowMs() + options_.answerWithinMs;
    askForDestination();
}

std::string describeDifferences(const std::vector<ValueDifference>& differences) {
    constexpr std::size_t kShown = 4;
    std::string text;
    for (std::size_t i = 0; i < differences.size() && i < kShown; ++i) {
        const ValueDifference& d = differences[i];
        text += (i == 0 ? "" : "; ") +
                MidiPort::formatHexPairs(static_cast<unsigned>(d.address), 3) + " sent " +
                MidiPort::formatHexPairs(static_cast<unsigned>(d.sent), 1) + ", found " +
                MidiPort::formatHexPairs(static_cast<unsigned>(d.found), 1);
    }
    if (differences.size() > kShown) {
        text += "; and " + std::to_string(differences.size() - kShown) + " more";
    }
    return text;
}

std::string notTakenText(const ReadBackResult& check) {
    return "The instrument did not take " + std::to_string(check.differences.size()) + " of the " +
           std::to_string(check.values) + " values sent.";
}

std::string uncheckedText(const ReadBackResult& check) {
    const int unchecked = check.checked == 0 ? check.values : check.unchecked;
    std::string blocks;
    for (const int address : check.missingBlocks) {
        blocks += (blocks.empty() ? "" : ", ") +
                  MidiPort::formatHexPairs(static_cast<unsigned>(address), 3);
    }
    std::string text = "The instrument's answer arrived damaged or incomplete: could not check " +
                       std::to_string(unchecked) + " of " + std::to_string(check.values) +
                       " values";
    if (!blocks.empty()) {
        text += " (blocks " + blocks + ")";
    }
    return text + ".";
}

}  // namespace tessaline
