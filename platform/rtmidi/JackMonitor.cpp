#include "platform/rtmidi/JackMonitor.h"

#include <jack/jack.h>

#include <utility>

namespace tessaline {

namespace {
void discardJackMessage(const char*) {}
}  // namespace

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
    // No server is the ordinary case on most machines: say nothing about it.
    jack_set_error_function(&discardJackMessage);
    jack_set_info_function(&discardJackMessage);
    client_ = jack_client_open(clientName_.c_str(), JackNoStartServer, nullptr);
    jack_set_error_function(nullptr);
    jack_set_info_function(nullptr);
    if (client_ == nullptr) {
        return false;
    }
    jack_on_shutdown(client_, &JackMonitor::onShutdown, this);
    if (jack_activate(client_) != 0) {
        jack_client_close(client_);
        client_ = nullptr;
        return false;
    }
    alive_.store(true);
    generation_.fetch_add(1);
    return true;
}

bool JackMonitor::portExists(const std::string& fullName) {
    std::lock_guard guard(mutex_);
    return alive_.load() && client_ != nullptr &&
           jack_port_by_name(client_, fullName.c_str()) != nullptr;
}

}  // namespace tessaline
