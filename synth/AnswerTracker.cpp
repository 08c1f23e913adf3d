#include "synth/AnswerTracker.h"

#include <algorithm>

namespace tessaline {

unsigned AnswerTracker::ask(int tag) {
    if (open_.size() == kMaxOpen) {
        open_.pop_front();
        ++forgotten_;
    }
    open_.push_back({++nextSerial_, tag});
    last_ = {nextSerial_, tag, false};
    return nextSerial_;
}

AnswerTracker::Label AnswerTracker::answered() {
    if (forgotten_ > 0) {
        --forgotten_;
        return {};
    }
    if (open_.empty()) {
        return {};  // nobody asked: a dump sent from the instrument's panel
    }
    const Open taken = open_.front();
    const bool sameTag = std::all_of(open_.begin(), open_.end(),
                                     [&taken](const Open& o) { return o.tag == taken.tag; });
    open_.pop_front();
    return {taken.serial, taken.tag, sameTag};
}

AnswerTracker::Label AnswerTracker::lastAsked() const {
    return last_;
}

void AnswerTracker::reset() {
    // Serials keep counting, so that a request from before the reset is never mistaken for one
    // made after it.
    const unsigned next = nextSerial_;
    *this = AnswerTracker();
    nextSerial_ = next;
}

}  // namespace tessaline
