#include "synth/UndoPlan.h"

#include "midi/MidiPort.h"

namespace tessaline {

UndoPlan planUndo(const CopyPlan& copy, std::span<const ReceivedBlock> backup) {
    const WrittenValues old = valuesOfDump(backup);
    UndoPlan undo;
    undo.messages.reserve(copy.size());
    for (const PlannedMessage& message : copy) {
        PlannedMessage back{message.address, {}};
        for (std::size_t i = 0; i < message.data.size(); ++i) {
            const int address = message.address + static_cast<int>(i);
            const auto found = old.find(address);
            if (found == old.end()) {
                return {{},
                        "The backup does not hold address " +
                            MidiPort::formatHexPairs(static_cast<unsigned>(address), 3) +
                            ", which the copy wrote."};
            }
            back.data.push_back(found->second);
        }
        undo.messages.push_back(std::move(back));
    }
    return undo;
}

bool stillHoldsCopy(const WrittenValues& written, std::span<const ReceivedBlock> current) {
    const ReadBackResult result = compareReadBack(written, current, {});
    return result.values > 0 && result.checked == result.values && result.matches();
}

WrittenValues valuesOfDump(std::span<const ReceivedBlock> blocks) {
    WrittenValues values;
    for (const ReceivedBlock& block : blocks) {
        for (std::size_t i = 0; i < block.data.size(); ++i) {
            values[block.address + static_cast<int>(i)] = block.data[i];
        }
    }
    return values;
}

}  // namespace tessaline
