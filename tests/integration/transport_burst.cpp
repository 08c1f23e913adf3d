// A burst of System Exclusive the size of a copy and far beyond one JACK period, sent through
// the program's MIDI service over a real transport, must arrive whole and in order.
//
// usage: transport_burst alsa|jack
//   alsa: out to and back in from the kernel's "Midi Through" port;
//   jack: out to a port pair of our own on the running server (JACK_DEFAULT_SERVER).
// Exit 0: passed; 77: skipped (reason on stdout); 1: failed.
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/rtmidi/RtMidiBackends.h"
#include "platform/rtmidi/VirtualPorts.h"

namespace {

using Message = std::vector<unsigned char>;
constexpr int kExitSkip = 77;
constexpr auto kArrivalWait = std::chrono::seconds(20);

// 185 parameter changes as a copy sends them, then long messages that no single period holds.
std::vector<Message> burst() {
    std::vector<Message> messages;
    for (int i = 0; i < 185; ++i) {
        messages.push_back({0xF0, 0x43, 0x10, 0x6A, 0x31, static_cast<unsigned char>(i / 64),
                            static_cast<unsigned char>(i % 64), static_cast<unsigned char>(i % 128),
                            0xF7});
    }
    for (int i = 0; i < 100; ++i) {
        Message message(1000, static_cast<unsigned char>(i % 128));
        message.front() = 0xF0;
        message[1] = 0x7D;  // non-commercial: no instrument takes it
        message.back() = 0xF7;
        messages.push_back(std::move(message));
    }
    return messages;
}

class Received {
  public:
    void add(const unsigned char* data, std::size_t length) {
        std::lock_guard guard(mutex_);
        messages_.emplace_back(data, data + length);
        changed_.notify_all();
    }
    std::vector<Message> waitFor(std::size_t count) {
        std::unique_lock guard(mutex_);
        changed_.wait_for(guard, kArrivalWait, [&] { return messages_.size() >= count; });
        return messages_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Message> messages_;
};

std::optional<int> findDevice(tessaline::MidiService& midi, bool input, const std::string& text) {
    const unsigned count = input ? midi.inGetNumDevs() : midi.outGetNumDevs();
    for (unsigned i = 0; i < count; ++i) {
        std::string name;
        const auto result = input ? midi.inGetDevName(i, name) : midi.outGetDevName(i, name);
        if (result == tessaline::midiresult::Ok && name.find(text) != std::string::npos) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

// The service's input as the port uses it: one buffer, queued again after each delivery.
struct ServiceInput {
    tessaline::MidiService* midi = nullptr;
    tessaline::MidiInHandle handle = tessaline::MidiInHandle::None;
    unsigned char buffer[4096] = {};
    tessaline::MidiHeader header;
    Received* received = nullptr;

    static void onInput(tessaline::MidiInHandle, unsigned message, std::uintptr_t instance,
                        std::uintptr_t param1, std::uintptr_t) {
        auto* self = reinterpret_cast<ServiceInput*>(instance);
        auto* header = reinterpret_cast<tessaline::MidiHeader*>(param1);
        if (message != tessaline::MIM_LONGDATA || header->bytesRecorded == 0) {
            return;
        }
        self->received->add(header->data, header->bytesRecorded);
        self->midi->inPrepareHeader(self->handle, header);
        self->midi->inAddBuffer(self->handle, header);
    }
};

int fail(const std::string& why) {
    std::printf("FAILED: %s\n", why.c_str());
    return 1;
}

int skip(const std::string& why) {
    std::printf("SKIPPED: %s\n", why.c_str());
    return kExitSkip;
}

int check(const std::vector<Message>& sent, const std::vector<Message>& got) {
    for (std::size_t i = 0; i < sent.size(); ++i) {
        if (i >= got.size()) {
            return fail(std::to_string(got.size()) + " of " + std::to_string(sent.size()) +
                        " messages arrived");
        }
        if (got[i] != sent[i]) {
            return fail("message " + std::to_string(i) + " arrived changed or out of order");
        }
    }
    std::printf("PASSED: %zu messages arrived whole and in order\n", sent.size());
    return 0;
}

int sendAll(tessaline::MidiService& midi, tessaline::MidiOutHandle out,
            std::vector<Message>& messages) {
    for (Message& message : messages) {
        tessaline::MidiHeader header;
        header.data = message.data();
        header.bufferLength = static_cast<unsigned>(message.size());
        if (midi.outPrepareHeader(out, &header) != tessaline::midiresult::Ok ||
            midi.outLongMsg(out, &header) != tessaline::midiresult::Ok) {
            return 1;
        }
        midi.outUnprepareHeader(out, &header);
    }
    return 0;
}

int runAlsa() {
    if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
        return skip("no ALSA sequencer at /dev/snd/seq");
    }
    tessaline::RtMidiService midi(tessaline::rtMidiBackendStarters({"alsa"}, "Tessaline burst"));
    const auto in = findDevice(midi, true, "Midi Through");
    const auto out = findDevice(midi, false, "Midi Through");
    if (!in || !out) {
        return skip("the ALSA sequencer has no \"Midi Through\" port (snd-seq-dummy not loaded)");
    }
    Received received;
    auto input = std::make_unique<ServiceInput>();
    input->midi = &midi;
    input->received = &received;
    input->header.data = input->buffer;
    input->header.bufferLength = sizeof input->buffer;
    tessaline::MidiOutHandle output = tessaline::MidiOutHandle::None;
    if (midi.inOpen(&input->handle, *in, &ServiceInput::onInput,
                    reinterpret_cast<std::uintptr_t>(input.get())) != tessaline::midiresult::Ok ||
        midi.inPrepareHeader(input->handle, &input->header) != tessaline::midiresult::Ok ||
        midi.inAddBuffer(input->handle, &input->header) != tessaline::midiresult::Ok ||
        midi.inStart(input->handle) != tessaline::midiresult::Ok ||
        midi.outOpen(&output, *out) != tessaline::midiresult::Ok) {
        return fail("cannot open \"Midi Through\"");
    }
    std::vector<Message> sent = burst();
    if (sendAll(midi, output, sent) != 0) {
        return fail("a send failed");
    }
    const int result = check(sent, received.waitFor(sent.size()));
    midi.outClose(output);
    midi.inReset(input->handle);
    midi.inClose(input->handle);
    return result;
}

int runJack() {
    Received received;
    std::unique_ptr<tessaline::VirtualPorts> target;
    try {
        target = std::make_unique<tessaline::VirtualPorts>(
            "jack", "Tessaline burst target",
            [&received](const Message& message) { received.add(message.data(), message.size()); });
    } catch (const std::exception& error) {
        return skip(std::string("no JACK server: ") + error.what());
    }
    tessaline::RtMidiService midi(tessaline::rtMidiBackendStarters({"jack"}, "Tessaline burst"));
    const auto out = findDevice(midi, false, target->inputName());
    tessaline::MidiOutHandle output = tessaline::MidiOutHandle::None;
    if (!out || midi.outOpen(&output, *out) != tessaline::midiresult::Ok) {
        return fail("cannot open " + target->inputName());
    }
    std::vector<Message> sent = burst();
    if (sendAll(midi, output, sent) != 0) {
        return fail("a send failed");
    }
    const int result = check(sent, received.waitFor(sent.size()));
    midi.outClose(output);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string api = argc == 2 ? argv[1] : "";
    if (api == "alsa") {
        return runAlsa();
    }
    if (api == "jack") {
        return runJack();
    }
    std::fprintf(stderr, "usage: transport_burst alsa|jack\n");
    return 2;
}
