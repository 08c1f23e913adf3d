#pragma once

#include <cstdint>
#include <span>

#include "synth/ByteBlock.h"
#include "synth/CopyPlan.h"

namespace tessaline {

// A copy script is a table of steps; one interpreter walks it and turns each step into
// parameter changes. The tables for the two data layouts live in CopyScripts.cpp.
namespace copyscript {

// Where a step's address starts. The common area and the parts move with the destination:
// 30 00 00 and 31 pp 00 for a performance, 36 00 00 and 37 pp 00 for a song mix.
enum class Base : std::uint8_t {
    Part,        // P: the destination part
    Common,      // K: the common area; K+0x100 and K+0x200 are the effect blocks
    EachPart,    // every part of a performance, 0 to 3, one write each
    OtherParts,  // every part of a performance but the destination, one write each
};

// Where a step's value comes from.
enum class Source : std::uint8_t {
    Constant,       // arg itself
    C,              // byte arg of the voice block 40 70 00
    D,              // byte arg of the voice block 40 00 00
    F1,             // byte arg of the first system-effect block
    F2,             // byte arg of the second system-effect block
    BankMsb,        // bank-select MSB of the source bank
    BankLsb,        // bank-select LSB of the source bank
    Program,        // source program
    PartIndex,      // destination part index
    IsDestination,  // 1 for the destination part of an EachPart loop, 0 for the others
    FixedTable,     // byte arg of the fixed block table
    Bit1FromC,      // 0x7D with bit 1 carrying bit 0 of C[arg]
    PartMask,       // 1 << destination part index
};

// How a step goes out.
enum class Send : std::uint8_t {
    One,      // one data byte
    Pair,     // two data bytes: X[n] then X[n+1], or the constant's high and low 7 bits
    Four,     // four data bytes in one message: the value in 7-bit groups, high first
    Block24,  // a 24-byte effect block: 11 pairs then 2 single bytes
    Block25,  // a 25-byte effect block: 11 pairs then 3 single bytes
};

// When a step is sent at all.
enum class When : std::uint8_t {
    Always,
    Performance,
    PerformanceWithName,
    WithInsFx,
    WithSysFx,
};

struct Value {
    Source source = Source::Constant;
    int arg = 0;
};

// One row: count writes at consecutive addresses from base + offset. Each write moves the
// address, and the index of a block or table source, by the width of the write (1 or 2);
// a constant is repeated.
struct Step {
    Base base = Base::Part;
    int offset = 0;
    Value value;
    Send send = Send::One;
    int count = 1;
    When when = When::Always;
};

// Everything one copy reads. The voice is a stable copy for the length of the run.
struct CopyInputs {
    const VoiceRecord* voice = nullptr;
    int mode = 1;        // 1 PERFORMANCE, anything else SONG MIX
    int bankNumber = 0;  // 14-bit bank select of the source bank
    unsigned char program = 0;
    unsigned char part = 0;
    bool withSysFx = false;
    bool withInsFx = false;
    bool withName = false;
};

inline constexpr int kPerformanceParts = 4;

// A script with the table that its FixedTable steps read.
struct Script {
    std::span<const Step> steps;
    std::span<const unsigned char> fixedBlock;
};

// The script for the S90, Motif and Motif Rack layout, and the one for the Motif ES layout.
const Script& motifScript();
const Script& motifEsScript();

// The parameter changes of every step whose condition holds, in table order. Bytes outside a
// block read as 0, so a record of another layout cannot be over-read.
CopyPlan plan(const Script& script, const CopyInputs& inputs);

}  // namespace copyscript

}  // namespace tessaline
