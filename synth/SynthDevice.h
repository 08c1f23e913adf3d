#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "midi/MidiPort.h"
#include "synth/AnswerTracker.h"
#include "synth/ByteBlock.h"
#include "synth/CopyPlan.h"
#include "synth/DumpCollector.h"
#include "synth/ModelFamily.h"

namespace tessaline {

inline const char* const kBulkReceiveError = "Bulk Receive Error";

// Parameter addresses the device and its callers use.
inline constexpr int kModeAddress = 0x0A0001;
inline constexpr int kPerformanceCommonAddress = 0x300000;
inline constexpr int kMixCommonAddress = 0x360000;
inline constexpr int kMixNoticeAddress = 0x360100;
inline constexpr int kVoiceBlockAddresses[4] = {0x407000, 0x400000, 0x400100, 0x400200};
inline constexpr int kPerformanceBankNumber = 8128;  // USER performances: MSB 3F, LSB 40

// Destination modes of the instrument.
inline constexpr int kModeVoice = 0;
inline constexpr int kModePerformance = 1;
inline constexpr int kModeSongMix = 3;

// Who asked for a destination dump: the window's own requests, or a copy session's tag.
inline constexpr int kWindowRequestTag = 0;

// What a voice dump request asked for: the bank index and program of the selection, or none.
inline constexpr int kUnknownSelection = -1;
inline int voiceSelection(int bankIndex, int program) {
    return bankIndex * 128 + program;
}

// A voice whose four blocks all arrived intact in one dump, and the request it answered.
struct WholeVoice {
    unsigned serial = 0;
    int selection = kUnknownSelection;
    VoiceRecord record;
};

// A performance or song mix dump that closed, and the request it is taken to answer.
struct DestinationAnswer {
    AnswerTracker::Label label;
    CompletedDump dump;
};

// The MIDI port specialised for the instrument family: identification, parameter changes,
// bulk dump requests, received blocks, the bank list and display lines, and the copy scripts.
class SynthDevice : public MidiPort {
  public:
    explicit SynthDevice(const PortServices& services);
    ~SynthDevice() override;

    void onLongMessage(const unsigned char* data, int length) override;
    int parseIdentityReply(const unsigned char* data, int length) override;

    // Identification.
    void applyModel(const std::string& name, ModelFamily modelFamily,
                    const std::string& modelIdTextValue);
    ModelFamily family() const;

    // Sending. sendPlanned returns 0 when the message went out, 1 after an error box.
    int sendPlanned(const PlannedMessage& message);
    void sendParameter(int address, int value, int width);
    void sendParameter4(int address, unsigned char b1, unsigned char b2, unsigned char b3,
                        unsigned char b4);
    void writeBlock24(int address, const unsigned char* bytes);
    void writeBlock25(int address, const unsigned char* bytes);
    void setMode(int mode);
    void requestDump(unsigned char hi, unsigned char lo);
    // Each dump request is noted before it goes out, tagged with what it asks for, and returns
    // its serial; the answers are matched to the requests by order (see AnswerTracker).
    unsigned requestVoiceDump(int selection = kUnknownSelection);
    unsigned requestPerformanceDump(int tag = kWindowRequestTag);
    unsigned requestMixDump(int tag = kWindowRequestTag);
    unsigned requestDestinationDump(int mode, int tag);
    // The voice's dump request's serial, or 0 when nothing was asked.
    unsigned selectVoice(unsigned char bankIndex, unsigned char program);
    void selectPerformance(unsigned char program);
    // A tag no other requester uses, for a copy session's own requests.
    int newRequestTag();

    // Receiving; both are called with the port's lock held.
    bool verifyBulk(const unsigned char* data, int length);
    int bulkAddress(const unsigned char* data) const;

    // Display lines, formatted under the port's lock.
    std::string formatVoiceLine(int bankIndex, int letter, int number) const;
    std::string formatPerformanceLine(int letter, int number) const;

