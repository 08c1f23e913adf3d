#include "tools/screenshot/VirtualService.h"

#include "sim/VirtualMidiService.h"

namespace tessaline::screenshot {

std::unique_ptr<MidiService> makeVirtualService() {
    return std::make_unique<VirtualMidiService>(false);
}

}  // namespace tessaline::screenshot
