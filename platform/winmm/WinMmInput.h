#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/InputDelivery.h"
#include "platform/MidiService.h"
#include "platform/SysExAssembler.h"
#include "platform/winmm/WinMmApi.h"

namespace tessaline {

inline constexpr std::size_t kInputBufferBytes = 2048;

// One open WinMM input. WinMM fills buffers of our own; its callback, on a driver thread where
// hardly any WinMM call is allowed, only notes which buffer came back and wakes our worker. The
// worker joins the bytes into System Exclusive messages for the port's delivery and queues the
// buffer again. The buffers are ours to free only once WinMM has handed every one back.
class WinMmInput {
  public:
    struct Limits {
        unsigned buffers = 4;
        std::size_t maxSysExLength = std::size_t{1} << 20;
        int closeTimeoutMs = 3000;
    };

    WinMmInput(WinMmApi& api, Clock& clock, Limits limits, MidiInHandle handle,
               MidiInCallback callback, std::uintptr_t instance);
    ~WinMmInput();
    WinMmInput(const WinMmInput&) = delete;
    WinMmInput& operator=(const WinMmInput&) = delete;

    // Opens the device and prepares our buffers.
    MidiResult open(UINT device);
    MidiResult start();
    MidiResult stop();
    MidiResult reset();
    // Takes our buffers back from WinMM, unprepares them and closes the device. Anything but Ok
    // means WinMM may still write into this object: it must then be left alive.
    MidiResult close();

    // The port's side: its buffers, filled with whole messages on a thread of their own.
    InputDelivery delivery;

  private:
    enum class Event : unsigned char {
        Data,       // a buffer came back with what it holds
        Broken,     // a buffer came back with a message WinMM found broken
        Interrupt,  // another message or an error came between: a message under way is broken
        Reset,      // ours: forget a message under way
    };
    struct Note {
        Event event;
        unsigned buffer;
    };
    enum class Place : unsigned char { Home, Queued, Returned };
    struct Buffer {
        MIDIHDR header{};
        std::array<char, kInputBufferBytes> bytes{};
        Place place = Place::Home;
    };

    static void CALLBACK onWinMm(HMIDIIN handle, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                 DWORD_PTR param2);
    void note(Event event, unsigned buffer);
    void run();
    void handle(Note note);
    void giveBack(unsigned buffer);
    // Tells WinMM to hand back every buffer and waits for them: StillPlaying when one stays out.
    MidiResult takeBuffersHome();
    void endWorker();

    WinMmApi& api_;
    Clock& clock_;
    const Limits limits_;
    HMIDIIN device_ = nullptr;
    std::vector<std::unique_ptr<Buffer>> buffers_;
    SysExAssembler assembler_;  // worker only

    // Taken before mutex_ where both are: decides whether a returned buffer goes back to WinMM,
    // and keeps a requeue from slipping past a reset.
    std::mutex queueMutex_;
    bool requeue_ = false;

    // The driver's callback takes only this one, briefly.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable home_;
    std::vector<Note> notes_;  // a ring of fixed size: every buffer has room, and notes besides
    std::size_t first_ = 0;
    std::size_t count_ = 0;
    bool lostNote_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace tessaline
