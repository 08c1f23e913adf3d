#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MidiService.h"
#include "platform/rtmidi/PortLives.h"

struct _jack_client;

namespace tessaline {

// A port-less JACK client that watches the server and lists its MIDI ports. It hears of ports
// as the server registers and unregisters them, so that a port that goes and comes back under
// its name within a moment is a new device at the next look. It connects again when asked
// after the server went away (it may have come back), and lets the old client go.
class JackMonitor {
  public:
    explicit JackMonitor(std::string clientName);
    ~JackMonitor();
    JackMonitor(const JackMonitor&) = delete;
    JackMonitor& operator=(const JackMonitor&) = delete;

    // Connects when not connected (the server may have come back). True when the server is up.
    bool connect();
    bool connected() const { return alive_.load(); }
    // Both lists of the server's MIDI ports, full names with their lives, leaving out those for
    // which `own` is true: sources (to read from) as inputs, destinations as outputs.
    DeviceListing listPorts(const std::function<bool(const std::string&)>& own);
    // Called on JACK's notification thread when ports come or go or the server stops; empty
    // stops the calls.
    void setChangeHandler(std::function<void()> changed);

  private:
    static void onShutdown(void* self);
    static void onPortRegistration(unsigned port, int registered, void* self);
    void notify();
    // The old client's server is gone: closing the client frees what the library holds for it.
    void letGoOfClient();

    std::string clientName_;
    std::mutex mutex_;
    // Read on JACK's notification thread, which the client's own close ends.
    std::atomic<_jack_client*> client_{nullptr};
    std::atomic<bool> alive_{false};
    PortLives lives_;
    std::mutex handlerMutex_;
    std::function<void()> changed_;
};

}  // namespace tessaline
