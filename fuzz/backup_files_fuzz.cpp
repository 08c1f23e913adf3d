// The files that undo and restore read back, which anyone may have edited or damaged: a .syx
// dump of the current performance or song mix, for any model, and a copy's record.
//
// A dump that is taken is exactly its messages, each a whole System Exclusive message with a
// good checksum, with at least one data block; its own values then plan an undo and hold as a
// copy. A record that is taken reads back unchanged from what it writes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "synth/CopyRecord.h"
#include "synth/DestinationDumpFile.h"
#include "synth/DumpCollector.h"
#include "synth/UndoPlan.h"

namespace {

using namespace tessaline;
using fuzz::check;

void fuzzDump(const ModelInfo& model, std::span<const unsigned char> bytes) {
    const DumpFileResult result = parseDestinationDump(bytes, model);
    check(result.dump.has_value() != !result.error.empty());
    if (!result.dump) {
        return;
    }
    std::vector<unsigned char> joined;
    for (const std::vector<unsigned char>& message : result.dump->messages) {
        check(fuzz::isWholeSysEx(message) && fuzz::hasValidBulkChecksum(message));
        joined.insert(joined.end(), message.begin(), message.end());
    }
    check(std::equal(joined.begin(), joined.end(), bytes.begin(), bytes.end()));
    const std::vector<ReceivedBlock>& blocks = result.dump->blocks;
    check(!blocks.empty() && blocks.size() <= DumpCollector::kMaxBlocks);
    check(blocks.size() + 2 == result.dump->messages.size());

    CopyPlan ownValues;
    for (const ReceivedBlock& block : blocks) {
        for (std::size_t i = 0; i < block.data.size(); ++i) {
            ownValues.push_back({block.address + static_cast<int>(i), {block.data[i]}});
        }
    }
    check(planUndo(ownValues, blocks).ok());
    check(stillHoldsCopy(valuesOfDump(blocks), blocks));
}

void fuzzRecord(std::string_view text) {
    const RecordResult result = copyRecordFromJson(text);
    check(result.record.has_value() != !result.error.empty());
    if (result.record) {
        check(copyRecordFromJson(copyRecordToJson(*result.record)).record == result.record);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte picks the file and the model; the rest is the file.
    const std::span<const unsigned char> file(data + 1, size - 1);
    const auto models = modelTable();
    if ((data[0] & 0x80) != 0) {
        fuzzRecord({reinterpret_cast<const char*>(file.data()), file.size()});
    } else {
        fuzzDump(models[data[0] % models.size()], file);
    }
    return 0;
}
