#pragma once

#include <memory>

#include "platform/MidiService.h"

namespace tessaline {

// The MIDI service the program's device opens its ports on.
std::unique_ptr<MidiService> makeProgramMidiService();

}  // namespace tessaline
