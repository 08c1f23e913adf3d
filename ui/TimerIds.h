#pragma once

namespace tessaline {

// The main window's one-shot timers.
inline constexpr int TIMER_OPEN_PORTS = 111;  // 0 ms: open the ports once the window exists
inline constexpr int TIMER_TRANSFER = 222;    // time-out of a transfer run
// One quiet look at the device lists, started again after each look once the ports are open.
inline constexpr int TIMER_DEVICE_LOOK = 333;
inline constexpr int kDeviceLookMs = 1000;
// While a copy runs: a tick for its own clock (asking again, its time-outs).
inline constexpr int TIMER_SESSION_TICK = 444;
inline constexpr int kSessionTickMs = 100;
inline constexpr int kOpenPortsDelayMs = 0;
inline constexpr int kTransferTimeoutMs = 4000;
inline constexpr int kTimeoutShownMs = 500;

}  // namespace tessaline
