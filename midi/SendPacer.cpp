#include "midi/SendPacer.h"

namespace tessaline {

void SendPacer::beforeSend(std::size_t bytes) {
    if (speed_.kind == SendSpeedKind::Fast) {
        earliestUs_.reset();
        return;
    }
    if (earliestUs_) {
        const std::int64_t waitUs = *earliestUs_ - clock_.nowUs();
        if (waitUs > 0) {
            clock_.sleepUs(waitUs);
        }
    }
    if (speed_.kind != SendSpeedKind::Cable) {
        return;
    }
    // Counted from the real start, taken after the wait: a late wake-up moves the messages
    // behind it, instead of letting the backlog go out as one burst.
    earliestUs_ = clock_.nowUs() + static_cast<std::int64_t>(bytes) * kCableUsPerByte;
}

void SendPacer::afterSend() {
    if (speed_.kind == SendSpeedKind::FixedPause) {
        earliestUs_ = clock_.nowUs() + std::int64_t{speed_.pauseMs} * 1000;
    }
}

}  // namespace tessaline
