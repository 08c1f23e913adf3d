#include "tests/ui/VirtualInstruments.h"

#include "sim/VirtualMidiService.h"

namespace tessaline::test {

namespace {

constexpr unsigned kVoiceCommon = 0x407000;
constexpr unsigned kPerformanceCommon = 0x300000;

std::string nameIn(const BlockMap& blocks, unsigned base) {
    auto it = blocks.find(base);
    if (it == blocks.end() || it->second.size() < 10) {
        return {};
    }
    return std::string(it->second.begin(), it->second.begin() + 10);
}

}  // namespace

struct VirtualInstruments::Impl {
    VirtualMidiService service{false};
    VirtualInstrument& at(int device) { return *service.instrument(device); }
};

VirtualInstruments::VirtualInstruments() : impl_(std::make_unique<Impl>()) {}
VirtualInstruments::~VirtualInstruments() = default;

MidiService& VirtualInstruments::service() {
    return impl_->service;
}

bool VirtualInstruments::waitIdle(int timeoutMs) {
    return impl_->service.waitIdle(timeoutMs);
}

void VirtualInstruments::setSilent(int device, bool silent) {
    impl_->at(device).setSilent(silent);
}

void VirtualInstruments::setPresent(int device, bool present) {
    impl_->service.setPresent(device, present);
}

void VirtualInstruments::dropParameterChangesTo(int device, unsigned address, int times) {
    impl_->at(device).dropParameterChangesTo(address, times);
}

int VirtualInstruments::receivedCount(int device) const {
    return impl_->at(device).receivedCount();
}

int VirtualInstruments::mode(int device) const {
    return impl_->at(device).mode();
}

std::vector<unsigned char> VirtualInstruments::block(int device, unsigned base) const {
    return impl_->at(device).block(base).value_or(std::vector<unsigned char>{});
}

std::string VirtualInstruments::voiceName(int device, int bankIndex, int program) const {
    return nameIn(impl_->at(device).storedVoice(bankIndex, program), kVoiceCommon);
}

std::string VirtualInstruments::performanceName(int device, int program) const {
    return nameIn(impl_->at(device).userPerformance(program), kPerformanceCommon);
}

}  // namespace tessaline::test
