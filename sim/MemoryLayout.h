#pragma once

#include <map>
#include <optional>
#include <vector>

#include "sim/InstrumentModels.h"

namespace tessaline {

// Memory blocks of the virtual instrument keyed by their base address (high * 65536 + mid * 256
// + low), in the order a dump sends them.
using BlockMap = std::map<unsigned, std::vector<unsigned char>>;

struct BlockSpec {
    unsigned address;
    int size;
};

// The three edit buffers a bulk dump request can name.
enum class DumpArea { Voice, Performance, SongMix };

inline constexpr unsigned kModeParameterAddress = 0x0A0001;

// Blocks of one area for a family, in dump order; none for an area the family lacks.
std::vector<BlockSpec> areaBlocks(InstrumentFamily family, DumpArea area);

// Every addressable block: the family's edit buffers and the mode parameter.
std::vector<BlockSpec> addressableBlocks(InstrumentFamily family);

// The area a dump request address names (0E 0F 00, 0E 4F 00, 0E 5F 00), if the family has it.
std::optional<DumpArea> areaForDumpRequest(InstrumentFamily family, unsigned address);

// The area whose dump a header or footer block address (0E xx 00, 0F xx 00) opens or closes,
// if the family has it.
std::optional<DumpArea> areaForDumpMarker(InstrumentFamily family, unsigned address);

// Header and footer block addresses of an area's dump (0E xx 00 and 0F xx 00).
unsigned dumpHeaderAddress(DumpArea area);
unsigned dumpFooterAddress(DumpArea area);

}  // namespace tessaline
