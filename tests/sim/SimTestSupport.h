#pragma once

#include <mutex>
#include <vector>

#include "sim/InstrumentModels.h"
#include "sim/VirtualInstrument.h"

namespace tessaline::test {

using Bytes = std::vector<unsigned char>;

// Collects what an instrument sends.
class ReplyLog {
  public:
    explicit ReplyLog(VirtualInstrument& instrument) {
        instrument.setReplySink([this](const Bytes& reply) {
            std::lock_guard guard(mutex_);
            replies_.push_back(reply);
        });
    }
    std::vector<Bytes> take() {
        std::lock_guard guard(mutex_);
        std::vector<Bytes> taken;
        taken.swap(replies_);
        return taken;
    }

  private:
    std::mutex mutex_;
    std::vector<Bytes> replies_;
};

inline const InstrumentModel& model(const char* name) {
    return *findInstrumentModel(name);
}

// A message in our own format for `instrument`: F0 43 <command> <model ID> <rest> F7.
inline Bytes ownMessage(const VirtualInstrument& instrument, unsigned char command,
                        std::initializer_list<unsigned char> rest) {
    // Byte by byte: g++ 12 at -O2 reports a false out-of-bounds copy for range inserts here.
    const std::vector<unsigned char>& modelId = instrument.modelId();
    Bytes message;
    message.reserve(4 + modelId.size() + rest.size());
    message.push_back(0xF0);
    message.push_back(0x43);
    message.push_back(command);
    for (unsigned char byte : modelId) {
        message.push_back(byte);
    }
    for (unsigned char byte : rest) {
        message.push_back(byte);
    }
    message.push_back(0xF7);
    return message;
}

inline Bytes parameterChange(const VirtualInstrument& instrument, unsigned address,
                             std::initializer_list<unsigned char> data) {
    Bytes message = ownMessage(instrument, 0x10,
                               {static_cast<unsigned char>(address >> 16),
                                static_cast<unsigned char>((address >> 8) & 0xFF),
                                static_cast<unsigned char>(address & 0xFF)});
    message.insert(message.end() - 1, data);
    return message;
}

inline Bytes dumpRequest(const VirtualInstrument& instrument, unsigned address) {
    return ownMessage(instrument, 0x20,
                      {static_cast<unsigned char>(address >> 16),
                       static_cast<unsigned char>((address >> 8) & 0xFF),
                       static_cast<unsigned char>(address & 0xFF)});
}

// Address and data of a bulk block the instrument sent (model ID one or two bytes).
inline unsigned blockAddress(const Bytes& block, std::size_t modelIdLength) {
    const std::size_t at = 5 + modelIdLength;
    return (static_cast<unsigned>(block[at]) << 16) | (static_cast<unsigned>(block[at + 1]) << 8) |
           block[at + 2];
}

inline Bytes blockData(const Bytes& block, std::size_t modelIdLength) {
    const std::size_t start = 8 + modelIdLength;
    return Bytes(block.begin() + static_cast<std::ptrdiff_t>(start), block.end() - 2);
}

// The 7-bit sum of the bytes from index 4 through the checksum.
inline bool sumsToZero(const Bytes& block) {
    unsigned sum = 0;
    for (std::size_t i = 4; i + 1 < block.size(); ++i) {
        sum += block[i];
    }
    return (sum & 0x7F) == 0;
}

// Every byte whose value differs between two snapshots, as (address, new value).
inline std::vector<std::pair<unsigned, unsigned char>> changedBytes(const BlockMap& before,
                                                                    const BlockMap& after) {
    std::vector<std::pair<unsigned, unsigned char>> changed;
    for (const auto& [base, bytes] : after) {
        const Bytes& old = before.at(base);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] != old[i]) {
                changed.emplace_back(base + static_cast<unsigned>(i), bytes[i]);
            }
        }
    }
    return changed;
}

}  // namespace tessaline::test
