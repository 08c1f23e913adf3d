#include "platform/rtmidi/JackMonitor.h"

#include <jack/jack.h>

#include <utility>

#include "platform/rtmidi/JackMidiClient.h"

namespace tessaline {

JackMonitor::JackMonitor(std::string clientName) : clientName_(std::move(clientName)) {}

JackMonitor::~JackMonitor() {
    setChangeHandler({});
    std::lock_guard guard(mutex_);
    letGoOfClient();
}

void JackMonitor::letGoOfClient() {
    if (_jack_client* client = client_.exchange(nullptr)) {
        jack_client_close(client);
    }
}

void JackMonitor::onShutdown(void* self) {
    auto* monitor = static_cast<JackMonitor*>(self);
    monitor->alive_.store(false);
    monitor->notify();  // every port of the server went with it
}

// JACK's notification thread. A port that is being unregistered is still named, and may still
// be listed for a cycle or so: it is back only once a port of its name registers again.
void JackMonitor::onPortRegistration(unsigned port, int registered, void* self) {
    auto* monitor = static_cast<JackMonitor*>(self);
    if (jack_port_t* changed = jack_port_by_id(monitor->client_.load(), port)) {
        const char* name = jack_port_name(changed);
        if (registered == 0) {
            monitor->lives_.leaving(name);
        } else {
            monitor->lives_.registered(name);
        }
    }
    monitor->notify();
}

void JackMonitor::notify() {
    std::lock_guard guard(handlerMutex_);
    if (changed_) {
        changed_();
    }
}

void JackMonitor::setChangeHandler(std::function<void()> changed) {
    std::lock_guard guard(handlerMutex_);
    changed_ = std::move(changed);
}

bool JackMonitor::connect() {
    std::lock_guard guard(mutex_);
    if (alive_.load()) {
        return true;
    }
    letGoOfClient();
    _jack_client* client = openJackClientQuietly(clientName_);
    if (client == nullptr) {
        return false;
    }
    // Active, so that the server tells it of ports, but with no process callback: it takes no
    // part in the graph's cycles and so never waits on another client, a frozen one neither.
    client_.store(client);
    jack_on_shutdown(client, &JackMonitor::onShutdown, this);
    if (jack_set_port_registration_callback(client, &JackMonitor::onPortRegistration, this) != 0 ||
        jack_activate(client) != 0) {
        letGoOfClient();
        return false;
    }
    alive_.store(true);
    return true;
}

DeviceListing JackMonitor::listPorts(const std::function<bool(const std::string&)>& own) {
    std::vector<std::string> sources;
    std::vector<std::string> destinations;
    {
        std::lock_guard guard(mutex_);
        _jack_client* client = client_.load();
        if (!alive_.load() || client == nullptr) {
            return lives_.assign({}, {});
        }
        for (std::string& port : jackMidiPorts(client, true)) {
            if (!own(port)) {
                sources.push_back(std::move(port));
            }
        }
        for (std::string& port : jackMidiPorts(client, false)) {
            if (!own(port)) {
                destinations.push_back(std::move(port));
            }
        }
    }
    return lives_.assign(sources, destinations);
}

}  // namespace tessaline
