// On Windows even _Exit detaches every DLL; the multimedia system's drivers then close their
// MIDI connections, which may crash or wait on a thread that is stuck. Terminating skips it.
#include <windows.h>

#include <cstdio>

#include "platform/ProcessEnd.h"

namespace tessaline {

void endProcessNow(int code) {
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    // TerminateProcess does not return for the calling process itself.
    ExitProcess(static_cast<UINT>(code));
}

}  // namespace tessaline
