#pragma once

#include <cstddef>
#include <deque>

namespace tessaline {

// Matches the instrument's dumps to the requests that asked for them. An edit-buffer dump names
// no bank, program or requester, so answers are matched by order: the first dump to arrive
// answers the oldest request still open. An answer that was lost shifts every later answer onto
// an earlier request, never onto a later one; so an answer is only vouched for when every
// request still open, its own included, carries the same tag. Not thread-safe: the device keeps
// it under the port's lock.
class AnswerTracker {
  public:
    // Requests kept open at most; older ones are forgotten, and the answers that may still come
    // for them are vouched for by nobody.
    static constexpr std::size_t kMaxOpen = 64;

    struct Label {
        unsigned serial = 0;  // the request this answer is taken for; 0 when there was none
        int tag = 0;
        bool certain = false;  // the answer carries the data `tag` asked for
    };

    // Notes a request before it goes out (its answer can arrive before the send returns).
    unsigned ask(int tag);
    // Takes the next answer.
    Label answered();
    // The newest request, or a label with serial 0 when there has been none.
    Label lastAsked() const;
    void reset();

  private:
    struct Open {
        unsigned serial;
        int tag;
    };
    std::deque<Open> open_;
    std::size_t forgotten_ = 0;  // answers still owed to requests no longer kept
    unsigned nextSerial_ = 0;
    Label last_;
};

}  // namespace tessaline
