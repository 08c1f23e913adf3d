#pragma once

#include <string>

namespace tessaline {

// "" when the environment's choice of MIDI systems (TESSALINE_MIDI_API) names only systems
// this build knows; otherwise a sentence that says what is wrong with it.
std::string programMidiApiProblem();

}  // namespace tessaline
