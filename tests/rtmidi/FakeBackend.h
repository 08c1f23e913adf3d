#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/rtmidi/MidiBackend.h"

namespace tessaline::test {

// A MIDI system for the service's tests: fixed port lists, inputs fed by the test (or by a
// thread that keeps sending), outputs that record or fail or hang as told.
class FakeBackend final : public MidiBackend {
  public:
    using Bytes = std::vector<unsigned char>;

    FakeBackend(std::string api, std::vector<std::string> inputs, std::vector<std::string> outputs)
        : api_(std::move(api)), inputs_(std::move(inputs)), outputs_(std::move(outputs)) {}
    ~FakeBackend() override { releaseHang(); }

    std::string apiName() const override { return api_; }
    std::vector<std::string> inputNames() override {
        std::lock_guard guard(mutex_);
        ++listings;
        return inputs_;
    }
    void setPorts(std::vector<std::string> inputs, std::vector<std::string> outputs) {
        std::lock_guard guard(mutex_);
        inputs_ = std::move(inputs);
        outputs_ = std::move(outputs);
    }
    int listings = 0;  // looks at the input list, under the lock
    std::vector<std::string> outputNames() override {
        std::lock_guard guard(mutex_);
        return outputs_;
    }

    MidiResult openInput(const std::string& name, InputSink& sink,
                         std::unique_ptr<BackendInput>& input) override {
        std::lock_guard guard(mutex_);
        if (openResult != midiresult::Ok) {
            return openResult;
        }
        if (std::find(inputs_.begin(), inputs_.end(), name) == inputs_.end()) {
            return midiresult::DeviceGone;
        }
        openedInputs.push_back(name);
        auto opened = std::make_unique<Input>(*this, sink, streamWhileOpen);
        current_ = opened.get();
        input = std::move(opened);
        return midiresult::Ok;
    }

    MidiResult openOutput(const std::string& name,
                          std::unique_ptr<BackendOutput>& output) override {
        std::lock_guard guard(mutex_);
        if (openResult != midiresult::Ok) {
            return openResult;
        }
        if (std::find(outputs_.begin(), outputs_.end(), name) == outputs_.end()) {
            return midiresult::DeviceGone;
        }
        openedOutputs.push_back(name);
        output = std::make_unique<Output>(*this);
        return midiresult::Ok;
    }

    // What the backend's own thread would hand the sink of the last input opened.
    void feed(const Bytes& bytes) {
        std::lock_guard guard(mutex_);
        if (current_ != nullptr) {
            current_->sink.receive(bytes.data(), bytes.size());
        }
    }

    // What the backend does when its MIDI system goes away under an open input.
    void lose(MidiResult reason) {
        std::lock_guard guard(mutex_);
        if (current_ != nullptr) {
            current_->sink.lost(reason);
        }
    }

    std::vector<Bytes> sent() const {
        std::lock_guard guard(mutex_);
        return sent_;
    }

    void setInputs(std::vector<std::string> inputs) {
        std::lock_guard guard(mutex_);
        inputs_ = std::move(inputs);
    }

    // Sends block until releaseHang(): waiting for room in a queue that no one empties, or, with
    // handingOn, inside the call that hands the message on.
    void hangSends(bool handingOn = false) {
        std::lock_guard guard(mutex_);
        hang_ = true;
        hangHandingOn_ = handingOn;
    }
    void releaseHang() {
        std::lock_guard guard(mutex_);
        hang_ = false;
        released_.notify_all();
    }

    MidiResult openResult = midiresult::Ok;
    MidiResult sendResult = midiresult::Ok;
    Bytes streamWhileOpen;  // when set, every input open sends this in a loop until closed
    std::vector<std::string> openedInputs;
    std::vector<std::string> openedOutputs;
    std::atomic<int> inputsClosed{0};
    std::atomic<int> outputsClosed{0};
    std::atomic<int> sendsBegun{0};
    int sendWaitMs = 0;  // how long a send says it may wait by itself

  private:
    struct Input final : BackendInput {
        Input(FakeBackend& owner, InputSink& target, const Bytes& stream)
            : backend(owner), sink(target) {
            if (!stream.empty()) {
                streamer = std::thread([this, stream] {
                    while (!stop.load()) {
                        sink.receive(stream.data(), stream.size());
                    }
                });
            }
        }
        ~Input() override {
            stop.store(true);
            if (streamer.joinable()) {
                streamer.join();
            }
            std::lock_guard guard(backend.mutex_);
            if (backend.current_ == this) {
                backend.current_ = nullptr;
            }
            ++backend.inputsClosed;
        }
        FakeBackend& backend;
        InputSink& sink;
        std::atomic<bool> stop{false};
        std::thread streamer;
    };

    struct Output final : BackendOutput {
        explicit Output(FakeBackend& owner) : backend(owner) {}
        ~Output() override { ++backend.outputsClosed; }
        int longestWaitMs() const override { return backend.sendWaitMs; }
        MidiResult send(const unsigned char* data, std::size_t length,
                        PendingSend& pending) override {
            std::unique_lock guard(backend.mutex_);
            ++backend.sendsBegun;
            const bool handingOn = backend.hangHandingOn_;
            if (handingOn && !pending.take()) {
                return midiresult::TimedOut;
            }
            backend.released_.wait(guard, [&] { return !backend.hang_; });
            if (backend.sendResult != midiresult::Ok) {
                return backend.sendResult;
            }
            if (!handingOn && !pending.take()) {
                return midiresult::TimedOut;
            }
            backend.sent_.emplace_back(data, data + length);
            return midiresult::Ok;
        }
        FakeBackend& backend;
    };

    mutable std::mutex mutex_;
    std::condition_variable released_;
    std::string api_;
    std::vector<std::string> inputs_;
    std::vector<std::string> outputs_;
    std::vector<Bytes> sent_;
    Input* current_ = nullptr;
    bool hang_ = false;
    bool hangHandingOn_ = false;
};

}  // namespace tessaline::test
