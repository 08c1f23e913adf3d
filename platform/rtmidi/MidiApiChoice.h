#pragma once

#include <string>
#include <vector>

namespace tessaline {

// The environment variable that restricts the MIDI systems the program uses, e.g. for tests:
// a list of API names ("alsa", "jack", "core", "winmm") separated by commas or spaces, or
// "none" for no real devices at all. Unset or empty: every system compiled in.
inline constexpr const char* kMidiApiVariable = "TESSALINE_MIDI_API";

// The APIs of `compiled` (in that order) that `setting` allows; setting may be null.
std::vector<std::string> chooseMidiApis(const char* setting,
                                        const std::vector<std::string>& compiled);

// What is wrong with the setting: "" when every name in it is one of `compiled` or "none",
// otherwise a sentence that names the unknown ones and the known ones.
std::string midiApiSettingProblem(const char* setting, const std::vector<std::string>& compiled);

}  // namespace tessaline
