#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessaline {

// Result of a MIDI service call: 0 is success, every other value has a text of its own.
using MidiResult = unsigned;

namespace midiresult {
inline constexpr MidiResult Ok = 0;
inline constexpr MidiResult Error = 1;          // unspecified failure
inline constexpr MidiResult BadDeviceId = 2;    // device number not in the list
inline constexpr MidiResult NotEnabled = 3;     // driver failed to enable
inline constexpr MidiResult Allocated = 4;      // device already in use
inline constexpr MidiResult InvalidHandle = 5;  // port not open
inline constexpr MidiResult NoDriver = 6;       // no driver installed
inline constexpr MidiResult NoMemory = 7;
inline constexpr MidiResult InvalidFlag = 10;
inline constexpr MidiResult InvalidParam = 11;
inline constexpr MidiResult Unprepared = 64;     // header was not prepared
inline constexpr MidiResult StillPlaying = 65;   // buffer still in use
inline constexpr MidiResult NotReady = 67;       // hardware busy
inline constexpr MidiResult DeviceGone = 68;     // device disappeared while open
inline constexpr MidiResult ServerStopped = 69;  // the MIDI server (JACK) went away
// A received System Exclusive message overran its limit.
inline constexpr MidiResult MessageTooLong = 70;
inline constexpr MidiResult TimedOut = 71;  // the device did not finish a call in time
// A received System Exclusive message was broken off by another message before its end.
inline constexpr MidiResult MessageDamaged = 72;
}  // namespace midiresult

// Plain-words text for a result code; the same table serves input and output.
std::string midiResultText(MidiResult code, bool input);

// Input notifications delivered to the callback.
inline constexpr unsigned MIM_OPEN = 0x3C1;
inline constexpr unsigned MIM_CLOSE = 0x3C2;
inline constexpr unsigned MIM_DATA = 0x3C3;
inline constexpr unsigned MIM_LONGDATA = 0x3C4;
inline constexpr unsigned MIM_ERROR = 0x3C5;
inline constexpr unsigned MIM_LONGERROR = 0x3C6;
// MIM_ERROR carries in param1 the result code that says what went wrong with the input.

// Header flags.
inline constexpr unsigned MHDR_DONE = 0x1;
inline constexpr unsigned MHDR_PREPARED = 0x2;
inline constexpr unsigned MHDR_INQUEUE = 0x4;

// A long-message buffer as the service sees it, input or output.
struct MidiHeader {
    unsigned char* data = nullptr;
    unsigned bufferLength = 0;
    unsigned bytesRecorded = 0;
    std::uintptr_t user = 0;
    unsigned flags = 0;
    MidiHeader* next = nullptr;
    std::uintptr_t reserved = 0;
};

// Opaque port handles; None is the closed state.
enum class MidiInHandle : std::uintptr_t { None = 0 };
enum class MidiOutHandle : std::uintptr_t { None = 0 };

// Called on the service's delivery thread of one open input. For MIM_LONGDATA, param1 is the
// MidiHeader* of the returned buffer.
using MidiInCallback = void (*)(MidiInHandle handle, unsigned message, std::uintptr_t instance,
                                std::uintptr_t param1, std::uintptr_t param2);

// No service lists more; a count beyond it is taken as this many.
inline constexpr unsigned kMaxListedDevices = 1024;

// One device as a look at the lists sees it. Its life tells apart two devices of one name that
// follow each other: it changes when the service saw the device go and one of its name come
// back, however quickly. 0 where the service hears of no such events.
struct ListedDevice {
    std::string name;  // empty when it cannot be read
    std::uint64_t life = 0;
    bool operator==(const ListedDevice&) const = default;
};

// Both device lists, taken at one moment, in device-number order.
struct DeviceListing {
    std::vector<ListedDevice> inputs;
    std::vector<ListedDevice> outputs;
    bool operator==(const DeviceListing&) const = default;
};

// The MIDI service as the port uses it: one method for each call of the classic desktop MIDI
// API. Device numbers index the lists from 0. An input delivers each filled buffer through the
// callback with its recorded byte count; a long send has finished with the caller's buffer when
// it returns.
class MidiService {
  public:
    virtual ~MidiService() = default;

    virtual unsigned inGetNumDevs() = 0;
    virtual MidiResult inGetDevName(unsigned device, std::string& name) = 0;
    virtual MidiResult inOpen(MidiInHandle* handle, int device, MidiInCallback callback,
                              std::uintptr_t instance) = 0;
    virtual MidiResult inPrepareHeader(MidiInHandle handle, MidiHeader* header) = 0;
    virtual MidiResult inAddBuffer(MidiInHandle handle, MidiHeader* header) = 0;
    virtual MidiResult inStart(MidiInHandle handle) = 0;
    virtual MidiResult inStop(MidiInHandle handle) = 0;
    virtual MidiResult inReset(MidiInHandle handle) = 0;
    virtual MidiResult inUnprepareHeader(MidiInHandle handle, MidiHeader* header) = 0;
    virtual MidiResult inClose(MidiInHandle handle) = 0;
    virtual std::string inGetErrorText(MidiResult code) { return midiResultText(code, true); }

    virtual unsigned outGetNumDevs() = 0;
    virtual MidiResult outGetDevName(unsigned device, std::string& name) = 0;
    virtual MidiResult outOpen(MidiOutHandle* handle, int device) = 0;
    virtual MidiResult outShortMsg(MidiOutHandle handle, std::uint32_t message) = 0;
    virtual MidiResult outPrepareHeader(MidiOutHandle handle, MidiHeader* header) = 0;
    virtual MidiResult outLongMsg(MidiOutHandle handle, MidiHeader* header) = 0;
    virtual MidiResult outUnprepareHeader(MidiOutHandle handle, MidiHeader* header) = 0;
    virtual MidiResult outClose(MidiOutHandle handle) = 0;
    virtual std::string outGetErrorText(MidiResult code) { return midiResultText(code, false); }
    // True for an output that reaches an instrument inside this program: it takes messages as
    // fast as they come, so nothing need pace them for a cable.
    virtual bool outIsVirtual(unsigned /*device*/) { return false; }

    // Takes one look at both lists. Device numbers given to later calls count in this listing
    // (a service that lists afresh for every count may renumber sooner). The default asks the
    // counts and names one by one.
    virtual DeviceListing listDevices();
    // Called, on a thread of the service's own, whenever the MIDI system announces that devices
    // came or went; false when it announces nothing, and only a look now and then will tell.
    // The handler must not call back into the service; an empty one stops the calls.
    virtual bool setDeviceChangeHandler(std::function<void()> handler) {
        (void)handler;
        return false;
    }
};

}  // namespace tessaline
