#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/winmm/WinMmApi.h"

namespace tessaline::test {

// The test's clock, which moves only when told to. A late driver thread waits until the service
// looks at it, as it does when it waits for WinMM.
class WatchedClock final : public Clock {
  public:
    void sleepMs(int milliseconds) override { advanceUs(std::int64_t{milliseconds} * 1000); }
    void sleepUs(std::int64_t microseconds) override { advanceUs(microseconds); }
    std::int64_t nowUs() override {
        std::lock_guard guard(mutex_);
        ++reads_;
        read_.notify_all();
        return nowUs_;
    }
    void advanceUs(std::int64_t microseconds) {
        std::lock_guard guard(mutex_);
        nowUs_ += microseconds;
    }
    std::uint64_t reads() {
        std::lock_guard guard(mutex_);
        return reads_;
    }
    // Returns once the clock has been read more than `reads` times in all, or `giveUp` holds.
    template <typename GiveUp>
    void awaitRead(std::uint64_t reads, GiveUp&& giveUp) {
        std::unique_lock guard(mutex_);
        read_.wait(guard, [&] { return reads_ > reads || giveUp(); });
    }
    void wakeWaiters() {
        std::lock_guard guard(mutex_);
        read_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable read_;
    std::uint64_t reads_ = 0;
    std::int64_t nowUs_ = 0;
};

// A WinMM driver in memory, as strict about headers as the real one: a buffer must be prepared
// to be queued or sent, and one that WinMM still holds can be neither unprepared nor closed
// away. What it does with a long send, and with a reset, is the test's to choose.
class FakeWinMm final : public WinMmApi {
  public:
    enum class Send { DoneAtOnce, DoneLater, Hang };
    enum class OnReset { GiveBack, Keep };

    using Bytes = std::vector<unsigned char>;

    FakeWinMm(std::vector<std::string> inputs, std::vector<std::string> outputs,
              WatchedClock& clock)
        : inputs_(std::move(inputs)), outputs_(std::move(outputs)), clock_(clock) {}
    ~FakeWinMm() override { joinDriver(); }

    // The test's choices.
    Send send = Send::DoneAtOnce;
    OnReset onOutputReset = OnReset::GiveBack;
    std::int64_t sendTakesUs = 0;  // clock time a send takes before WinMM hands it back
    bool inputResetReturnsLater = false;

    UINT inGetNumDevs() override { return static_cast<UINT>(inputs_.size()); }
    MMRESULT inGetDevCaps(UINT device, MIDIINCAPSA* caps) override {
        return device < inputs_.size() ? copyName(inputs_[device], caps->szPname)
                                       : MMSYSERR_BADDEVICEID;
    }
    MMRESULT inOpen(HMIDIIN* handle, UINT device, DWORD_PTR callback, DWORD_PTR instance,
                    DWORD) override {
        if (device >= inputs_.size()) {
            return MMSYSERR_BADDEVICEID;
        }
        *handle = reinterpret_cast<HMIDIIN>(std::uintptr_t{0x1D});
        inCallback_ = reinterpret_cast<InProc>(callback);
        inInstance_ = instance;
        return MMSYSERR_NOERROR;
    }
    MMRESULT inPrepareHeader(HMIDIIN, MIDIHDR* header) override {
        std::lock_guard guard(mutex_);
        header->dwFlags |= MHDR_PREPARED;
        return MMSYSERR_NOERROR;
    }
    MMRESULT inUnprepareHeader(HMIDIIN, MIDIHDR* header) override {
        std::lock_guard guard(mutex_);
        if ((header->dwFlags & MHDR_INQUEUE) != 0) {
            ++refused_;
            return MIDIERR_STILLPLAYING;
        }
        header->dwFlags &= ~MHDR_PREPARED;
        return MMSYSERR_NOERROR;
    }
    MMRESULT inAddBuffer(HMIDIIN, MIDIHDR* header) override {
        std::lock_guard guard(mutex_);
        if ((header->dwFlags & MHDR_PREPARED) == 0) {
            ++refused_;
            return MIDIERR_UNPREPARED;
        }
        header->dwFlags = (header->dwFlags | MHDR_INQUEUE) & ~MHDR_DONE;
        inQueue_.push_back(header);
        everQueued_.insert(header);
        changed_.notify_all();
        return MMSYSERR_NOERROR;
    }
    MMRESULT inStart(HMIDIIN) override { return MMSYSERR_NOERROR; }
    MMRESULT inStop(HMIDIIN) override { return MMSYSERR_NOERROR; }
    MMRESULT inReset(HMIDIIN) override {
        std::deque<MIDIHDR*> queued;
        {
            std::lock_guard guard(mutex_);
            queued.swap(inQueue_);
        }
        auto giveBack = [this, queued] {
            for (MIDIHDR* header : queued) {
                header->dwBytesRecorded = 0;
                returnInput(MIM_LONGDATA, header);
            }
        };
        if (inputResetReturnsLater) {
            // Only once the caller waits for them, as a slow driver would: one that frees the
            // buffers without waiting finds them still held.
            const std::uint64_t reads = clock_.reads();
            std::lock_guard guard(mutex_);
            late_.emplace_back([this, giveBack, reads] {
                clock_.awaitRead(reads, [this] { return closed_.load(); });
                giveBack();
            });
        } else {
            giveBack();
        }
        return MMSYSERR_NOERROR;
    }
    MMRESULT inClose(HMIDIIN) override {
        closed_.store(true);
        clock_.wakeWaiters();
        std::lock_guard guard(mutex_);
        if (!inQueue_.empty()) {
            ++refused_;
            return MIDIERR_STILLPLAYING;
        }
        for (const MIDIHDR* header : everQueued_) {
            preparedAtClose_ += (header->dwFlags & MHDR_PREPARED) != 0 ? 1 : 0;
        }
        return MMSYSERR_NOERROR;
    }
    MMRESULT inGetErrorText(MMRESULT code, char* text, UINT size) override {
        return copyText("Input error " + std::to_string(code), text, size);
    }

