#pragma once

#include "res/DialogTemplate.h"

namespace tessaline {

// The MIDI device setup dialog.
inline constexpr int IDD_MIDI_SETUP = 131;
inline constexpr int IDI_MIDI_SETUP = 132;  // its icon, drawn by MidiSetupIcon
inline constexpr int IDC_MIDI_IN_LIST = 1002;
inline constexpr int IDC_MIDI_OUT_LIST = 1003;
inline constexpr int IDC_SEND_SPEED_LIST = 1004;
inline constexpr int IDC_CHECK_EACH_COPY = 1005;
inline constexpr int IDC_BACK_UP_EACH_COPY = 1006;

const DialogTemplate& setupDialogTemplate();

}  // namespace tessaline
