#pragma once

#include <memory>

#include "platform/MidiService.h"
#include "platform/Profile.h"

namespace tessaline::cli {

// The MIDI devices the command line offers: the same list the window shows.
std::unique_ptr<MidiService> makeCliMidiService();

// The user's settings store, as the window reads it (application name "tessaline"); null when
// this build has none.
std::unique_ptr<Profile> makeUserProfile();

}  // namespace tessaline::cli
