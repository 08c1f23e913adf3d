#pragma once

#include <atomic>
#include <memory>

#include "platform/MidiService.h"
#include "platform/Profile.h"

namespace tessaline::cli {

// The MIDI devices the command line offers: the same list the window shows. Opening and sending
// wait no longer than the command may take (timeoutMs); a close waits no longer than
// closeBudgetMs says when it happens.
std::unique_ptr<MidiService> makeCliMidiService(int timeoutMs,
                                                const std::atomic<int>& closeBudgetMs);

// The user's settings store, as the window reads it (application name "tessaline"); null when
// this build has none.
std::unique_ptr<Profile> makeUserProfile();

}  // namespace tessaline::cli
