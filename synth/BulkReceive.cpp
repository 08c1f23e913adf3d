#include <algorithm>
#include <cstring>
#include <mutex>

#include "synth/SynthDevice.h"

namespace tessaline {

namespace {

constexpr unsigned char kSysExStart = 0xF0;
constexpr unsigned char kBulkDumpStatus = 0x00;
constexpr int kBulkHeaderBytes = 3;  // F0, manufacturer, 0n
constexpr int kAddressBytes = 3;
constexpr int kTrailerBytes = 2;   // checksum, F7
constexpr int kFooterHigh = 0x0F;  // a dump's closing block: 0F 0F 00, 0F 4F 00, 0F 5F 00

enum class Store { Nothing, PerformanceCommon, VoiceBlock };

// Where a received block goes and whom it concerns; a notice of 0 tells nobody.
struct Route {
    int address;
    Store store;
    int voiceBlock;
    unsigned notice;
};

constexpr Route kRoutes[] = {
    {kPerformanceCommonAddress, Store::PerformanceCommon, 0, WM_PERFORMANCE_RECEIVED},
    {kMixNoticeAddress, Store::Nothing, 0, WM_MIX_RECEIVED},
    {kVoiceBlockAddresses[0], Store::VoiceBlock, 0, WM_VOICE_RECEIVED},
    {kVoiceBlockAddresses[1], Store::VoiceBlock, 1, 0},
    {kVoiceBlockAddresses[2], Store::VoiceBlock, 2, 0},
    {kVoiceBlockAddresses[3], Store::VoiceBlock, 3, 0},
};

// True when every byte between the header and the final byte is a 7-bit data byte.
bool allDataBytes(const unsigned char* data, int length) {
    for (int i = kBulkHeaderBytes; i < length - 1; ++i) {
        if ((data[i] & 0x80) != 0) {
            return false;
        }
    }
    return true;
}

const Route* routeOf(int address) {
    for (const Route& route : kRoutes) {
        if (route.address == address) {
            return &route;
        }
    }
    return nullptr;
}

}  // namespace

void SynthDevice::onLongMessage(const unsigned char* data, int length) {
    if (data == nullptr || length < kBulkHeaderBytes) {
        return;
    }
    if (isUniversalNonRealtime(data) && parseIdentityReply(data, length) != 0) {
        setConnected();
        postToMainWindow(WM_SYNTH_IDENTIFIED, 0, 0);
    }
    if (!verifyBulk(data, length)) {
        dumps_.damaged();
        return;
    }

    const FamilyLayout& layout = familyLayout(family_);
    if (length < layout.addressOffset + kAddressBytes) {
        return;  // too short to say where it belongs
    }
    const int address = bulkAddress(data);
    const int present = length - layout.dataOffset - kTrailerBytes;
    const int declared = (data[layout.addressOffset - 2] << 7) | data[layout.addressOffset - 1];
    // A block whose byte count disagrees with its bytes was cut short (or padded) on its way:
    // as damaged as one with a wrong sum, and said so the same way.
    if (present != declared) {
        ++receiveCounts_.damagedBlocks;
        dumps_.damaged();
        messageBoxes().showLater(kBulkReceiveError, "", BoxIcon::Error);
        return;
    }
    if ((address >> 16) == kFooterHigh) {
        ++receiveCounts_.footers;
    }
    keepDumpBlock(address, data, length);
    const Route* route = routeOf(address);
    if (route == nullptr) {
        return;  // headers, footers and blocks this program does not use
    }

    if (route->store != Store::Nothing) {
        ByteBlock* target = nullptr;
        if (route->store == Store::PerformanceCommon) {
            target = performanceCommon.get();
        } else if (voiceRecord) {
            target = &voiceRecord->blocks[route->voiceBlock];
        }
        if (target == nullptr || target->empty()) {
            return;  // no storage before the first identification
        }
        // A block cut short would be read past its end: drop it whole.
        if (length < layout.dataOffset + target->size() + kTrailerBytes) {
            return;
        }
        std::memcpy(target->data(), data + layout.dataOffset,
                    static_cast<std::size_t>(target->size()));
        if (route->store == Store::VoiceBlock) {
            ++voiceBlockCounts_[static_cast<std::size_t>(route->voiceBlock)];
        }
    }
    if (route->notice != 0) {
        postToMainWindow(route->notice, 0, 0);
    }
}

void SynthDevice::keepDumpBlock(int address, const unsigned char* data, int length) {
    const FamilyLayout& layout = familyLayout(family_);
    const int present = length - layout.dataOffset - kTrailerBytes;
    std::optional<CompletedDump> closed =
        dumps_.take(address, {data + layout.dataOffset, static_cast<std::size_t>(present)},
                    {data, static_cast<std::size_t>(length)});
    if (closed) {
        dumpClosed(std::move(*closed));
    }
}

void SynthDevice::dumpClosed(CompletedDump dump) {
    if (dump.area == kVoiceDumpArea) {
        const AnswerTracker::Label label = voiceRequests_.answered();
        if (label.certain && !dump.damaged) {
            wholeVoiceArrived(label, dump);
        }
        return;
    }
    if (dump.area != kPerformanceDumpArea && dump.area != kMixDumpArea) {
        return;
    }
    AnswerTracker& requests =
        dump.area == kPerformanceDumpArea ? performanceRequests_ : mixRequests_;
    lastDestination_ = DestinationAnswer{requests.answered(), std::move(dump)};
    ++destinationAnswers_;
    postToMainWindow(WM_DESTINATION_DUMP_RECEIVED, 0, 0);
}

void SynthDevice::wholeVoiceArrived(const AnswerTracker::Label& label, const CompletedDump& dump) {
    const FamilyLayout& layout = familyLayout(family_);
    WholeVoice voice{label.serial, label.tag, {}};
    for (std::size_t i = 0; i < std::size(kVoiceBlockAddresses); ++i) {
        const auto block = std::find_if(
            dump.blocks.begin(), dump.blocks.end(),
            [i](const ReceivedBlock& b) { return b.address == kVoiceBlockAddresses[i]; });
        const auto size = static_cast<std::size_t>(layout.voiceBlockSizes[i]);
        if (block == dump.blocks.end() || block->data.size() < size) {
            return;  // not the whole voice
        }
        voice.record.blocks[i].allocate(static_cast<int>(size));
        std::memcpy(voice.record.blocks[i].data(), block->data.data(), size);
    }
    wholeVoice_ = std::move(voice);
    postToMainWindow(WM_VOICE_DUMP_RECEIVED, 0, 0);
}

bool SynthDevice::verifyBulk(const unsigned char* data, int length) {
    if (data == nullptr || length < kBulkHeaderBytes || data[0] != kSysExStart ||
        data[1] != manufacturerId || data[2] != kBulkDumpStatus) {
        return false;
    }
    // A byte with its top bit set cannot lie inside System Exclusive, and the 7-bit checksum
    // does not see that bit: such a block is as corrupt as one with a wrong sum, and stored, it
    // would later be written back to the instrument as a status byte in mid-message.
    if (isBulkChecksumValid(data, length) == 0 || !allDataBytes(data, length)) {
        // Handed to the window's thread: the receive path never waits on a box.
        messageBoxes().showLater(kBulkReceiveError, "", BoxIcon::Error);
        ++receiveCounts_.damagedBlocks;
        return false;
    }
    return true;
}

int SynthDevice::bulkAddress(const unsigned char* data) const {
    const int o = familyLayout(family_).addressOffset;
    return (data[o] << 16) | (data[o + 1] << 8) | data[o + 2];
}

}  // namespace tessaline
