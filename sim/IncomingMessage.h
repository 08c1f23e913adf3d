#pragma once

#include <span>
#include <vector>

namespace tessaline {

// What one whole received message asks of the instrument.
enum class MessageKind {
    IdentityRequest,    // F0 7E 00|7F 06 01 F7
    ParameterChange,    // F0 43 1n <model ID> AH AM AL data(1..4) F7
    DumpRequest,        // F0 43 2n <model ID> AH AM AL F7
    BulkBlock,          // F0 43 0n <model ID> BH BL AH AM AL data CS F7
    DamagedBlock,       // a bulk block whose checksum or byte count does not fit its data
    BankSelectMsb,      // B0 00 vv
    BankSelectLsb,      // B0 20 vv
    ProgramChange,      // C0 pp
    Malformed,          // broken framing, a stray status byte, wrong length
    OtherManufacturer,  // System Exclusive of another maker
    OtherModelId,       // ours, addressed to another model
    Unsupported,        // well formed, but nothing this instrument does
};

struct IncomingMessage {
    MessageKind kind = MessageKind::Malformed;
    unsigned address = 0;             // parameter change, dump request, bulk block
    std::vector<unsigned char> data;  // parameter change, bulk block
    unsigned char value = 0;          // bank select byte, program number
};

// Classifies one message for an instrument with these model ID bytes. Short messages count only
// on MIDI channel 1.
IncomingMessage classifyMessage(std::span<const unsigned char> message,
                                std::span<const unsigned char> modelId);

}  // namespace tessaline
