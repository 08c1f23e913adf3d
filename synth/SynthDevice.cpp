#include "synth/SynthDevice.h"

#include <mutex>

#include "synth/BankList.h"

namespace tessaline {

namespace {

constexpr int kManufacturerId = 0x43;
constexpr int kIdentityReplyMinLength = 10;
constexpr int kReplyManufacturerByte = 5;
constexpr int kReplyModelByteLow = 8;
constexpr int kReplyModelByteHigh = 9;

}  // namespace

SynthDevice::SynthDevice(const PortServices& services) : MidiPort(services) {
    manufacturerId = kManufacturerId;
}

// Closing here, not only in the base, keeps deliveries away from a half-destroyed device.
SynthDevice::~SynthDevice() {
    close();
}

int SynthDevice::parseIdentityReply(const unsigned char* data, int length) {
    if (data == nullptr || length < kIdentityReplyMinLength) {
        return 0;
    }
    if (data[kReplyManufacturerByte] != manufacturerId) {
        return 0;
    }
    // Only the family member code names the model; sub-IDs, family code and version are
    // deliberately not examined.
    const ModelInfo* model = findModel(data[kReplyModelByteLow], data[kReplyModelByteHigh]);
    if (model == nullptr) {
        return 0;
    }
    applyModelLocked(model->displayName, model->family, model->modelIdText);
    return 1;
}

void SynthDevice::applyModel(const std::string& name, ModelFamily modelFamily,
                             const std::string& modelIdTextValue) {
    std::lock_guard guard(inputLock);
    applyModelLocked(name, modelFamily, modelIdTextValue);
}

void SynthDevice::applyModelLocked(const std::string& name, ModelFamily modelFamily,
                                   const std::string& modelIdTextValue) {
    displayName = name;
    family_ = modelFamily;
    modelId = modelIdTextValue;

    banks = voiceBanksOf(modelFamily);

    // Storage of the new family's sizes; whatever the previous model sent is gone.
    const FamilyLayout& layout = familyLayout(modelFamily);
    voiceRecord = std::make_unique<VoiceRecord>();
    for (std::size_t i = 0; i < layout.voiceBlockSizes.size(); ++i) {
        voiceRecord->blocks[i].allocate(layout.voiceBlockSizes[i]);
    }
    performanceCommon = std::make_unique<ByteBlock>();
    performanceCommon->allocate(layout.performanceCommonSize);
    voiceBlockCounts_ = {};
    dumps_.reset();
    receiveCounts_ = {};
    voiceRequests_.reset();
    performanceRequests_.reset();
    mixRequests_.reset();
    wholeVoice_.reset();
    lastDestination_.reset();
}

ModelFamily SynthDevice::family() const {
    std::lock_guard guard(inputLock);
    return family_;
}

VoiceRecord SynthDevice::voiceSnapshot() const {
    std::lock_guard guard(inputLock);
    return voiceRecord ? *voiceRecord : VoiceRecord{};
}

ByteBlock SynthDevice::performanceCommonSnapshot() const {
    std::lock_guard guard(inputLock);
    return performanceCommon ? *performanceCommon : ByteBlock{};
}

std::array<unsigned, 4> SynthDevice::voiceBlockCounts() const {
    std::lock_guard guard(inputLock);
    return voiceBlockCounts_;
}

std::vector<ReceivedBlock> SynthDevice::destinationDumpBlocks() const {
    std::lock_guard guard(inputLock);
    return dumps_.lastDump();
}

std::optional<WholeVoice> SynthDevice::wholeVoice() const {
    std::lock_guard guard(inputLock);
    return wholeVoice_;
}

AnswerTracker::Label SynthDevice::lastVoiceRequest() const {
    std::lock_guard guard(inputLock);
    return voiceRequests_.lastAsked();
}

std::optional<DestinationAnswer> SynthDevice::lastDestinationAnswer() const {
    std::lock_guard guard(inputLock);
    return lastDestination_;
}

int SynthDevice::newRequestTag() {
    std::lock_guard guard(inputLock);
    return ++lastRequestTag_;
}

SynthDevice::ReceiveCounts SynthDevice::receiveCounts() const {
    std::lock_guard guard(inputLock);
    return receiveCounts_;
}

unsigned SynthDevice::destinationDumpsCompleted() const {
    std::lock_guard guard(inputLock);
    return destinationAnswers_;
}

}  // namespace tessaline
