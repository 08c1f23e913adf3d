// Writes the seed inputs of the fuzz targets that are made from real exchanges: what the device
// sends, captured on its way out, and what a virtual instrument answers. Run it with the
// corpus folder (fuzz/corpus) after a change of a target's input format or of the protocol.

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/NullServices.h"
#include "sim/VirtualInstrument.h"
#include "synth/SynthDevice.h"

namespace {

using namespace tessaline;
using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

// One model of each family, by its index in the model table.
constexpr std::size_t kFamilyModels[] = {0, 2, 4, 6};

fs::path corpus;

void write(const std::string& target, const std::string& name, const Bytes& bytes) {
    const fs::path folder = corpus / target;
    fs::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void write(const std::string& target, const std::string& name, const std::string& text) {
    write(target, name, Bytes(text.begin(), text.end()));
}

std::string fileName(const ModelInfo& model) {
    std::string name;
    for (const char* c = model.displayName; *c != '\0'; ++c) {
        name += *c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    }
    return name;
}

// A device talking to a virtual instrument: what the device sends goes to the instrument, and
// the answers are kept (the device does not receive them).
class Exchange {
  public:
    explicit Exchange(const ModelInfo& model)
        : instrument_(*findInstrumentModel(model.displayName)),
          device_(PortServices{midi_, profile_, boxes_, poster_, clock_}) {
        instrument_.setClock(&clock_);
        instrument_.setReplySink([this](const Bytes& reply) { answers_.push_back(reply); });
        device_.open(0);
        // Named at once: the device addresses the instrument by the model ID it names.
        const Bytes reply = instrument_.identityReply();
        const MidiPort::ScopedLock held(device_);
        device_.onLongMessage(reply.data(), static_cast<int>(reply.size()));
    }

    SynthDevice& device() { return device_; }
    VirtualInstrument& instrument() { return instrument_; }

    // What the device sent since the last call, each message also handed to the instrument.
    std::vector<Bytes> sent() {
        std::vector<Bytes> messages = midi_.sent();
        midi_.clearSent();
        for (const Bytes& message : messages) {
            instrument_.receive(message);
        }
        return messages;
    }
    std::vector<Bytes> answers() { return std::exchange(answers_, {}); }

  private:
    fuzz::HarnessMidi midi_;
    NullProfile profile_;
    NullBoxes boxes_;
    NullPoster poster_;
    NullClock clock_;
    VirtualInstrument instrument_;
    SynthDevice device_;
    std::vector<Bytes> answers_;
};

// message_sequence: a record is a kind byte, a length and the payload (see the target).
void addRecord(Bytes& out, unsigned char kind, const Bytes& payload) {
    if (payload.size() > 0xFF) {
        out.insert(out.end(), {static_cast<unsigned char>(kind | 0x80),
                               static_cast<unsigned char>(payload.size() >> 8),
                               static_cast<unsigned char>(payload.size() & 0xFF)});
    } else {
        out.insert(out.end(), {kind, static_cast<unsigned char>(payload.size())});
    }
    out.insert(out.end(), payload.begin(), payload.end());
}

// Bulk blocks go as kind 1, so that a mutated block keeps a valid checksum.
void addMessages(Bytes& out, const std::vector<Bytes>& messages) {
    for (const Bytes& message : messages) {
        addRecord(out, message.size() > 1 && message[1] == 0x43 ? 1 : 0, message);
    }
}

// The tag each request carries does not change what goes on the wire.
std::vector<Bytes> dumpOf(Exchange& exchange, unsigned (SynthDevice::*request)(int)) {
    (exchange.device().*request)(0);
    exchange.sent();
    return exchange.answers();
}

void messageSequenceSeeds() {
    for (std::size_t index : kFamilyModels) {
        const ModelInfo& model = modelTable()[index];
        Exchange exchange(model);
        const Bytes reply = exchange.instrument().identityReply();
        const std::vector<Bytes> voice = dumpOf(exchange, &SynthDevice::requestVoiceDump);
        const std::vector<Bytes> performance =
            dumpOf(exchange, &SynthDevice::requestPerformanceDump);
        const std::vector<Bytes> mix = dumpOf(exchange, &SynthDevice::requestMixDump);

        Bytes seed;
        addRecord(seed, 0, reply);
        addMessages(seed, voice);
        write("message_sequence", fileName(model) + "-identify-voice", seed);

        seed.clear();
        addRecord(seed, 0, reply);
        addMessages(seed, performance);
        write("message_sequence", fileName(model) + "-performance", seed);

        seed.clear();
        addRecord(seed, 0, reply);
        addMessages(seed, mix);
        write("message_sequence", fileName(model) + "-mix", seed);

        // A dump before the instrument has named itself, then again after.
        seed.clear();
        addMessages(seed, voice);
        addRecord(seed, 0, reply);
        addMessages(seed, voice);
        write("message_sequence", fileName(model) + "-before-identify", seed);
    }

    // Another model names itself in mid-stream.
    Bytes seed;
    for (std::size_t index : {std::size_t{0}, std::size_t{6}}) {
        Exchange exchange(modelTable()[index]);
        addRecord(seed, 0, exchange.instrument().identityReply());
        addMessages(seed, dumpOf(exchange, &SynthDevice::requestVoiceDump));
    }
    write("message_sequence", "model-change", seed);

    // The built-in record kinds: an identity reply and framed blocks.
    seed.clear();
    addRecord(seed, 2, {6});
    Bytes block{6, 0x40, 0x70, 0x00};
    for (int i = 0; i < 82; ++i) {
        block.push_back(static_cast<unsigned char>(0x20 + i % 0x5F));
    }
    addRecord(seed, 3, block);
    addRecord(seed, 3 | 0x04, block);
    addRecord(seed, 3, {6, 0x30, 0x00, 0x00, 1, 2, 3});
    write("message_sequence", "framed-blocks", seed);

    // A message longer than the input buffer.
    Bytes longMessage{0xF0, 0x43, 0x00, 0x7F, 0x00};
    longMessage.resize(3000, 0x11);
    longMessage.push_back(0xF7);
    seed.clear();
    addRecord(seed, 2, {6});
    addRecord(seed, 0, longMessage);
    write("message_sequence", "longer-than-buffer", seed);
}

// input_stream: six bytes of set-up, then operations (see the target).
void addPiece(Bytes& out, const unsigned char* data, std::size_t length) {
    if (length < 0xE0) {
        out.push_back(static_cast<unsigned char>(length));
    } else {
        out.insert(out.end(), {0xE0, static_cast<unsigned char>(length >> 8),
                               static_cast<unsigned char>(length & 0xFF)});
    }
    out.insert(out.end(), data, data + length);
}

Bytes inPieces(const Bytes& setup, const Bytes& stream, std::initializer_list<std::size_t> cuts) {
    Bytes out = setup;
    std::size_t at = 0;
    auto cut = cuts.begin();
    while (at < stream.size()) {
        const std::size_t length = std::min(*cut, stream.size() - at);
        addPiece(out, stream.data() + at, length);
        at += length;
        if (++cut == cuts.end()) {
            cut = cuts.begin();
            out.push_back(0xF0);  // pump
        }
    }
    out.push_back(0xF0);
    return out;
}

void inputStreamSeeds() {
    Exchange exchange(modelTable()[6]);
    Bytes stream;
    for (const Bytes& block : dumpOf(exchange, &SynthDevice::requestVoiceDump)) {
        stream.insert(stream.end(), block.begin(), block.end());
    }
    // A timing clock and active sensing inside a message, a note that cuts one short.
    Bytes busy = stream;
    busy.insert(busy.begin() + 20, 0xF8);
    busy.insert(busy.begin() + 40, 0xFE);
    busy.insert(busy.begin() + 60, {0x90, 0x3C, 0x40});

    const Bytes portBuffers{0x02 | 0x08, 0x00, 0x00, 0x10, 0x00, 0x00};
    write("input_stream", "voice-dump-whole", inPieces(portBuffers, stream, {stream.size()}));
    write("input_stream", "voice-dump-in-pieces", inPieces(portBuffers, busy, {1, 3, 17, 64, 5}));
    // A ring too small for the blocks, a short limit, small buffers, one queued message.
    const Bytes tight{0x01 | 0x04, 0x00, 0x50, 0x00, 0x7F, 0x07};
    write("input_stream", "tight", inPieces(tight, busy, {30, 90, 2}));

    Bytes longMessage{0xF0, 0x43, 0x00, 0x7F, 0x00};
    longMessage.resize(5000, 0x22);
    longMessage.push_back(0xF7);
    write("input_stream", "longer-than-buffer",
          inPieces(portBuffers, longMessage, {longMessage.size()}));
}

// instrument_receive: a set-up byte, then records of a length byte and a message.
void addShort(Bytes& out, const Bytes& message) {
    out.push_back(static_cast<unsigned char>(message.size()));
    out.insert(out.end(), message.begin(), message.end());
}

void instrumentReceiveSeeds() {
    const std::size_t models = modelTable().size();
    for (std::size_t index = 0; index < models; ++index) {
        const ModelInfo& model = modelTable()[index];
        Exchange exchange(model);
        SynthDevice& device = exchange.device();
        Bytes seed{static_cast<unsigned char>(index)};
        device.sendIdentityRequest();
        device.requestVoiceDump();
        for (const Bytes& message : exchange.sent()) {
            addShort(seed, message);
        }
        // The voice dump also goes back to the instrument, whole, as a librarian sends it.
        Bytes dumpBack{static_cast<unsigned char>(index)};
        for (const Bytes& block : exchange.answers()) {
            if (block.size() > 1 && block[1] == 0x43) {
                const MidiPort::ScopedLock held(device);
                device.onLongMessage(block.data(), static_cast<int>(block.size()));
                if (block.size() <= 0xFF) {
                    addShort(dumpBack, block);
                }
            }
        }
        write("instrument_receive", fileName(model) + "-dump-back", dumpBack);
        // Voice mode, PRE2, program 5; performance mode, USER performance 3.
        addShort(seed, {0xB0, 0x00, 0x3F});
        addShort(seed, {0xB0, 0x20, 0x01});
        addShort(seed, {0xC0, 0x05});
        device.setMode(kModePerformance);
        device.requestPerformanceDump();
        for (const Bytes& message : exchange.sent()) {
            addShort(seed, message);
        }
        addShort(seed, {0xB0, 0x00, 0x3F});
        addShort(seed, {0xB0, 0x20, 0x40});
        addShort(seed, {0xC0, 0x03});
        device.sendCopy(device.planCopyOfFamily(kModePerformance, 0, 0, 1, 1, 1, 1));
        device.requestMixDump();
        for (const Bytes& message : exchange.sent()) {
            addShort(seed, message);
        }
        write("instrument_receive", fileName(model), seed);
        if (index == 6) {
            // Truncated blocks and a paced wire.
            seed[0] = static_cast<unsigned char>(index | 0x08 | 0x20);
            write("instrument_receive", fileName(model) + "-faults", seed);
        }
    }
}

// copy_plan: realistic voice bytes first; the options are taken from the end.
void copyPlanSeeds() {
    for (std::size_t index : kFamilyModels) {
        const ModelInfo& model = modelTable()[index];
        Exchange exchange(model);
        Bytes voice;
        for (const Bytes& block : dumpOf(exchange, &SynthDevice::requestVoiceDump)) {
            const std::size_t data = 3 + exchange.instrument().modelId().size() + 5;
            if (block.size() > data + 2) {
                voice.insert(voice.end(), block.begin() + static_cast<std::ptrdiff_t>(data),
                             block.end() - 2);
            }
        }
        Bytes seed = voice;
        seed.insert(seed.end(), voice.begin(), voice.end());
        for (unsigned char tail : {0x00, 0x5A, 0xFF}) {
            Bytes withTail = seed;
            withTail.resize(seed.size() + 24, tail);
            char name[64];
            std::snprintf(name, sizeof name, "%s-%02x", fileName(model).c_str(), tail);
            write("copy_plan", name, withTail);
        }
    }
}

void messageTextSeeds() {
    const char* const texts[] = {
        "10 M %A %b",    "10 M %A %b %b",     "10 M %A %b %b %b %b", "20 M 0E %b %b", "20 M %A",
        "20 M 0F %b %b", "F0 7E 00 06 01 F7", "%B %B %b M %A",       "7F 00 6B 6F",
    };
    int n = 0;
    for (const char* text : texts) {
        write("message_text", "template-" + std::to_string(n++), std::string(text));
    }
}

void commandLineSeeds() {
    using namespace std::string_literals;
    const std::string seeds[] = {
        "\0copy\0--voice\0PRE1:A01\0--to\0performance:B16\0--part\0002\0--sys-fx\0--ins-fx\0--name"s,
        "\0--in\0001\0--out\0002\0--timeout\0005000\0--pace\0cable\0--trace\0identify"s,
        "\0--device\0Motif\0--pace\00025\0voice\0USER2:H16"s,
        "\0--pace\0fast\0performance\0A01"s,
        "\0copy\0--voice\0GM:C05\0--to\0mix\0--part\00016\0--verify"s,
        "\0devices"s,
        "\001--api\0alsa\0--model\0Motif ES7\0--fast\0--name\0Client\0--seed\000123"s,
        "\001--api\0jack\0--pace"s,
        "\002--device\0002\0--timeout-ms\000500\0--out\0x.png\0--dialog\0about"s,
        "\002--help"s,
        "\003\006print 300000 16\nmode\nignored\nprint 407000 4096\nprint 7F7F7F 1\nbogus\n\nquit\nmode"s,
        "\003\002drop 31020D\ndamage\nfreeze 1500\nprint 31020D 1\nfreeze 0\ndrop 318000\nignored"s,
        "\0copy\0--voice\0PRE1:A01\0--to\0mix\0--part\0003\0--no-verify\0--no-backup"s,
        "\0backup\0--to\0performance:C03\0--out\0kept.syx"s,
        "\0restore\0kept.syx"s,
        "\0undo"s,
    };
    int n = 0;
    for (const std::string& seed : seeds) {
        write("command_line", "args-" + std::to_string(n++), seed);
    }
}

// exec_line: mimeapps.list text, NUL, Exec value, NUL, target.
void execLineSeeds() {
    using namespace std::string_literals;
    const std::string mimeapps[] = {
        "[Default Applications]\ntext/html=web.desktop;\n",
        "[Added Associations]\ntext/html=web.desktop;\n\n[Default Applications]\n"
        "text/plain=web.desktop\ntext/html=missing.desktop;vendor-app.desktop;\n",
        "# chosen by the user\r\n[Default Applications]\r\n text/html = web.desktop \r\n",
    };
    const char* const execs[] = {
        "web-browser %u",
        R"("/opt/My Web/run" --new-window %U --class=%c)",
        "browser --url=%u --private",
        R"(tool --ratio=100%% "50%%" %k %u)",
        R"(sh -c "open-link %u")",
        R"(run "say \"hi\" \$HOME \`x\` \\\\" x\y %f)",
        "plain-browser --new",
        R"(/opt/My\sWeb/run\t%u)",
    };
    const std::string targets[] = {
        R"(https://example.org/a b?q="x"&y=$(touch z)%u\)",
        "mailto:someone@example.org",
        "https://example.org/",
    };
    int n = 0;
    for (const char* exec : execs) {
        write("exec_line", "entry-" + std::to_string(n),
              mimeapps[n % 3] + "\0"s + exec + "\0"s + targets[n % 3]);
        ++n;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessaline_fuzz_seeds CORPUS_FOLDER\n");
        return 1;
    }
    corpus = argv[1];
    messageSequenceSeeds();
    inputStreamSeeds();
    instrumentReceiveSeeds();
    copyPlanSeeds();
    messageTextSeeds();
    commandLineSeeds();
    execLineSeeds();
    return 0;
}
