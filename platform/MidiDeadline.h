#pragma once

#include <atomic>
#include <chrono>

namespace tessaline {

// A point in time, in ticks of the steady clock, that a program with a time limit of its own
// keeps up to date; a MIDI service waits for nothing but a send past it.
using MidiDeadline = std::atomic<std::chrono::steady_clock::rep>;

// What a program asks of the MIDI service it starts.
struct MidiServiceLimits {
    int openTimeoutMs = 5000;  // starting a MIDI system and opening a port
    const MidiDeadline* deadline = nullptr;
};

}  // namespace tessaline
