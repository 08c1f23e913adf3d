#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessaline {

// A short message as the service calls take it: status | data1 << 8 | data2 << 16.

// The number of bytes a short message with this status byte puts on the wire; 0 when it cannot
// go out as one (a data byte, the System Exclusive bytes F0 and F7, the undefined F4, F5, F9
// and FD).
std::size_t shortMessageLength(unsigned char status);

// The wire bytes of a packed short message, data bytes cut to 7 bits; empty when its status
// byte cannot go out as a short message.
std::vector<unsigned char> shortMessageBytes(std::uint32_t message);

}  // namespace tessaline
