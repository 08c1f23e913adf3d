#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/MidiService.h"
#include "platform/NoticePoster.h"
#include "platform/Profile.h"

namespace tessaline {

// Services that do nothing, for benchmarks, fuzzing, tools and tests that measure or probe only
// the work under test.
class NullProfile final : public Profile {
  public:
    int readInt(const std::string&, const std::string&, int value) override { return value; }
    void writeInt(const std::string&, const std::string&, int) override {}
};

// Settings that live only as long as the process, so a tool or a test never touches the
// user's. Keeps the keys written, in order, for a test to look at.
class InMemoryProfile final : public Profile {
  public:
    int readInt(const std::string& section, const std::string& key, int defaultValue) override {
        std::lock_guard guard(mutex_);
        auto it = values_.find(section + '/' + key);
        return it == values_.end() ? defaultValue : it->second;
    }
    void writeInt(const std::string& section, const std::string& key, int value) override {
        std::lock_guard guard(mutex_);
        values_[section + '/' + key] = value;
        writes_.push_back(key);
    }
    bool has(const std::string& key, const std::string& section = "") const {
        std::lock_guard guard(mutex_);
        return values_.count(section + '/' + key) != 0;
    }
    std::vector<std::string> writes() const {
        std::lock_guard guard(mutex_);
        return writes_;
    }
    std::string readText(const std::string& section, const std::string& key,
                         const std::string& defaultValue) override {
        std::lock_guard guard(mutex_);
        auto it = texts_.find(section + '/' + key);
        return it == texts_.end() ? defaultValue : it->second;
    }
    void writeText(const std::string& section, const std::string& key,
                   const std::string& value) override {
        std::lock_guard guard(mutex_);
        texts_[section + '/' + key] = value;
        writes_.push_back(key);
    }

  private:
    mutable std::mutex mutex_;
    std::map<std::string, int> values_;
    std::map<std::string, std::string> texts_;
    std::vector<std::string> writes_;
};

// One MIDI input and one output that lead nowhere: every call on an open port succeeds,
// nothing is ever received, and what is sent is counted and dropped, so that a benchmark or a
// fuzz target measures or probes only the work under test.
class NullMidiService : public MidiService {
  public:
    std::atomic<std::size_t> messagesSent{0};
    std::atomic<std::size_t> bytesSent{0};

    unsigned inGetNumDevs() override { return 1; }
    MidiResult inGetDevName(unsigned device, std::string& name) override {
        if (device != 0) {
            return midiresult::BadDeviceId;
        }
        name = "Null In";
        return midiresult::Ok;
    }
    MidiResult inOpen(MidiInHandle* handle, int device, MidiInCallback, std::uintptr_t) override {
        if (device != 0) {
            return midiresult::BadDeviceId;
        }
        *handle = kIn;
        return midiresult::Ok;
    }
    MidiResult inPrepareHeader(MidiInHandle handle, MidiHeader* header) override {
        if (handle != kIn || header == nullptr) {
            return midiresult::InvalidHandle;
        }
        header->flags |= MHDR_PREPARED;
        return midiresult::Ok;
    }
    MidiResult inAddBuffer(MidiInHandle handle, MidiHeader* header) override {
        return handle == kIn && header != nullptr ? midiresult::Ok : midiresult::InvalidHandle;
    }
    MidiResult inStart(MidiInHandle handle) override { return opened(handle == kIn); }
    MidiResult inStop(MidiInHandle handle) override { return opened(handle == kIn); }
    MidiResult inReset(MidiInHandle handle) override { return opened(handle == kIn); }
    MidiResult inUnprepareHeader(MidiInHandle handle, MidiHeader* header) override {
        if (handle != kIn || header == nullptr) {
            return midiresult::InvalidHandle;
        }
        header->flags &= ~MHDR_PREPARED;
        return midiresult::Ok;
    }
    MidiResult inClose(MidiInHandle handle) override { return opened(handle == kIn); }

    unsigned outGetNumDevs() override { return 1; }
    MidiResult outGetDevName(unsigned device, std::string& name) override {
        if (device != 0) {
            return midiresult::BadDeviceId;
        }
        name = "Null Out";
        return midiresult::Ok;
    }
    MidiResult outOpen(MidiOutHandle* handle, int device) override {
        if (device != 0) {
            return midiresult::BadDeviceId;
        }
        *handle = kOut;
        return midiresult::Ok;
    }
    MidiResult outShortMsg(MidiOutHandle handle, std::uint32_t) override {
        return counted(handle, 3);
    }
    MidiResult outPrepareHeader(MidiOutHandle handle, MidiHeader*) override {
        return opened(handle == kOut);
    }
    MidiResult outLongMsg(MidiOutHandle handle, MidiHeader* header) override {
        return header == nullptr ? midiresult::InvalidParam : counted(handle, header->bufferLength);
    }
    MidiResult outUnprepareHeader(MidiOutHandle handle, MidiHeader*) override {
        return opened(handle == kOut);
    }
    MidiResult outClose(MidiOutHandle handle) override { return opened(handle == kOut); }

  protected:
    static constexpr MidiInHandle kIn{1};
    static constexpr MidiOutHandle kOut{1};

  private:
    static MidiResult opened(bool open) {
        return open ? midiresult::Ok : midiresult::InvalidHandle;
    }
    MidiResult counted(MidiOutHandle handle, std::size_t bytes) {
        if (handle != kOut) {
            return midiresult::InvalidHandle;
        }
        ++messagesSent;
        bytesSent += bytes;
        return midiresult::Ok;
    }
};

class NullBoxes final : public MessageBoxes {
  public:
    void show(const std::string&, const std::string&, BoxIcon) override {}
    void showLater(const std::string&, const std::string&, BoxIcon) override {}
};

class NullPoster final : public NoticePoster {
  public:
    void post(unsigned, std::uintptr_t, std::intptr_t, WindowTarget) override {}
};

// Time stands still: no wait ever takes any.
class NullClock final : public Clock {
  public:
    void sleepMs(int) override {}
    void sleepUs(std::int64_t) override {}
    std::int64_t nowUs() override { return 0; }
};

}  // namespace tessaline
