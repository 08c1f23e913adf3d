#pragma once

// Building a virtual instrument fills every voice bank from its seed, which takes far longer
// than one fuzz input may. The targets share one instrument per model for the whole run and put
// it back as built before each input, so that an input behaves the same as on its own.

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/NullServices.h"
#include "sim/VirtualInstrument.h"
#include "synth/ModelFamily.h"

namespace tessaline::fuzz {

class SharedInstruments {
  public:
    // The instrument of the model at `index` (modulo the table), as it was built: edit buffers,
    // bank selection, no faults, no pacing, no reply sink. Its clock never moves.
    static VirtualInstrument& fresh(std::size_t index) {
        Entry& entry = instance().entry(index);
        VirtualInstrument& instrument = *entry.instrument;
        instrument.clearFaults();
        instrument.setWirePacing(false);
        instrument.setReplySink(nullptr);
        // Only what an input changed: writing memory goes byte by byte.
        for (const auto& [address, bytes] : entry.built) {
            if (instrument.block(address) != bytes) {
                instrument.writeMemory(address, bytes);
            }
        }
        // Back to PRE1, the bank it starts on.
        const unsigned char msb[] = {0xB0, 0x00, 0x3F};
        const unsigned char lsb[] = {0xB0, 0x20, 0x00};
        instrument.receive(msb, sizeof msb);
        instrument.receive(lsb, sizeof lsb);
        return instrument;
    }

    // Its addressable memory as built.
    static const BlockMap& built(std::size_t index) { return instance().entry(index).built; }

  private:
    struct Entry {
        std::unique_ptr<VirtualInstrument> instrument;
        BlockMap built;
    };

    SharedInstruments() : entries_(modelTable().size()) {}

    static SharedInstruments& instance() {
        static SharedInstruments shared;
        return shared;
    }

    Entry& entry(std::size_t index) {
        index %= entries_.size();
        Entry& entry = entries_[index];
        if (!entry.instrument) {
            // By name: the instrument keeps its own table, in whatever order.
            entry.instrument = VirtualInstrument::create(modelTable()[index].displayName);
            entry.instrument->setClock(&clock_);
            entry.built = entry.instrument->snapshot();
        }
        return entry;
    }

    NullClock clock_;
    std::vector<Entry> entries_;
};

}  // namespace tessaline::fuzz
