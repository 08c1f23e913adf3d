#include "midi/DeliverySettings.h"

#include <charconv>

namespace tessaline {

namespace {

const char* const kSection = "";
const char* const kSendSpeedSuffix = " Send Speed";
// Stored only once the user changes the box; the key that came before it was written on every
// OK of the setup dialog, so its 0 was rarely a choice, and it is no longer read.
const char* const kCheckEachCopyKey = "Check Copies";
const char* const kBackUpEachCopyKey = "Back Up Before Copies";
constexpr int kStoredCable = -1;
constexpr int kStoredFast = 0;
// Never a stored speed: tells a missing value from every real one.
constexpr int kStoredNothing = -1000;

}  // namespace

std::optional<SendSpeed> parseSendSpeed(std::string_view text) {
    if (text == "cable") {
        return SendSpeed::cable();
    }
    if (text == "fast") {
        return SendSpeed::fast();
    }
    if (text.empty() || text.size() > 3) {
        return std::nullopt;
    }
    int ms = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), ms);
    if (error != std::errc{} || end != text.data() + text.size() || ms < kMinPauseMs ||
        ms > kMaxPauseMs) {
        return std::nullopt;
    }
    return SendSpeed::pause(ms);
}

std::string sendSpeedText(const SendSpeed& speed) {
    switch (speed.kind) {
        case SendSpeedKind::Cable:
            return "cable";
        case SendSpeedKind::Fast:
            return "fast";
        case SendSpeedKind::FixedPause:
            break;
    }
    return std::to_string(speed.pauseMs) + " ms";
}

int storedSendSpeed(const SendSpeed& speed) {
    switch (speed.kind) {
        case SendSpeedKind::Cable:
            return kStoredCable;
        case SendSpeedKind::Fast:
            return kStoredFast;
        case SendSpeedKind::FixedPause:
            break;
    }
    return speed.pauseMs;
}

std::optional<SendSpeed> sendSpeedFromStored(int value) {
    if (value == kStoredCable) {
        return SendSpeed::cable();
    }
    if (value == kStoredFast) {
        return SendSpeed::fast();
    }
    if (value >= kMinPauseMs && value <= kMaxPauseMs) {
        return SendSpeed::pause(value);
    }
    return std::nullopt;
}

SendSpeed readSendSpeed(Profile& profile, const std::string& modelName, const SendSpeed& fallback) {
    const int stored = profile.readInt(kSection, modelName + kSendSpeedSuffix, kStoredNothing);
    return sendSpeedFromStored(stored).value_or(fallback);
}

void writeSendSpeed(Profile& profile, const std::string& modelName, const SendSpeed& speed) {
    profile.writeInt(kSection, modelName + kSendSpeedSuffix, storedSendSpeed(speed));
}

bool readCheckEachCopy(Profile& profile) {
    return profile.readInt(kSection, kCheckEachCopyKey, 1) != 0;
}

void writeCheckEachCopy(Profile& profile, bool on) {
    profile.writeInt(kSection, kCheckEachCopyKey, on ? 1 : 0);
}

bool readBackUpEachCopy(Profile& profile) {
    return profile.readInt(kSection, kBackUpEachCopyKey, 1) != 0;
}

void writeBackUpEachCopy(Profile& profile, bool on) {
    profile.writeInt(kSection, kBackUpEachCopyKey, on ? 1 : 0);
}

}  // namespace tessaline
