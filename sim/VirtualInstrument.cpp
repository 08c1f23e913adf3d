#include "sim/VirtualInstrument.h"

#include "sim/BulkBlock.h"
#include "sim/IncomingMessage.h"

namespace tessaline {

VirtualInstrument::VirtualInstrument(const InstrumentModel& model, std::uint64_t seed)
    : model_(model),
      modelId_(model.modelId().begin(), model.modelId().end()),
      seed_(seed),
      memory_(model.family, seed) {}

std::unique_ptr<VirtualInstrument> VirtualInstrument::create(const std::string& displayName,
                                                             std::uint64_t seed) {
    const InstrumentModel* model = findInstrumentModel(displayName);
    return model == nullptr ? nullptr : std::make_unique<VirtualInstrument>(*model, seed);
}

std::vector<unsigned char> VirtualInstrument::identityReply() const {
    return {
        0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x43, 0x00, 0x41, model_.memberCodeLow, model_.memberCodeHigh,
        0x00, 0x00, 0x00, 0x01, 0xF7};
}

void VirtualInstrument::setReplySink(ReplySink sink) {
    std::lock_guard guard(mutex_);
    sink_ = std::move(sink);
}

void VirtualInstrument::setClock(Clock* clock) {
    std::lock_guard guard(mutex_);
    clock_ = clock != nullptr ? clock : &systemClock_;
}

void VirtualInstrument::setWirePacing(bool on) {
    std::lock_guard guard(mutex_);
    pacing_ = on;
}

bool VirtualInstrument::wirePacing() const {
    std::lock_guard guard(mutex_);
    return pacing_;
}

void VirtualInstrument::receive(std::span<const unsigned char> message) {
    std::lock_guard input(inputMutex_);
    Outgoing outgoing;
    ReplySink sink;
    Clock* clock = nullptr;
    {
        std::lock_guard guard(mutex_);
        if (holdWhileFrozen(message)) {
            return;
        }
        takeHeldInput(outgoing);
        answer(message, outgoing);
        sink = sink_;
        clock = clock_;
    }
    // Waiting and handing over happen outside the lock, so that inspection never stalls.
    send(outgoing, sink, *clock);
}

int VirtualInstrument::thawIfDue() {
    // A message in hand takes in what waited before itself; come back a little later.
    std::unique_lock input(inputMutex_, std::try_to_lock);
    if (!input.owns_lock()) {
        return 1;
    }
    Outgoing outgoing;
    ReplySink sink;
    Clock* clock = nullptr;
    {
        std::lock_guard guard(mutex_);
        if (frozen_) {
            const std::int64_t leftUs = frozenUntilUs_ - clock_->nowUs();
            if (leftUs > 0) {
                return static_cast<int>((leftUs + 999) / 1000);
            }
            frozen_ = false;
        }
        takeHeldInput(outgoing);
        sink = sink_;
        clock = clock_;
    }
    send(outgoing, sink, *clock);
    return 0;
}

void VirtualInstrument::answer(std::span<const unsigned char> message, Outgoing& outgoing) {
    std::vector<std::vector<unsigned char>> replies =
        faults_.apply(handle(message), modelId_.size());
    for (std::size_t i = 0; i < replies.size(); ++i) {
        const int wireMs = pacing_ ? pacer_.waitFor(replies[i].size()) : 0;
        outgoing.waitsMs.push_back(wireMs + (i == 0 ? faults_.delayMs() : 0));
        outgoing.messages.push_back(std::move(replies[i]));
    }
}

bool VirtualInstrument::holdWhileFrozen(std::span<const unsigned char> message) {
    if (!frozen_) {
        return false;
    }
    if (clock_->nowUs() >= frozenUntilUs_) {
        frozen_ = false;
        return false;
    }
    if (heldBytes_ + message.size() <= holdBytes_) {
        held_.emplace_back(message.begin(), message.end());
        heldBytes_ += message.size();
    } else {
        ++received_;
        ++ignored_.lostWhileFrozen;
    }
    return true;
}

void VirtualInstrument::takeHeldInput(Outgoing& outgoing) {
    while (!held_.empty()) {
        const std::vector<unsigned char> message = std::move(held_.front());
        held_.pop_front();
        answer(message, outgoing);
    }
    heldBytes_ = 0;
}

void VirtualInstrument::send(const Outgoing& outgoing, const ReplySink& sink, Clock& clock) {
    for (std::size_t i = 0; i < outgoing.messages.size(); ++i) {
        if (outgoing.waitsMs[i] > 0) {
            clock.sleepMs(outgoing.waitsMs[i]);
        }
        if (sink) {
            sink(outgoing.messages[i]);
        }
    }
}

std::vector<OutgoingMessage> VirtualInstrument::handle(std::span<const unsigned char> message) {
    ++received_;
    const IncomingMessage in = classifyMessage(message, modelId_);
    switch (in.kind) {
        case MessageKind::IdentityRequest:
            return {{identityReply(), false}};
        case MessageKind::ParameterChange:
            if (incomingFaults_.drops(in.address)) {
                ++ignored_.dropped;
            } else {
                writeParameter(in.address, in.data);
            }
            return {};
        case MessageKind::DumpRequest:
            return dumpReplies(in.address);
        case MessageKind::BulkBlock:
            takeBulkBlock(in.address, in.data);
            return {};
        case MessageKind::DamagedBlock:
            ++ignored_.damagedBlocks;
            return {};
        case MessageKind::BankSelectMsb:
            bankMsb_ = in.value;
            return {};
        case MessageKind::BankSelectLsb:
            bankLsb_ = in.value;
            return {};
        case MessageKind::ProgramChange:
            selectProgram(in.value);
            return {};
        case MessageKind::Malformed:
            ++ignored_.malformed;
            return {};
        case MessageKind::OtherManufacturer:
            ++ignored_.otherManufacturer;
            return {};
        case MessageKind::OtherModelId:
            ++ignored_.otherModelId;
            return {};
        case MessageKind::Unsupported:
            ++ignored_.unsupported;
            return {};
    }
    return {};
}

std::vector<OutgoingMessage> VirtualInstrument::dumpReplies(unsigned requestAddress) {
    const std::optional<DumpArea> area = areaForDumpRequest(model_.family, requestAddress);
    if (!area) {
        ++ignored_.unsupported;
        return {};
    }
    std::vector<OutgoingMessage> replies;
    replies.push_back({makeBulkBlock(modelId_, dumpHeaderAddress(*area), {}), false});
    for (const auto& [address, bytes] : memory_.dumpBlocks(*area)) {
        replies.push_back({makeBulkBlock(modelId_, address, bytes), true});
    }
    replies.push_back({makeBulkBlock(modelId_, dumpFooterAddress(*area), {}), false});
    return replies;
}

void VirtualInstrument::writeParameter(unsigned address, const std::vector<unsigned char>& data) {
    // Byte by byte at consecutive addresses; what falls outside the memory is dropped.
    bool outside = false;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (!memory_.writeByte(address + static_cast<unsigned>(i), data[i])) {
            outside = true;
        }
    }
    if (outside) {
        ++ignored_.outOfRange;
    }
}

