#include "platform/rtmidi/JackMonitor.h"

#include <jack/jack.h>

#include <utility>

#include "platform/rtmidi/JackMidiClient.h"

namespace tessaline {

JackMonitor::JackMonitor(std::string clientName) : clientName_(std::move(clientName)) {}

JackMonitor::~JackMonitor() {
    std::lock_guard guard(mutex_);
    // The JACK library crashes when a client of a server that is gone is closed; such a
    // client is left alone.
    if (client_ != nullptr && alive_.load()) {
        jack_client_close(client_);
    }
}

void JackMonitor::onShutdown(void* self) {
    static_cast<JackMonitor*>(self)->alive_.store(false);
}

bool JackMonitor::connect() {
    std::lock_guard guard(mutex_);
    if (alive_.load()) {
        return true;
    }
    // The old client's server is gone; closing it would crash the JACK library.
    client_ = nullptr;
    client_ = openJackClientQuietly(clientName_);
    if (client_ == nullptr) {
        return false;
    }
    // Never activated: a client in the graph would wait on every other one, a frozen one too,
    // and listing ports needs no cycles.
    jack_on_shutdown(client_, &JackMonitor::onShutdown, this);
    alive_.store(true);
    return true;
}

std::vector<std::string> JackMonitor::midiPorts(bool sources) {
    std::lock_guard guard(mutex_);
    if (!alive_.load() || client_ == nullptr) {
        return {};
    }
    return jackMidiPorts(client_, sources);
}

}  // namespace tessaline
