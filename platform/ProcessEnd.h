#pragma once

namespace tessaline {

// Ends the program at once with the exit code, after flushing the standard streams, without
// the libraries' own teardown: a MIDI library call that never returned may still hold a thread
// that teardown would wait for, or take down with it.
[[noreturn]] void endProcessNow(int code);

}  // namespace tessaline