    // Copies taken under the port's lock, for the window, the copy run and tests.
    VoiceRecord voiceSnapshot() const;
    ByteBlock performanceCommonSnapshot() const;
    // How many times each voice block has been stored since the last identification; a caller
    // that wants a whole voice waits until all four have moved on.
    std::array<unsigned, 4> voiceBlockCounts() const;
    // The data blocks of the last performance or song mix dump that reached its footer, and how
    // many such dumps have closed, whole or not, since the device was made.
    std::vector<ReceivedBlock> destinationDumpBlocks() const;
    unsigned destinationDumpsCompleted() const;
    // Bulk blocks that arrived damaged (bad checksum, a top bit set, cut short) and dump footers
    // received, since the last identification: a caller whose answer has ended with a damaged
    // block need not wait for a good one.
    struct ReceiveCounts {
        unsigned damagedBlocks = 0;
        unsigned footers = 0;
    };
    ReceiveCounts receiveCounts() const;
    // The newest voice that arrived whole and is known to answer its request, if any.
    std::optional<WholeVoice> wholeVoice() const;
    // The newest voice dump request.
    AnswerTracker::Label lastVoiceRequest() const;
    // The newest performance or song mix dump that closed, whole or not.
    std::optional<DestinationAnswer> lastDestinationAnswer() const;

    // The copy scripts: each sends and reports what went out and what it wrote; mode 1 is
    // PERFORMANCE, any other value SONG MIX.
    CopyReport copyVoiceToPart(const VoiceRecord& voice, int mode, unsigned char bankIndex,
                               unsigned char program, unsigned char part, int withSysFx,
                               int withInsFx, int withName);
    CopyReport copyVoiceToPartES(const VoiceRecord& voice, int mode, unsigned char bankIndex,
                                 unsigned char program, unsigned char part, int withSysFx,
                                 int withInsFx, int withName);
    // The script of the identified family on the given voice.
    CopyPlan planCopy(const VoiceRecord& voice, int mode, unsigned char bankIndex,
                      unsigned char program, unsigned char part, int withSysFx, int withInsFx,
                      int withName) const;
    // The script of the identified family on a snapshot of the voice taken now.
    CopyPlan planCopyOfFamily(int mode, unsigned char bankIndex, unsigned char program,
                              unsigned char part, int withSysFx, int withInsFx, int withName) const;
    CopyReport copyVoiceOfFamily(int mode, unsigned char bankIndex, unsigned char program,
                                 unsigned char part, int withSysFx, int withInsFx, int withName);
    // Sends a plan in its order, each message completely before the next, and stops at the first
    // message that fails.
    CopyReport sendCopy(const CopyPlan& plan);

  protected:
    // applyModel for a caller that holds the port's lock (the callback thread).
    void applyModelLocked(const std::string& name, ModelFamily modelFamily,
                          const std::string& modelIdTextValue);
    // Hands a verified block to the dump under way; called under the port's lock.
    void keepDumpBlock(int address, const unsigned char* data, int length);
    void dumpClosed(CompletedDump dump);
    void wholeVoiceArrived(const AnswerTracker::Label& label, const CompletedDump& dump);

    ModelFamily family_ = FamilyS90;
    std::unique_ptr<VoiceRecord> voiceRecord;
    std::unique_ptr<ByteBlock> performanceCommon;
    std::array<unsigned, 4> voiceBlockCounts_{};
    DumpCollector dumps_;
    ReceiveCounts receiveCounts_;
    AnswerTracker voiceRequests_;
    // Apart, since an instrument without performances never answers for one.
    AnswerTracker performanceRequests_;
    AnswerTracker mixRequests_;
    std::optional<WholeVoice> wholeVoice_;
    std::optional<DestinationAnswer> lastDestination_;
    unsigned destinationAnswers_ = 0;
    int lastRequestTag_ = kWindowRequestTag;
};

}  // namespace tessaline
