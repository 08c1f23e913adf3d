#pragma once

#include <memory>

#include "platform/MidiService.h"

namespace tessaline::screenshot {

// The virtual instruments, unpaced: the picture needs their answers, not their timing.
std::unique_ptr<MidiService> makeVirtualService();

}  // namespace tessaline::screenshot
