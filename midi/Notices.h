#pragma once

namespace tessaline {

// Notices the device posts to the main window (wParam 0, lParam 0). The numbers are the
// historic window-message values, kept so that a port of the window layer can use them as is.
inline constexpr unsigned WM_USER_BASE = 0x400;
inline constexpr unsigned WM_SYNTH_IDENTIFIED = WM_USER_BASE + 200;      // 1224
inline constexpr unsigned WM_VOICE_RECEIVED = WM_USER_BASE + 201;        // 1225
inline constexpr unsigned WM_PERFORMANCE_RECEIVED = WM_USER_BASE + 202;  // 1226
inline constexpr unsigned WM_MIX_RECEIVED = WM_USER_BASE + 203;          // 1227
// A performance or song mix dump has reached its footer block: the whole answer is in.
inline constexpr unsigned WM_DESTINATION_DUMP_RECEIVED = WM_USER_BASE + 204;  // 1228
// A MIDI system announced that devices came or went: time for a look at the lists.
inline constexpr unsigned WM_DEVICES_CHANGED = WM_USER_BASE + 205;  // 1229
// A voice dump has arrived whole and answered its request.
inline constexpr unsigned WM_VOICE_DUMP_RECEIVED = WM_USER_BASE + 206;  // 1230
inline constexpr unsigned WM_PORTS_CLOSED = WM_USER_BASE + 299;         // 1323

}  // namespace tessaline
