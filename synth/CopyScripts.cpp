#include "synth/CopyScript.h"

namespace tessaline::copyscript {

namespace {

// Short names so that each row reads as: address, value, width, count, condition.
constexpr Base P = Base::Part;
constexpr Base K = Base::Common;
constexpr Base EachPart = Base::EachPart;
constexpr Base OtherParts = Base::OtherParts;

constexpr Send W1 = Send::One;
constexpr Send W2 = Send::Pair;
constexpr Send W4 = Send::Four;

constexpr When Perf = When::Performance;
constexpr When PerfName = When::PerformanceWithName;
constexpr When InsFx = When::WithInsFx;
constexpr When SysFx = When::WithSysFx;
constexpr When Always = When::Always;

constexpr Value k(int value) {
    return {Source::Constant, value};
}
constexpr Value C(int index) {
    return {Source::C, index};
}
constexpr Value D(int index) {
    return {Source::D, index};
}
constexpr Value F1(int index) {
    return {Source::F1, index};
}
constexpr Value F2(int index) {
    return {Source::F2, index};
}
constexpr Value fixed(int index) {
    return {Source::FixedTable, index};
}
constexpr Value bankMsb{Source::BankMsb, 0};
constexpr Value bankLsb{Source::BankLsb, 0};
constexpr Value program{Source::Program, 0};
constexpr Value partIndex{Source::PartIndex, 0};
constexpr Value isDestination{Source::IsDestination, 0};
constexpr Value partMask{Source::PartMask, 0};
// 0x7D with bit 1 taken from bit 0 of C[0x16]. Doubling the byte and OR-ing 0x7D would need an
// eighth bit once C[0x16] reaches 0x40, and a data byte inside System Exclusive has only seven.
constexpr Value layerFlags = {Source::Bit1FromC, 0x16};

// The 20 values at K+0x1000..K+0x1013; the layouts differ in the eighth value only.
constexpr unsigned char kMotifFixed[20] = {
    0x40, 0x0C, 0x07, 0x00,  //
    0x40, 0x14, 0x07, 0x01,  //
    0x40, 0x1C, 0x07, 0x00,  //
    0x40, 0x2C, 0x07, 0x00,  //
    0x40, 0x34, 0x07, 0x00,
};
constexpr unsigned char kMotifEsFixed[20] = {
    0x40, 0x0C, 0x07, 0x00,  //
    0x40, 0x14, 0x07, 0x00,  //
    0x40, 0x1C, 0x07, 0x00,  //
    0x40, 0x2C, 0x07, 0x00,  //
    0x40, 0x34, 0x07, 0x00,
};

// S90, Motif 6/7/8 and Motif Rack.
constexpr Step kMotifSteps[] = {
    // step   address          value             width count condition
    /*  1 */ {P, 0x00, bankMsb, W1},
    /*  2 */ {P, 0x01, bankLsb, W1},
    /*  3 */ {P, 0x02, program, W1},
    /*  4 */ {P, 0x04, D(0x03), W1},
    /*  5 */ {P, 0x05, k(0x01), W1},
    /*  6 */ {P, 0x06, k(0x7F), W1},
    /*  7 */ {P, 0x07, k(0x00), W1},
    /*  8 */ {P, 0x08, k(0x7F), W1},
    /*  9 */ {P, 0x09, D(0x05), W1},
    /* 10 */ {P, 0x0A, D(0x06), W1},
    /* 11 */ {P, 0x0B, k(0x40), W1},
    /* 12 */ {P, 0x0C, k(0x40), W1},
    /* 13 */ {P, 0x0D, k(0x7F), W1},
    /* 14 */ {P, 0x0E, C(0x25), W1},
    /* 15 */ {P, 0x10, k(0x400), W2},
    /* 16 */ {P, 0x12, D(0x0B), W1},
    /* 17 */ {P, 0x13, D(0x0C), W1},
    /* 18 */ {P, 0x14, k(0x00), W1},
    /* 19 */ {P, 0x15, k(0x7F), W1},
    /* 20 */ {P, 0x16, k(0x40), W1},
    /* 21 */ {P, 0x17, C(0x37), W1},
    /* 22 */ {P, 0x18, C(0x38), W1},
    /* 23 */ {P, 0x23, C(0x39), W1},
    /* 24 */ {P, 0x26, C(0x3A), W1},
    /* 25 */ {P, 0x1A, D(0x08), W1},
    /* 26 */ {P, 0x1B, D(0x09), W1},
    /* 27 */ {P, 0x1C, D(0x07), W1},
    /* 28 */ {EachPart, 0x1F, isDestination, W1, 1, Perf},
    /* 29 */ {K, 0x00, C(0x00), W1, 10, PerfName},
    /* 30 */ {K, 0x0C, C(0x0C), W1, 1, PerfName},
    /* 31 */ {K, 0x0D, C(0x0D), W1, 1, PerfName},
    /* 32 */ {K, 0x13, C(0x13), W1, 11},
    /* 33 */ {K, 0x1E, C(0x1E), W2, 3},
    /* 34 */ {K, 0x24, C(0x24), W1},
    /* 35 */ {K, 0x25, k(0x40), W1},
    /* 36 */ {K, 0x26, C(0x26), W1, 15},
    /* 37 */ {K, 0x35, k(0x40), W1, 6},
    /* 38 */ {K, 0x42, k(0x7F), W1},
    /* 39 */ {K, 0x45, k(0x7F), W1},
    /* 40 */ {K, 0x46, k(0x7F), W1},
    /* 41 */ {K, 0x4D, partIndex, W1, 1, InsFx},
    /* 42 */ {K, 0x100, F1(0), Send::Block24, 1, SysFx},
    /* 43 */ {K, 0x200, F2(0), Send::Block25, 1, SysFx},
    /* 44 */ {K, 0x1000, fixed(0), W1, 20, Always},
};

// Motif ES6/7/8.
constexpr Step kMotifEsSteps[] = {
    // step   address          value             width count condition
    /*  1 */ {P, 0x00, bankMsb, W1},
    /*  2 */ {P, 0x01, bankLsb, W1},
    /*  3 */ {P, 0x02, program, W1},
    /*  4 */ {P, 0x04, D(0x03), W1},
    /*  5 */ {P, 0x05, k(0x01), W1},
    /*  6 */ {P, 0x06, k(0x7F), W1},
    /*  7 */ {P, 0x07, k(0x00), W1},
    /*  8 */ {P, 0x08, k(0x7F), W1},
    /*  9 */ {P, 0x09, D(0x05), W1},
    /* 10 */ {P, 0x0A, D(0x06), W1},
    /* 11 */ {P, 0x0B, k(0x40), W1},
    /* 12 */ {P, 0x0C, k(0x40), W1},
    /* 13 */ {P, 0x0D, k(0x7F), W1},
    /* 14 */ {OtherParts, 0x0D, k(0x00), W1, 1, Perf},
    /* 15 */ {P, 0x0E, C(0x35), W1},
    /* 16 */ {P, 0x10, k(0x400), W2},
    /* 17 */ {P, 0x12, D(0x0B), W1},
    /* 18 */ {P, 0x13, D(0x0C), W1},
    /* 19 */ {P, 0x15, k(0x7F), W1},
    /* 20 */ {P, 0x16, k(0x40), W1},
    /* 21 */ {P, 0x17, C(0x47), W1},
    /* 22 */ {P, 0x18, C(0x48), W1},
    /* 23 */ {P, 0x1A, D(0x08), W1},
    /* 24 */ {P, 0x1B, D(0x09), W1},
    /* 25 */ {P, 0x1C, D(0x07), W1},
    /* 26 */ {P, 0x1E, k(0x00), W1},
    /* 27 */ {P, 0x1F, layerFlags, W1},
    /* 28 */ {P, 0x20, k(0x7F), W1},
    /* 29 */ {P, 0x21, k(0x7F), W1},
    /* 30 */ {P, 0x22, C(0x38), W1},
    /* 31 */ {P, 0x23, C(0x49), W1},
    /* 32 */ {P, 0x24, k(0x00), W1},
    /* 33 */ {P, 0x25, C(0x37), W1},
    /* 34 */ {P, 0x26, C(0x4A), W1},
    /* 35 */ {P, 0x27, k(0x40), W1},
    /* 36 */ {P, 0x28, C(0x39), W1},
    /* 37 */ {P, 0x2A, C(0x3A), W1},
    /* 38 */ {P, 0x2B, C(0x3B), W1},
    /* 39 */ {P, 0x2C, C(0x3D), W1},
    /* 40 */ {P, 0x2E, k(0x400), W2},
    /* 41 */ {P, 0x30, k(0x40), W1},
    /* 42 */ {P, 0x32, k(0x400), W2},
    /* 43 */ {P, 0x34, k(0x40), W1},
    /* 44 */ {P, 0x36, k(0x400), W2},
    /* 45 */ {P, 0x38, k(0x40), W1},
    /* 46 */ {K, 0x00, C(0x00), W1, 10, PerfName},
    /* 46 */ {K, 0x0C, C(0x0C), W1, 2, PerfName},
    /* 47 */ {K, 0x11, k(0x00), W1},
    /* 48 */ {K, 0x12, k(0x00), W1},
    /* 49 */ {K, 0x14, C(0x14), W2},
    /* 50 */ {K, 0x16, C(0x16), W1, 12},
    /* 51 */ {K, 0x22, C(0x22), W2, 9},
    /* 52 */ {K, 0x34, C(0x34), W1},
    /* 53 */ {K, 0x35, k(0x40), W1},
    /* 54 */ {K, 0x37, k(0x40), W1, 7},
    /* 55 */ {K, 0x3E, C(0x3E), W1},
    /* 56 */ {K, 0x3F, C(0x3F), W1},
    /* 57 */ {K, 0x40, k(0x40), W1, 5},
    /* 58 */ {K, 0x45, C(0x45), W1},
    /* 59 */ {K, 0x46, C(0x46), W1},
    /* 60 */ {K, 0x47, k(0x40), W1, 11},
    /* 61 */ {K, 0x52, k(0x7F), W1},
    /* 62 */ {K, 0x53, k(0x40), W1},
    /* 63 */ {K, 0x54, k(0x01), W1},
    /* 64 */ {K, 0x55, k(0x7F), W1},
    /* 65 */ {K, 0x56, k(0x7F), W1},
    /* 66 */ {K, 0x58, k(0x10), W1},
    /* 67 */ {K, 0x59, k(0x11), W1},
    /* 68 */ {K, 0x5A, k(0x02), W1},
    /* 69 */ {K, 0x5B, k(0x04), W1},
    /* 70 */ {K, 0x5C, k(0x0B), W1},
    /* 71 */ {K, 0x5D, k(0x01), W1},
    /* 72 */ {K, 0x5E, k(0x16), W1},
    /* 73 */ {K, 0x5F, k(0x01), W1},
    /* 74 */ {K, 0x60, partMask, W4, 1, InsFx},
    /* 75 */ {K, 0x100, F1(0x00), W2, 17, SysFx},
    /* 75 */ {K, 0x122, F1(0x22), W1, 2, SysFx},
    /* 76 */ {K, 0x200, F2(0x00), W2, 17, SysFx},
    /* 76 */ {K, 0x222, F2(0x22), W1, 3, SysFx},
    /* 77 */ {K, 0x1000, fixed(0), W1, 20, Always},
};

constexpr Script kMotifScript{kMotifSteps, kMotifFixed};
constexpr Script kMotifEsScript{kMotifEsSteps, kMotifEsFixed};

}  // namespace

const Script& motifScript() {
    return kMotifScript;
}
const Script& motifEsScript() {
    return kMotifEsScript;
}

}  // namespace tessaline::copyscript
