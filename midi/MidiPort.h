#pragma once

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "midi/DeliverySettings.h"
#include "midi/DeviceWatch.h"
#include "midi/Notices.h"
#include "midi/SendPacer.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/MidiService.h"
#include "platform/NoticePoster.h"
#include "platform/Profile.h"

namespace tessaline {

struct BankEntry {
    int number = 0;  // 14-bit bank select: MSB * 128 + LSB
    std::string name;
};

// The services a port works with; all outlive the port.
struct PortServices {
    MidiService& midi;
    Profile& profile;
    MessageBoxes& boxes;
    NoticePoster& poster;
    Clock& clock;
};

class MidiPort;

// Seam for the device setup dialog: shows it modally for the port; true on OK with the chosen
// device numbers (-1 where nothing was chosen), false on Cancel.
class SetupDialogRunner {
  public:
    virtual ~SetupDialogRunner() = default;
    virtual bool run(MidiPort& port, int& inDevice, int& outDevice) = 0;
};

inline constexpr int kInputBufferSize = 2048;
inline constexpr int kMessageBufferSize = 256;
inline const char* const kMidiInErrorCaption = "MIDI In Error";
inline const char* const kMidiOutErrorCaption = "MIDI Out Error";
// Beside each stored device number, under its key and this, the stable name of that device (see
// stableDeviceName): the device is found by it when devices come and go and the numbers change;
// the number counts only where no name is stored.
inline const char* const kDeviceNameSuffix = " Name";
// Beside the name, how many devices of that name come before it: two identical interfaces are
// told apart by their order.
inline const char* const kDeviceOrderSuffix = " Name Order";

// One MIDI output and one MIDI input, opened by the device numbers kept in the profile. Sends
// short and System Exclusive messages (built from text templates), receives System Exclusive
// through a single input buffer on the service's callback thread, and tells the main window
// about changes of state by posting notices.
//
// Threads: everything runs on the user-interface thread except midiInProc and what it calls
// (onLongMessage, parseIdentityReply, setConnected, requeueInput), which run on the callback
// thread. midiInProc takes the port's lock once for the whole delivery, so what it calls runs
// under the lock and takes it no more (the lock does not nest). User-interface code takes the
// same lock briefly to read what the callback writes; nobody holds it while waiting for anything.
class MidiPort {
  public:
    explicit MidiPort(const PortServices& services);
    MidiPort(const MidiPort&) = delete;
    MidiPort& operator=(const MidiPort&) = delete;
    // Derived classes must call close() in their own destructor, so that no delivery reaches
    // a half-destroyed object.
    virtual ~MidiPort();

    // Both are called with the port's lock held.
    virtual void onLongMessage(const unsigned char* data, int length);
    virtual int parseIdentityReply(const unsigned char* data, int length) = 0;

    int open(int identify);
    void close();
    int applySetup(int in, int out);
    // The same, with the numbers counting in `listed`, a look just taken.
    int applySetup(int in, int out, const DeviceNames& listed);
    void runSetupDialog();
    void setSetupDialogRunner(SetupDialogRunner* runner) { setupRunner_ = runner; }

    int startInput();
    int requeueInput();
    int reportError(int input);

    // Every send waits its turn at the send speed (see SendPacer).
    int sendLong(const unsigned char* data, int length);
    void sendControlChange(int controller, int value, int channel);
    void sendProgramChange(int program, int channel);
    void selectProgram(int program, int bank);

    // The speed messages go out at: the one stored for the model, read when the ports open
    // and again once an instrument names another model; without one, cable for a real output
    // and fast for a built-in virtual instrument. Sending thread only.
    SendSpeed sendSpeed();
    // Sends at this speed from now on, whatever is stored (the command line's choice).
    void setSendSpeed(const SendSpeed& speed);

    static int isUniversalNonRealtime(const unsigned char* data);
    void postToMainWindow(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                          WindowTarget target = nullptr);

    int isConnected() const { return connected.load(); }
    void setConnected() { connected.store(1); }
    std::string deviceName() const;
    int bankCount() const;
    std::optional<BankEntry> bankAt(int index) const;
    std::vector<BankEntry> bankList() const;