void VirtualInstrument::takeBulkBlock(unsigned address, const std::vector<unsigned char>& data) {
    // A dump's header and footer only frame its blocks; each block stands on its own.
    if (areaForDumpMarker(model_.family, address)) {
        if (!data.empty()) {
            ++ignored_.malformed;
        }
        return;
    }
    if (!memory_.writeDumpBlock(address, data)) {
        ++ignored_.outOfRange;
    }
}

void VirtualInstrument::selectProgram(unsigned char program) {
    bool selected = false;
    const int mode = memory_.mode();
    if (mode == 0) {
        const std::optional<int> bank = voiceBankIndex(model_.family, bankMsb_, bankLsb_);
        selected = bank && memory_.loadVoice(*bank, program);
    } else if (mode == 1 && bankMsb_ == kPerformanceBankMsb && bankLsb_ == kPerformanceBankLsb) {
        selected = memory_.loadPerformance(program);
    }
    if (!selected) {
        ++ignored_.unsupported;
    }
}

void VirtualInstrument::setSilent(bool silent) {
    std::lock_guard guard(mutex_);
    faults_.setSilent(silent);
}

void VirtualInstrument::corruptNextBlocks(int count) {
    std::lock_guard guard(mutex_);
    faults_.corruptNextBlocks(count);
}

void VirtualInstrument::truncateNextBlocks(int count) {
    std::lock_guard guard(mutex_);
    faults_.truncateNextBlocks(count);
}

void VirtualInstrument::sendGarbageBeforeNextReplies(std::vector<unsigned char> bytes) {
    std::lock_guard guard(mutex_);
    faults_.sendGarbageBeforeNextReplies(std::move(bytes));
}

void VirtualInstrument::setReplyDelayMs(int ms) {
    std::lock_guard guard(mutex_);
    faults_.setDelayMs(ms);
}

void VirtualInstrument::dropNthParameterChange(int n) {
    std::lock_guard guard(mutex_);
    incomingFaults_.dropNthParameterChange(n);
}

bool VirtualInstrument::dropParameterChangesTo(unsigned address, int times) {
    std::lock_guard guard(mutex_);
    return incomingFaults_.dropParameterChangesTo(address, times);
}

void VirtualInstrument::freezeInput(int ms, std::size_t holdBytes) {
    std::lock_guard guard(mutex_);
    frozen_ = ms > 0;
    frozenUntilUs_ = clock_->nowUs() + std::int64_t{ms > 0 ? ms : 0} * 1000;
    holdBytes_ = holdBytes;
}

void VirtualInstrument::clearFaults() {
    std::lock_guard guard(mutex_);
    faults_.clear();
    incomingFaults_.clear();
    frozen_ = false;
    held_.clear();
    heldBytes_ = 0;
}

std::optional<std::vector<unsigned char>> VirtualInstrument::block(unsigned base) const {
    std::lock_guard guard(mutex_);
    const std::vector<unsigned char>* bytes = memory_.block(base);
    if (bytes == nullptr) {
        return std::nullopt;
    }
    return *bytes;
}

BlockMap VirtualInstrument::snapshot() const {
    std::lock_guard guard(mutex_);
    return memory_.addressable();
}

BlockMap VirtualInstrument::storedVoice(int bankIndex, int program) const {
    std::lock_guard guard(mutex_);
    return memory_.storedVoice(bankIndex, program);
}

BlockMap VirtualInstrument::userPerformance(int program) const {
    std::lock_guard guard(mutex_);
    return memory_.userPerformance(program);
}

int VirtualInstrument::mode() const {
    std::lock_guard guard(mutex_);
    return memory_.mode();
}

IgnoredCounts VirtualInstrument::ignored() const {
    std::lock_guard guard(mutex_);
    return ignored_;
}

int VirtualInstrument::receivedCount() const {
    std::lock_guard guard(mutex_);
    return received_;
}

bool VirtualInstrument::writeMemory(unsigned address, std::span<const unsigned char> bytes) {
    std::lock_guard guard(mutex_);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!memory_.holds(address + static_cast<unsigned>(i))) {
            return false;
        }
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        memory_.writeByte(address + static_cast<unsigned>(i), bytes[i]);
    }
    return true;
}

}  // namespace tessaline
