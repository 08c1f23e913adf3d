#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Profile.h"

namespace tessaline {

// How fast messages go out to one instrument.
enum class SendSpeedKind {
    Cable,       // no faster than a MIDI cable takes them: 320 us a byte (31,250 baud)
    Fast,        // no pause at all
    FixedPause,  // a fixed pause between two messages
};

struct SendSpeed {
    SendSpeedKind kind = SendSpeedKind::Cable;
    int pauseMs = 0;  // FixedPause only: 1 to 100

    static SendSpeed cable() { return {SendSpeedKind::Cable, 0}; }
    static SendSpeed fast() { return {SendSpeedKind::Fast, 0}; }
    static SendSpeed pause(int ms) { return {SendSpeedKind::FixedPause, ms}; }
    bool operator==(const SendSpeed&) const = default;
};

inline constexpr int kMinPauseMs = 1;
inline constexpr int kMaxPauseMs = 100;

// "cable", "fast" or a whole number of milliseconds 1 to 100; nothing else.
std::optional<SendSpeed> parseSendSpeed(std::string_view text);
// How a speed reads to the user: "cable", "fast" or "N ms".
std::string sendSpeedText(const SendSpeed& speed);

// The settings store keeps a speed as one integer: -1 cable, 0 fast, 1 to 100 a pause in ms.
// Any other value is not a speed.
int storedSendSpeed(const SendSpeed& speed);
std::optional<SendSpeed> sendSpeedFromStored(int value);

// The speed stored for a model (beside its device numbers), or `fallback` when none is stored
// or the stored value is not a speed.
SendSpeed readSendSpeed(Profile& profile, const std::string& modelName, const SendSpeed& fallback);
void writeSendSpeed(Profile& profile, const std::string& modelName, const SendSpeed& speed);

// "Check each copy": after a copy, compare what the instrument reports with what was sent, and
// send once more on a difference. On unless the user turned it off.
bool readCheckEachCopy(Profile& profile);
void writeCheckEachCopy(Profile& profile, bool on);
// "Back up before each copy": keep the destination as it was before a copy, on disk, so that the
// copy can be undone. On unless the user turned it off.
bool readBackUpEachCopy(Profile& profile);
void writeBackUpEachCopy(Profile& profile, bool on);

}  // namespace tessaline