    UINT outGetNumDevs() override { return static_cast<UINT>(outputs_.size()); }
    MMRESULT outGetDevCaps(UINT device, MIDIOUTCAPSA* caps) override {
        return device < outputs_.size() ? copyName(outputs_[device], caps->szPname)
                                        : MMSYSERR_BADDEVICEID;
    }
    MMRESULT outOpen(HMIDIOUT* handle, UINT device, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD) override {
        if (device >= outputs_.size()) {
            return MMSYSERR_BADDEVICEID;
        }
        *handle = reinterpret_cast<HMIDIOUT>(std::uintptr_t{0x0D});
        outCallback_ = reinterpret_cast<OutProc>(callback);
        outInstance_ = instance;
        return MMSYSERR_NOERROR;
    }
    MMRESULT outShortMsg(HMIDIOUT, DWORD message) override {
        std::lock_guard guard(mutex_);
        log_.push_back("short " + std::to_string(message));
        return MMSYSERR_NOERROR;
    }
    MMRESULT outPrepareHeader(HMIDIOUT, MIDIHDR* header) override {
        std::lock_guard guard(mutex_);
        header->dwFlags |= MHDR_PREPARED;
        log_.push_back("prepare");
        return MMSYSERR_NOERROR;
    }
    MMRESULT outUnprepareHeader(HMIDIOUT, MIDIHDR* header) override {
        std::lock_guard guard(mutex_);
        if ((header->dwFlags & MHDR_INQUEUE) != 0) {
            ++refused_;
            return MIDIERR_STILLPLAYING;
        }
        header->dwFlags &= ~MHDR_PREPARED;
        log_.push_back("unprepare");
        return MMSYSERR_NOERROR;
    }
    MMRESULT outLongMsg(HMIDIOUT, MIDIHDR* header) override {
        {
            std::lock_guard guard(mutex_);
            if ((header->dwFlags & MHDR_PREPARED) == 0) {
                ++refused_;
                return MIDIERR_UNPREPARED;
            }
            header->dwFlags = (header->dwFlags | MHDR_INQUEUE) & ~MHDR_DONE;
            const auto* data = reinterpret_cast<const unsigned char*>(header->lpData);
            sent_.emplace_back(data, data + header->dwBufferLength);
            log_.push_back("long");
            outHeld_ = header;
        }
        clock_.advanceUs(send == Send::Hang ? std::int64_t{1} << 40 : sendTakesUs);
        if (send == Send::DoneAtOnce) {
            finishSend();
        } else if (send == Send::DoneLater) {
            joinDriver();
            driver_ = std::thread([this] { finishSend(); });
        }
        return MMSYSERR_NOERROR;
    }
    MMRESULT outReset(HMIDIOUT) override {
        {
            std::lock_guard guard(mutex_);
            log_.push_back("reset");
        }
        if (onOutputReset == OnReset::GiveBack) {
            finishSend();
        } else {
            clock_.advanceUs(std::int64_t{1} << 40);
        }
        return MMSYSERR_NOERROR;
    }
    MMRESULT outClose(HMIDIOUT) override {
        std::lock_guard guard(mutex_);
        if (outHeld_ != nullptr) {
            ++refused_;
            return MIDIERR_STILLPLAYING;
        }
        log_.push_back("close");
        return MMSYSERR_NOERROR;
    }
    MMRESULT outGetErrorText(MMRESULT code, char* text, UINT size) override {
        return copyText("Output error " + std::to_string(code), text, size);
    }

