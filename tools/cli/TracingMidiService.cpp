#include "tools/cli/TracingMidiService.h"

#include <cstdio>

namespace tessaline::cli {

TracingMidiService::TracingMidiService(MidiService& inner, std::ostream& out, std::mutex& outLock)
    : ForwardingMidiService(inner), out_(out), outLock_(outLock) {}

std::string TracingMidiService::hexLine(const unsigned char* data, std::size_t length) {
    std::string line;
    line.reserve(length * 3);
    for (std::size_t i = 0; i < length; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", data[i]);
        line += pair;
    }
    return line;
}

void TracingMidiService::writeLine(const char* prefix, const unsigned char* data,
                                   std::size_t length) {
    std::lock_guard guard(outLock_);
    out_ << prefix << hexLine(data, length) << '\n' << std::flush;
}

MidiResult TracingMidiService::inOpen(MidiInHandle* handle, int device, MidiInCallback callback,
                                      std::uintptr_t instance) {
    if (handle == nullptr) {
        return inner().inOpen(handle, device, callback, instance);
    }
    auto relay = std::make_shared<InputRelay>(
        callback, instance, [this](unsigned message, std::uintptr_t param1) {
            const auto* header = reinterpret_cast<const MidiHeader*>(param1);
            if (message == MIM_LONGDATA && header != nullptr && header->bytesRecorded > 0) {
                writeLine("< ", header->data, header->bytesRecorded);
            }
        });
    const MidiResult result = relay->open(inner(), device);
    *handle = relay->inner();
    if (result == midiresult::Ok) {
        inputs_.insert(*handle, std::move(relay));
    }
    return result;
}

MidiResult TracingMidiService::inClose(MidiInHandle handle) {
    const MidiResult result = inner().inClose(handle);
    if (result == midiresult::Ok) {
        // The inner close has ended its delivery thread, so nobody uses the relay any more.
        inputs_.erase(handle);
    }
    return result;
}

MidiResult TracingMidiService::outShortMsg(MidiOutHandle handle, std::uint32_t message) {
    const unsigned char bytes[3] = {static_cast<unsigned char>(message & 0xFF),
                                    static_cast<unsigned char>((message >> 8) & 0xFF),
                                    static_cast<unsigned char>((message >> 16) & 0xFF)};
    const unsigned kind = bytes[0] & 0xF0;
    writeLine("> ", bytes, kind == 0xC0 || kind == 0xD0 ? 2 : 3);
    return inner().outShortMsg(handle, message);
}

MidiResult TracingMidiService::outLongMsg(MidiOutHandle handle, MidiHeader* header) {
    if (header != nullptr && header->data != nullptr) {
        writeLine("> ", header->data, header->bufferLength);
    }
    return inner().outLongMsg(handle, header);
}

}  // namespace tessaline::cli
