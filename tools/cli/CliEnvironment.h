#pragma once

#include <memory>

#include "platform/MidiDeadline.h"
#include "platform/MidiService.h"
#include "platform/Profile.h"

namespace tessaline::cli {

// The MIDI devices the command line offers: the same list the window shows. Opening waits no
// longer than the command may take (timeoutMs); a send waits as long as the MIDI system needs
// for it. With a deadline, nothing but a send waits past it, starting the MIDI systems and
// closing them included.
std::unique_ptr<MidiService> makeCliMidiService(int timeoutMs, const MidiDeadline* deadline);

// The user's settings store, as the window reads it (application name "tessaline"); null when
// this build has none. One source per store: UserProfile*.cpp.
std::unique_ptr<Profile> makeUserProfile();

}  // namespace tessaline::cli
