#pragma once

#include <atomic>
#include <mutex>
#include <string>

struct _jack_client;

namespace tessaline {

// A port-less JACK client that watches the server, so that a send never goes into a library
// buffer that nobody empties any more: RtMidi's JACK output waits without end for room in its
// buffer once the server is gone. It also tells whether a port still exists.
class JackMonitor {
  public:
    explicit JackMonitor(std::string clientName);
    ~JackMonitor();
    JackMonitor(const JackMonitor&) = delete;
    JackMonitor& operator=(const JackMonitor&) = delete;

    // Connects when not connected (the server may have come back). True when the server is up.
    bool connect();
    bool alive() const { return alive_.load(); }
    // Counts the connections made; a new value means a new server.
    unsigned generation() const { return generation_.load(); }
    bool portExists(const std::string& fullName);

  private:
    static void onShutdown(void* self);

    std::string clientName_;
    std::mutex mutex_;
    _jack_client* client_ = nullptr;
    std::atomic<bool> alive_{false};
    std::atomic<unsigned> generation_{0};
};

}  // namespace tessaline
