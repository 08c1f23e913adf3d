#pragma once

#include <cstddef>
#include <vector>

namespace tessaline {

// One message the instrument is about to send.
struct OutgoingMessage {
    std::vector<unsigned char> bytes;
    bool dataBlock = false;  // a bulk block that carries data (not a dump's header or footer)
};

// The faults a test can arm on the instrument's replies. Block faults act on data blocks only,
// so that "corrupt the next block" hits the voice common block of a voice dump rather than its
// empty header.
class ReplyFaults {
  public:
    // Sends nothing at all while set; the instrument still takes what it receives.
    void setSilent(bool silent) { silent_ = silent; }
    bool silent() const { return silent_; }
    // The next `count` data blocks go out with a wrong checksum.
    void corruptNextBlocks(int count) { corrupt_ = count > 0 ? count : 0; }
    // The next `count` data blocks go out cut to half their data (see truncateBlock).
    void truncateNextBlocks(int count) { truncate_ = count > 0 ? count : 0; }
    // `bytes` go out once, ahead of the next batch of replies.
    void sendGarbageBeforeNextReplies(std::vector<unsigned char> bytes);
    // Every batch of replies waits this long before its first message.
    void setDelayMs(int ms) { delayMs_ = ms > 0 ? ms : 0; }
    int delayMs() const { return delayMs_; }
    void clear();

    int pendingCorruptions() const { return corrupt_; }
    int pendingTruncations() const { return truncate_; }
    bool garbagePending() const { return garbagePending_; }

    // Applies what is armed to one batch of replies and returns what really goes out.
    std::vector<std::vector<unsigned char>> apply(std::vector<OutgoingMessage> replies,
                                                  std::size_t modelIdLength);

  private:
    bool silent_ = false;
    int corrupt_ = 0;
    int truncate_ = 0;
    int delayMs_ = 0;
    bool garbagePending_ = false;
    std::vector<unsigned char> garbage_;
};

}  // namespace tessaline
