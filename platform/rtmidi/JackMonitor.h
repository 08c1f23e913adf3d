#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

struct _jack_client;

namespace tessaline {

// A port-less JACK client that watches the server and lists its MIDI ports. It connects again
// when asked after the server went away (it may have come back).
class JackMonitor {
  public:
    explicit JackMonitor(std::string clientName);
    ~JackMonitor();
    JackMonitor(const JackMonitor&) = delete;
    JackMonitor& operator=(const JackMonitor&) = delete;

    // Connects when not connected (the server may have come back). True when the server is up.
    bool connect();
    // Full names of the server's MIDI ports: sources (to read from) or destinations.
    std::vector<std::string> midiPorts(bool sources);

  private:
    static void onShutdown(void* self);

    std::string clientName_;
    std::mutex mutex_;
    _jack_client* client_ = nullptr;
    std::atomic<bool> alive_{false};
};

}  // namespace tessaline
