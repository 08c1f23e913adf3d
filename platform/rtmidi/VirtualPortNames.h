#pragma once

#include <cstddef>
#include <string>

namespace tessaline {

// The names a virtual port pair goes by. Each port's own name begins with its client's name:
// many programs list a port by its own name alone, and so does the Windows MIDI service that
// reaches these ports through Wine. "Motif ES7 (virtual)" has the ports
// "Motif ES7 (virtual) MIDI In" and "Motif ES7 (virtual) MIDI Out".
struct VirtualPortNames {
    std::string client;
    std::string input;
    std::string output;
};

// clientLimit and portLimit: the most bytes the MIDI system takes of a client's and of a port's
// own name. A longer client name is cut to fit; both ports then carry the same part of it.
VirtualPortNames virtualPortNames(const std::string& clientName, std::size_t clientLimit,
                                  std::size_t portLimit);

// At most maxBytes of `text`, cut between characters (UTF-8), never inside one, and without the
// blanks the cut leaves at its end.
std::string cutName(const std::string& text, std::size_t maxBytes);

}  // namespace tessaline
