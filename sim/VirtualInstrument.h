#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "sim/IncomingFaults.h"
#include "sim/InstrumentMemory.h"
#include "sim/InstrumentModels.h"
#include "sim/ReplyFaults.h"
#include "sim/VoiceBanks.h"
#include "sim/WirePacer.h"

namespace tessaline {

// Messages the instrument dropped, by reason.
struct IgnoredCounts {
    int malformed = 0;          // broken framing, stray status bytes, wrong lengths
    int otherManufacturer = 0;  // System Exclusive of another maker
    int otherModelId = 0;       // addressed to another model
    int unsupported = 0;        // other requests, other channels, a selection of nothing
    int outOfRange = 0;         // writes reaching outside every memory block, or bulk blocks
                                // that fit no block of a dump
    int damagedBlocks = 0;      // bulk blocks whose checksum or byte count does not fit
    int dropped = 0;            // parameter changes lost to an armed fault
    int lostWhileFrozen = 0;    // messages beyond what the transport held through a freeze

    int total() const {
        return malformed + otherManufacturer + otherModelId + unsupported + outOfRange +
               damagedBlocks + dropped + lostWhileFrozen;
    }
};

using ReplySink = std::function<void(const std::vector<unsigned char>&)>;

// A model of one instrument of the family, written from what the program sends and accepts:
// it answers the Identity Request, takes parameter changes and bulk blocks into its edit
// buffers, selects voices and performances by bank select and program change, and answers bulk
// dump requests with checksummed blocks. Like the instrument, it has only its family's memories:
// requests for the others go unanswered and writes to them are ignored, both counted. Replies go to
// the reply sink, on the thread that called receive, after any delay and wire time (through the
// clock, outside the instrument's lock).
//
// Every member is safe to call from any thread; receive handles one message at a time.
class VirtualInstrument {
  public:
    // What the transport in front of a frozen instrument still holds by default: a couple of
    // dozen parameter changes.
    static constexpr std::size_t kFrozenHoldBytes = 256;

    // The model is a row of the instrument table, which outlives every instrument.
    explicit VirtualInstrument(const InstrumentModel& model, std::uint64_t seed = 1);
    // Null when no model has this display name.
    static std::unique_ptr<VirtualInstrument> create(const std::string& displayName,
                                                     std::uint64_t seed = 1);
    VirtualInstrument(const VirtualInstrument&) = delete;
    VirtualInstrument& operator=(const VirtualInstrument&) = delete;
    ~VirtualInstrument() = default;

    const InstrumentModel& model() const { return model_; }
    InstrumentFamily family() const { return model_.family; }
    const std::vector<unsigned char>& modelId() const { return modelId_; }
    std::uint64_t seed() const { return seed_; }
    std::vector<unsigned char> identityReply() const;

    void setReplySink(ReplySink sink);
    // Waits (reply delay, wire time) go through this clock; null restores the system clock.
    // The clock must outlive its use here.
    void setClock(Clock* clock);
    // Replies take their time on a 31250-baud cable; off by default.
    void setWirePacing(bool on);
    bool wirePacing() const;

    // One whole incoming message: a short message or a System Exclusive message F0 .. F7.
    void receive(std::span<const unsigned char> message);
    void receive(const unsigned char* data, std::size_t length) { receive({data, length}); }

    // Faults for tests (see ReplyFaults).
    void setSilent(bool silent);
    void corruptNextBlocks(int count);
    void truncateNextBlocks(int count);
    // Empty bytes send a built-in piece of garbage.
    void sendGarbageBeforeNextReplies(std::vector<unsigned char> bytes = {});
    void setReplyDelayMs(int ms);
    // Incoming parameter changes lost before they reach the memory (see IncomingFaults);
    // false when too many addresses are armed already.
    void dropNthParameterChange(int n);
    bool dropParameterChangesTo(unsigned address, int times = 1);
    // Takes nothing in for `ms` of its clock, as an instrument that stalls: what arrives
    // meanwhile waits, up to `holdBytes` as the transport in front of it would hold, and the
    // rest is lost (counted). What waited is taken in, in order, once the time is over: ahead
    // of the next message, or at thawIfDue. 0 or less ends a freeze now.
    void freezeInput(int ms, std::size_t holdBytes = kFrozenHoldBytes);
    // Takes in what waited through a freeze that is over. Returns how many milliseconds the
    // freeze still lasts (then nothing is taken in), 0 when it is over; 1 when another thread
    // is handing a message in just now. Whoever drives the instrument calls it now and then,
    // so that a frozen instrument resumes by itself.
    int thawIfDue();
    // Disarms every fault; a freeze ends, and what waited through it is lost.
    void clearFaults();

    // Inspection. Addresses are high * 65536 + mid * 256 + low.
    std::optional<std::vector<unsigned char>> block(unsigned base) const;
    BlockMap snapshot() const;
    BlockMap storedVoice(int bankIndex, int program) const;
    BlockMap userPerformance(int program) const;
    std::span<const VoiceBank> banks() const { return voiceBanks(model_.family); }
    int mode() const;
    IgnoredCounts ignored() const;
    int receivedCount() const;

    // Writes addressable memory directly, as a front-panel edit would; false (and nothing
    // written) when any byte would fall outside every block.
    bool writeMemory(unsigned address, std::span<const unsigned char> bytes);

  private:
    // Replies on their way out, each with the wait before it.
    struct Outgoing {
        std::vector<std::vector<unsigned char>> messages;
        std::vector<int> waitsMs;
    };

    // Under the lock: the replies one message asks for, after the armed faults.
    void answer(std::span<const unsigned char> message, Outgoing& outgoing);
    // Under the lock: while frozen, a message waits if there is room and is lost otherwise;
    // true when it went either way.
    bool holdWhileFrozen(std::span<const unsigned char> message);
    // Under the lock: answers what waited through a freeze, in order.
    void takeHeldInput(Outgoing& outgoing);
    // Outside the lock, under the input lock: waits and hands the replies over.
    static void send(const Outgoing& outgoing, const ReplySink& sink, Clock& clock);
    // Handles one message under the lock and returns the replies it asks for.
    std::vector<OutgoingMessage> handle(std::span<const unsigned char> message);
    std::vector<OutgoingMessage> dumpReplies(unsigned requestAddress);
    void writeParameter(unsigned address, const std::vector<unsigned char>& data);
    void takeBulkBlock(unsigned address, const std::vector<unsigned char>& data);
    void selectProgram(unsigned char program);

    const InstrumentModel& model_;
    const std::vector<unsigned char> modelId_;
    const std::uint64_t seed_;

    // Taken for a whole message, replies included, so that what waited through a freeze is
    // answered before anything that came later. Always before mutex_.
    std::mutex inputMutex_;
    mutable std::mutex mutex_;
    InstrumentMemory memory_;
    ReplyFaults faults_;
    IncomingFaults incomingFaults_;
    WirePacer pacer_;
    bool pacing_ = false;
    unsigned char bankMsb_ = 0x3F;  // PRE1 until told otherwise
    unsigned char bankLsb_ = 0x00;
    IgnoredCounts ignored_;
    int received_ = 0;
    bool frozen_ = false;
    std::int64_t frozenUntilUs_ = 0;
    std::size_t holdBytes_ = 0;
    std::size_t heldBytes_ = 0;
    std::deque<std::vector<unsigned char>> held_;
    ReplySink sink_;
    SystemClock systemClock_;
    Clock* clock_ = &systemClock_;
};

}  // namespace tessaline
