#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "platform/MidiService.h"

namespace tessaline {

// The caller's end of an input that one service opens on another: each notification of the
// inner input reaches the caller's callback, with the caller's handle, after the observer (when
// there is one) has seen it. The relay must live until the inner input is closed; the inner
// close ends its deliveries.
class InputRelay {
  public:
    using Observer = std::function<void(unsigned message, std::uintptr_t param1)>;

    InputRelay(MidiInCallback callback, std::uintptr_t instance, Observer observer = {})
        : callback_(callback), instance_(instance), observer_(std::move(observer)) {}
    InputRelay(const InputRelay&) = delete;
    InputRelay& operator=(const InputRelay&) = delete;

    // Opens input `device` of `service` with this relay in between. The caller's callback is
    // given `outer`, or the inner service's own handle when that is None.
    MidiResult open(MidiService& service, int device, MidiInHandle outer = MidiInHandle::None) {
        service_ = &service;
        outer_ = outer;
        return service.inOpen(&inner_, device, &InputRelay::relay,
                              reinterpret_cast<std::uintptr_t>(this));
    }

    MidiService& service() const { return *service_; }
    MidiInHandle inner() const { return inner_; }

  private:
    static void relay(MidiInHandle inner, unsigned message, std::uintptr_t instance,
                      std::uintptr_t param1, std::uintptr_t param2) {
        const auto* self = reinterpret_cast<const InputRelay*>(instance);
        if (self->observer_) {
            self->observer_(message, param1);
        }
        self->callback_(self->outer_ != MidiInHandle::None ? self->outer_ : inner, message,
                        self->instance_, param1, param2);
    }

    MidiInCallback callback_;
    std::uintptr_t instance_;
    Observer observer_;
    MidiService* service_ = nullptr;
    MidiInHandle outer_ = MidiInHandle::None;
    MidiInHandle inner_ = MidiInHandle::None;
};

}  // namespace tessaline
