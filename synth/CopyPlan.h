#pragma once

#include <map>
#include <vector>

namespace tessaline {

// One parameter change as it goes out: the address of its first byte and its 1 to 4 data
// bytes, which land at consecutive addresses.
struct PlannedMessage {
    int address = 0;
    std::vector<unsigned char> data;
    bool operator==(const PlannedMessage&) const = default;
};

// A copy before anything is sent: every parameter change, in the order it goes out.
using CopyPlan = std::vector<PlannedMessage>;

// address -> the last byte a plan writes there.
using WrittenValues = std::map<int, unsigned char>;

// What a copy did: how many of its messages went out, and what it wrote.
struct CopyReport {
    int sent = 0;
    int planned = 0;
    WrittenValues written;
    bool allSent() const { return sent == planned; }
};

// The builders the copy scripts and the single-message senders share, so that a parameter
// change has one byte layout wherever it comes from.
// One data byte (the value's low 8 bits, as the message template has always taken it), or two:
// the value's high and low 7 bits.
void planParameter(CopyPlan& plan, int address, int value, int width);
void planParameter4(CopyPlan& plan, int address, unsigned char b1, unsigned char b2,
                    unsigned char b3, unsigned char b4);
// A 24- or 25-byte effect block: 11 pairs, then the rest one byte at a time.
void planEffectBlock(CopyPlan& plan, int address, const unsigned char* bytes, int size);

WrittenValues writtenValues(const CopyPlan& plan);

}  // namespace tessaline