    // The driver's side of an input, on the caller's thread: fills queued buffers with `bytes`
    // (as many as they take) and hands each back. False when no buffer came within 5 s.
    bool receive(const Bytes& bytes, UINT message = MIM_LONGDATA) {
        std::size_t at = 0;
        do {
            MIDIHDR* header = nullptr;
            {
                std::unique_lock guard(mutex_);
                if (!changed_.wait_for(guard, std::chrono::seconds(5),
                                       [this] { return !inQueue_.empty(); })) {
                    return false;
                }
                header = inQueue_.front();
                inQueue_.pop_front();
            }
            const std::size_t count =
                std::min<std::size_t>(bytes.size() - at, header->dwBufferLength);
            std::memcpy(header->lpData, bytes.data() + at, count);
            header->dwBytesRecorded = static_cast<DWORD>(count);
            at += count;
            returnInput(message, header);
        } while (at < bytes.size());
        return true;
    }
    void receiveShort(DWORD message) { inCallback_(nullptr, MIM_DATA, inInstance_, message, 0); }

    // A send held past every reset: WinMM lets go of it at last, from a thread of its own.
    void letGoLate() {
        joinDriver();
        driver_ = std::thread([this] { finishSend(); });
        joinDriver();
    }
    std::size_t queuedInputs() {
        std::lock_guard guard(mutex_);
        return inQueue_.size();
    }
    std::vector<Bytes> sent() {
        std::lock_guard guard(mutex_);
        return sent_;
    }
    std::vector<std::string> log() {
        std::lock_guard guard(mutex_);
        return log_;
    }

    // Calls refused because a header was not prepared or was still held.
    int refused() {
        std::lock_guard guard(mutex_);
        return refused_;
    }
    // Input buffers that were still prepared when the input closed.
    int preparedAtClose() {
        std::lock_guard guard(mutex_);
        return preparedAtClose_;
    }

  private:
    using InProc = void(CALLBACK*)(HMIDIIN, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);
    using OutProc = void(CALLBACK*)(HMIDIOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

    // A name that fills the field is left without its terminating zero, as a careless driver
    // might.
    static MMRESULT copyName(const std::string& name, char* into) {
        std::memcpy(into, name.data(), std::min<std::size_t>(name.size() + 1, MAXPNAMELEN));
        return MMSYSERR_NOERROR;
    }
    static MMRESULT copyText(const std::string& text, char* into, UINT size) {
        std::snprintf(into, size, "%s", text.c_str());
        return MMSYSERR_NOERROR;
    }

    void returnInput(UINT message, MIDIHDR* header) {
        {
            std::lock_guard guard(mutex_);
            header->dwFlags = (header->dwFlags | MHDR_DONE) & ~MHDR_INQUEUE;
        }
        inCallback_(nullptr, message, inInstance_, reinterpret_cast<DWORD_PTR>(header), 0);
    }
    void finishSend() {
        MIDIHDR* header = nullptr;
        {
            std::lock_guard guard(mutex_);
            header = std::exchange(outHeld_, nullptr);
            if (header == nullptr) {
                return;
            }
            header->dwFlags = (header->dwFlags | MHDR_DONE) & ~MHDR_INQUEUE;
            log_.push_back("done");
        }
        outCallback_(nullptr, MOM_DONE, outInstance_, reinterpret_cast<DWORD_PTR>(header), 0);
    }
    void joinDriver() {
        if (driver_.joinable()) {
            driver_.join();
        }
        std::vector<std::thread> late;
        {
            std::lock_guard guard(mutex_);
            late.swap(late_);
        }
        for (std::thread& thread : late) {
            thread.join();
        }
    }

    std::vector<std::string> inputs_;
    std::vector<std::string> outputs_;
    WatchedClock& clock_;
    InProc inCallback_ = nullptr;
    DWORD_PTR inInstance_ = 0;
    OutProc outCallback_ = nullptr;
    DWORD_PTR outInstance_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<MIDIHDR*> inQueue_;
    std::set<const MIDIHDR*> everQueued_;
    MIDIHDR* outHeld_ = nullptr;
    std::vector<Bytes> sent_;
    std::vector<std::string> log_;
    int refused_ = 0;
    std::atomic<bool> closed_{false};
    int preparedAtClose_ = 0;
    std::thread driver_;             // a driver thread that hands something back late
    std::vector<std::thread> late_;  // ... and those of input resets, which nobody waits for
};

}  // namespace tessaline::test
