#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Clock.h"
#include "platform/MidiService.h"
#include "platform/winmm/WinMmApi.h"

namespace tessaline {

// One open WinMM output. A long send goes out from a buffer of our own and returns once WinMM
// has handed that buffer back (MOM_DONE), within the send's bound. One that overruns it is
// withdrawn with a reset: TimedOut when WinMM gives the buffer back, StillPlaying when it keeps
// it; the buffer then lives on and every send answers NotReady until WinMM lets go of it.
class WinMmOutput {
  public:
    struct Limits {
        int sendTimeoutMs = 2000;
        int withdrawTimeoutMs = 500;
    };

    WinMmOutput(WinMmApi& api, Clock& clock, Limits limits);
    WinMmOutput(const WinMmOutput&) = delete;
    WinMmOutput& operator=(const WinMmOutput&) = delete;

    MidiResult open(UINT device);
    MidiResult sendShort(std::uint32_t message);
    MidiResult sendLong(const unsigned char* data, std::size_t length);
    // Anything but Ok means WinMM may still call back into this object: it must then be left
    // alive.
    MidiResult close();

  private:
    struct LongSend {
        std::vector<char> bytes;
        MIDIHDR header{};
        bool done = false;  // under mutex_
    };

    static void CALLBACK onWinMm(HMIDIOUT handle, UINT message, DWORD_PTR instance,
                                 DWORD_PTR param1, DWORD_PTR param2);
    // Waits until WinMM has handed back the send in flight or the clock reaches deadlineUs.
    bool waitDone(std::int64_t deadlineUs);
    // Unprepares and drops the send in flight; WinMM has handed it back.
    void finish();
    // Lets go of a late send that WinMM has handed back since; false while it still holds it.
    bool settleLate();
    // Resets the output and waits briefly for the send in flight to come back.
    bool withdraw();

    WinMmApi& api_;
    Clock& clock_;
    const Limits limits_;
    HMIDIOUT device_ = nullptr;

    std::mutex sendMutex_;  // one send at a time; never taken by the callback
    bool late_ = false;     // under sendMutex_: the send in flight overran and is still out

    std::mutex mutex_;  // the callback takes only this one, briefly
    std::condition_variable done_;
    std::unique_ptr<LongSend> inFlight_;
};

}  // namespace tessaline
