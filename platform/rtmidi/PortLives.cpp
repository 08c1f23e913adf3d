#include "platform/rtmidi/PortLives.h"

#include <utility>

namespace tessaline {

void PortLives::departed(const std::string& name) {
    std::lock_guard guard(mutex_);
    const auto it = lives_.find(name);
    if (it != lives_.end()) {
        it->second.departed = true;
    }
}

void PortLives::leaving(const std::string& name) {
    std::lock_guard guard(mutex_);
    const auto it = lives_.find(name);
    if (it != lives_.end()) {
        it->second.leaving = true;
    }
}

void PortLives::registered(const std::string& name) {
    std::lock_guard guard(mutex_);
    const auto it = lives_.find(name);
    if (it != lives_.end() && it->second.leaving) {
        it->second.departed = true;
    }
}

std::vector<ListedDevice> PortLives::assignList(const std::vector<std::string>& names,
                                                std::map<std::string, Life>& listed) {
    std::vector<ListedDevice> devices;
    devices.reserve(names.size());
    for (const std::string& name : names) {
        auto now = listed.find(name);
        if (now == listed.end()) {
            const auto before = lives_.find(name);
            Life life = before != lives_.end() ? before->second : Life{};
            // A port seen for the first time, or one that went meanwhile, starts a new life.
            if (life.life == 0 || life.departed) {
                life = Life{next_++, false, false};
            }
            now = listed.emplace(name, life).first;
        }
        // On its way out: no longer offered, but remembered while the system still lists it,
        // so that it is not taken for a new one.
        if (now->second.leaving && !now->second.departed) {
            continue;
        }
        devices.push_back(ListedDevice{name, now->second.life});
    }
    return devices;
}

DeviceListing PortLives::assign(const std::vector<std::string>& inputs,
                                const std::vector<std::string>& outputs) {
    std::lock_guard guard(mutex_);
    // One port may be both readable and writable, so in both lists under one name and one life.
    std::map<std::string, Life> listed;
    DeviceListing listing;
    listing.inputs = assignList(inputs, listed);
    listing.outputs = assignList(outputs, listed);
    lives_ = std::move(listed);
    return listing;
}

std::uint64_t PortLives::lifeOf(const std::string& name) const {
    std::lock_guard guard(mutex_);
    const auto it = lives_.find(name);
    return it != lives_.end() ? it->second.life : 0;
}

bool PortLives::departedSince(const std::string& name, std::uint64_t life) const {
    std::lock_guard guard(mutex_);
    const auto it = lives_.find(name);
    if (it == lives_.end()) {
        return life != 0;  // listed once, and since then no more
    }
    return it->second.departed || (life != 0 && it->second.life != life);
}

}  // namespace tessaline
