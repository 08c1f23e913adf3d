#include "platform/winmm/WinMmOutput.h"

#include "platform/ShortMessage.h"
#include "platform/winmm/ClockWait.h"
#include "platform/winmm/WinMmResults.h"

namespace tessaline {

namespace {

// A byte takes 320 us on a MIDI cable (10 bits at 31250 baud).
constexpr std::int64_t kCableByteUs = 320;

}  // namespace

WinMmOutput::WinMmOutput(WinMmApi& api, Clock& clock, Limits limits)
    : api_(api), clock_(clock), limits_(limits) {}

MidiResult WinMmOutput::open(UINT device) {
    const MMRESULT result = api_.outOpen(&device_, device, reinterpret_cast<DWORD_PTR>(&onWinMm),
                                         reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR) {
        device_ = nullptr;
    }
    return fromWinMm(result);
}

MidiResult WinMmOutput::sendShort(std::uint32_t message) {
    if (shortMessageBytes(message).empty()) {
        return midiresult::InvalidParam;
    }
    std::lock_guard send(sendMutex_);
    if (!settleLate()) {
        return midiresult::NotReady;
    }
    return fromWinMm(api_.outShortMsg(device_, message));
}

MidiResult WinMmOutput::sendLong(const unsigned char* data, std::size_t length) {
    std::lock_guard send(sendMutex_);
    if (!settleLate()) {
        return midiresult::NotReady;
    }
    // Our own copy: a send that overruns may leave it with WinMM after the caller's is gone.
    auto message = std::make_unique<LongSend>();
    message->bytes.assign(data, data + length);
    message->header.lpData = message->bytes.data();
    message->header.dwBufferLength = static_cast<DWORD>(length);
    message->header.dwBytesRecorded = static_cast<DWORD>(length);
    MMRESULT result = api_.outPrepareHeader(device_, &message->header);
    if (result != MMSYSERR_NOERROR) {
        return fromWinMm(result);
    }
    MIDIHDR* header = &message->header;
    {
        // In place before the call: WinMM may hand the buffer back before it returns.
        std::lock_guard guard(mutex_);
        inFlight_ = std::move(message);
    }
    const std::int64_t deadlineUs = clock_.nowUs() + std::int64_t{limits_.sendTimeoutMs} * 1000 +
                                    static_cast<std::int64_t>(length) * kCableByteUs;
    result = api_.outLongMsg(device_, header);
    if (result != MMSYSERR_NOERROR) {
        finish();
        return fromWinMm(result);
    }
    if (waitDone(deadlineUs)) {
        finish();
        return midiresult::Ok;
    }
    if (withdraw()) {
        finish();
        return midiresult::TimedOut;  // back with us: it can never go out later
    }
    late_ = true;
    return midiresult::StillPlaying;
}

MidiResult WinMmOutput::close() {
    std::lock_guard send(sendMutex_);
    if (late_ && !settleLate()) {
        if (!withdraw()) {
            return midiresult::StillPlaying;
        }
        finish();
        late_ = false;
    }
    const MMRESULT result = api_.outClose(device_);
    if (result == MMSYSERR_NOERROR) {
        device_ = nullptr;
    }
    return fromWinMm(result);
}

void CALLBACK WinMmOutput::onWinMm(HMIDIOUT, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                   DWORD_PTR) {
    // A driver thread: note that the buffer is back and wake the sender, nothing more.
    if (message != MOM_DONE) {
        return;
    }
    auto* self = reinterpret_cast<WinMmOutput*>(instance);
    std::lock_guard guard(self->mutex_);
    if (self->inFlight_ && &self->inFlight_->header == reinterpret_cast<MIDIHDR*>(param1)) {
        self->inFlight_->done = true;
        self->done_.notify_all();
    }
}

bool WinMmOutput::waitDone(std::int64_t deadlineUs) {
    std::unique_lock guard(mutex_);
    return waitOnClock(done_, guard, clock_, deadlineUs, [this] { return inFlight_->done; });
}

void WinMmOutput::finish() {
    std::unique_ptr<LongSend> message;
    {
        std::lock_guard guard(mutex_);
        message = std::move(inFlight_);
    }
    api_.outUnprepareHeader(device_, &message->header);
}

bool WinMmOutput::settleLate() {
    if (!late_) {
        return true;
    }
    {
        std::lock_guard guard(mutex_);
        if (!inFlight_->done) {
            return false;
        }
    }
    finish();
    late_ = false;
    return true;
}

bool WinMmOutput::withdraw() {
    // The reset may take its time too: it counts towards the wait.
    const std::int64_t deadlineUs = clock_.nowUs() + std::int64_t{limits_.withdrawTimeoutMs} * 1000;
    api_.outReset(device_);
    return waitDone(deadlineUs);
}

}  // namespace tessaline
