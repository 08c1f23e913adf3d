// Expand + frame + convert + send of every template the device uses, to a service that
// discards the bytes. Reports messages per second.
#include <benchmark/benchmark.h>

#include "midi/MidiPort.h"
#include "platform/NoticeQueue.h"
#include "platform/NullServices.h"

namespace tessaline::bench {
namespace {

class BenchPort final : public MidiPort {
  public:
    explicit BenchPort(const PortServices& services, const char* model) : MidiPort(services) {
        manufacturerId = 0x43;
        modelId = model;
    }
    ~BenchPort() override { close(); }
    int parseIdentityReply(const unsigned char*, int) override { return 0; }
};

void sendEveryTemplate(benchmark::State& state, const char* model) {
    NullMidiService midi;
    NullProfile profile;
    NullBoxes boxes;
    NullPoster poster;
    NullClock clock;
    BenchPort port(PortServices{midi, profile, boxes, poster, clock}, model);
    port.open(0);
    for (auto _ : state) {
        port.sendTemplate("10 M %A %b", 0x310012, 0x40);
        port.sendTemplate("10 M %A %B", 0x310010, 0x400);
        port.sendTemplate("10 M %A %b %b %b %b", 0x300060, 0, 0, 0, 4);
        port.sendTemplate("20 M 0E %b %b", 0x0F, 0x00);
        port.sendTemplate("20 M %A", 0x360000);
        port.sendTemplate("20 M 0F %b %b", 0x0F, 0x00);
    }
    state.counters["messages_per_second"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * 6, benchmark::Counter::kIsRate);
    state.counters["bytes"] = static_cast<double>(midi.bytesSent);
}

void BM_TemplatesOneByteModelId(benchmark::State& state) {
    sendEveryTemplate(state, "6B");
}
void BM_TemplatesTwoByteModelId(benchmark::State& state) {
    sendEveryTemplate(state, "7F 00");
}

BENCHMARK(BM_TemplatesOneByteModelId);
BENCHMARK(BM_TemplatesTwoByteModelId);

}  // namespace
}  // namespace tessaline::bench

BENCHMARK_MAIN();
