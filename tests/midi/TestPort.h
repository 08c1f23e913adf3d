#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/MidiPort.h"
#include "platform/NoticeQueue.h"
#include "tests/support/Fakes.h"
#include "tests/support/ScriptedMidiService.h"

namespace tessaline::test {

// A port that accepts any Identity Reply whose byte 5 is 0x43, records every delivery, and
// takes its model ID from the reply's byte 8 (as two hex digits).
class TestPort : public MidiPort {
  public:
    explicit TestPort(const PortServices& services) : MidiPort(services) { manufacturerId = 0x43; }
    ~TestPort() override { close(); }

    void onLongMessage(const unsigned char* data, int length) override {
        delivered.emplace_back(data, data + length);
        MidiPort::onLongMessage(data, length);
    }
    int parseIdentityReply(const unsigned char* data, int length) override {
        if (length < 10 || data[5] != 0x43) {
            return 0;
        }
        displayName = "Model " + formatHexPairs(data[8], 1);
        modelId = formatHexPairs(data[8], 1);
        return 1;
    }
    void setModelId(const std::string& text) { modelId = text; }

    std::vector<std::vector<unsigned char>> delivered;  // written on the callback thread
};

// Everything a port needs, wired to the fakes.
struct PortRig {
    explicit PortRig(std::vector<std::string> ins = {"In A", "In B"},
                     std::vector<std::string> outs = {"Out A", "Out B"})
        : midi(std::move(ins), std::move(outs)),
          port(PortServices{midi, profile, boxes, notices, clock}) {}

    ScriptedMidiService midi;
    InMemoryProfile profile;
    BoxRecorder boxes;
    NoticeQueue notices;
    RecordingClock clock;
    TestPort port;
};

}  // namespace tessaline::test
