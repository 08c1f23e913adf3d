#pragma once

#include <cstdint>
#include <string>

namespace tessaline::tools {

// The command line of tessaline-virtual-instrument.
struct InstrumentOptions {
    std::string model = "Motif ES7";
    std::string api;
    std::string clientName;
    bool pace = true;  // like the hardware it stands in for
    std::uint64_t seed = 1;
};

// Reads argv[1] onwards into `options`; false for an unknown option, a missing or bad value, or
// no --api alsa|jack.
bool parseInstrumentOptions(int argc, char** argv, InstrumentOptions& options);

}  // namespace tessaline::tools