    // Holds the port's lock while it lives: for code that reads several things the callback
    // thread writes as one, or that hands a message to onLongMessage as the callback would.
    class ScopedLock {
      public:
        explicit ScopedLock(const MidiPort& port) : guard_(port.inputLock) {}
        ScopedLock(const ScopedLock&) = delete;
        ScopedLock& operator=(const ScopedLock&) = delete;

      private:
        std::lock_guard<std::mutex> guard_;
    };

    // Text form of messages and the template language. The senders return what sendLong does:
    // 0 when the message went out, 1 after an error box.
    template <typename... Args>
    int sendTemplate(const std::string& templateText, Args... args) {
        return sendTemplateArgs(templateText, {static_cast<int>(args)...});
    }
    int sendTemplateArgs(const std::string& templateText, std::initializer_list<int> args);
    int sendSysEx(const std::string& body);
    int sendHexText(const std::string& text);
    // System Exclusive messages built here that could not be sent, since the port was made; a
    // caller compares two readings to learn whether its own sends all went out.
    int failedSendCount() const { return failedSends_.load(); }
    void sendIdentityRequest();
    static std::string formatHexPairs(unsigned value, int count);
    static int isBulkChecksumValid(const unsigned char* data, int length);
    // The value of one hex digit, either case, or -1.
    static int hexDigit(char c);

    // Pure parts of the above, shared with tools that only want the bytes.
    static std::string expandTemplate(const std::string& templateText,
                                      const std::string& modelIdText, std::span<const int> args);
    static int hexTextToBytes(const std::string& text, unsigned char (&buffer)[kMessageBufferSize]);
    // True when the text holds more than `count` space-separated tokens.
    static bool hasTokenBeyond(const std::string& text, int count);

    // Accessors for the setup dialog, the window and tests.
    int inputDevice() const { return inDevice; }
    int outputDevice() const { return outDevice; }
    std::string modelIdText() const;
    int identifyRequested() const { return identifyOnOpen; }
    MidiResult lastResultCode() const { return lastResult.load(); }
    MidiService& midiService() { return services_.midi; }
    Profile& profile() { return services_.profile; }
    MessageBoxes& messageBoxes() { return services_.boxes; }
    Clock& clock() { return services_.clock; }
    bool inputOpen() const { return midiIn != MidiInHandle::None; }
    bool outputOpen() const { return midiOut != MidiOutHandle::None; }
    // The names of the devices the ports are open on; empty for a closed side, or a device
    // whose name could not be read.
    const std::string& inputName() const { return inName_; }
    const std::string& outputName() const { return outName_; }

    // True on a thread that is running midiInProc.
    static bool onCallbackThread();

    static void midiInProc(MidiInHandle handle, unsigned message, std::uintptr_t instance,
                           std::uintptr_t param1, std::uintptr_t param2);

  protected:
    // Sets lastResult to the result and reports it; returns 1 when an error was shown.
    int check(MidiResult result, int input);

    // Fields, in the order the port has always declared them.
    int identifyOnOpen = 0;
    MidiInHandle midiIn = MidiInHandle::None;
    MidiOutHandle midiOut = MidiOutHandle::None;
    int inDevice = -1;
    int outDevice = -1;
    int manufacturerId = 0;
    std::string modelId;
    std::string displayName = "MIDI Device";
    std::vector<BankEntry> banks;
    mutable std::mutex inputLock;
    std::atomic<MidiResult> lastResult{0};
    MidiHeader inHeader;
    unsigned char inBuffer[kInputBufferSize] = {};
    std::atomic<int> connected{0};

  private:
    std::atomic<int> failedSends_{0};
    // The stored speed for `modelName`, or the default of the output now chosen.
    void loadSendSpeed(const std::string& modelName);
    void waitTurn(std::size_t bytes);
    static std::string nameAt(const std::vector<std::string>& names, int device);
    // Stores under `key` the number of `device` and, beside it, who that device is.
    void storeDevice(const std::string& key, const std::vector<std::string>& names, int device);
    // When a name is stored beside the number under `key`, the device of that name (and order)
    // wherever it is listed now.
    void followStoredName(const std::string& key, const std::vector<std::string>& names,
                          int& device);

    PortServices services_;
    SetupDialogRunner* setupRunner_ = nullptr;
    SendPacer pacer_;
    std::string speedModel_;  // the model name the speed was read for
    bool speedChosen_ = false;
    std::string inName_;  // user-interface thread only, like open and close
    std::string outName_;
};

}  // namespace tessaline
