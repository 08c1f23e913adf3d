#pragma once

namespace tessaline {

// Dialog templates.
inline constexpr int IDD_MAIN_DIALOG = 102;
inline constexpr int IDD_PROGRESS_POPUP = 148;

// Strings and commands.
inline constexpr int IDS_ABOUTBOX = 101;  // "&About K7Q..."
inline constexpr int IDM_ABOUTBOX = 16;   // its command in the system menu
inline constexpr int IDM_UNDO_COPY = 32;  // "Undo Last Copy", beside it

// Images.
inline constexpr int IDI_MAIN_ICON = 130;
inline constexpr int IDB_BANNER = 132;
inline constexpr int IDB_EXECUTE_DOWN = 140;
inline constexpr int IDB_EXECUTE_UP = 141;

// Controls of the main window.
inline constexpr int IDC_STATUS_BAR = 1;
inline constexpr int IDC_EXECUTE = 1000;
inline constexpr int IDC_VOICE_LETTER = 1001;
inline constexpr int IDC_VOICE_BANK = 1002;
inline constexpr int IDC_VOICE_LINE = 1003;
inline constexpr int IDC_PERF_LETTER = 1004;
inline constexpr int IDC_PERF_BANK = 1005;
inline constexpr int IDC_PERF_LINE = 1006;
inline constexpr int IDC_WITH_SYS_FX = 1007;
inline constexpr int IDC_MIDI_SETUP = 1008;
inline constexpr int IDC_VOICE_NUM = 1011;
inline constexpr int IDC_PERF_NUM = 1012;
inline constexpr int IDC_WITH_INS_FX = 1013;
inline constexpr int IDC_PART = 1014;
inline constexpr int IDC_ABOUT = 1015;
inline constexpr int IDC_WITH_NAME = 1016;
inline constexpr int IDC_VOICE_BACK = 1024;
inline constexpr int IDC_VOICE_ON = 1025;
inline constexpr int IDC_PERF_BACK = 1026;
inline constexpr int IDC_PERF_ON = 1027;
inline constexpr int IDC_DEST_TYPE = 1029;

// Control of the progress popup.
inline constexpr int IDC_PROGRESS_TEXT = 1042;

}  // namespace tessaline
