#pragma once

namespace tessaline {

// The main window's two one-shot timers.
inline constexpr int TIMER_OPEN_PORTS = 111;  // 0 ms: open the ports once the window exists
inline constexpr int TIMER_TRANSFER = 222;    // time-out of a transfer run
inline constexpr int kOpenPortsDelayMs = 0;
inline constexpr int kTransferTimeoutMs = 4000;
inline constexpr int kTimeoutShownMs = 500;

}  // namespace tessaline
