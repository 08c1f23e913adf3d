#include "platform/winmm/WinMmInput.h"

#include <algorithm>

#include "platform/winmm/ClockWait.h"
#include "platform/winmm/WinMmResults.h"

namespace tessaline {

namespace {

// Room in the ring for notes that name no buffer; a note that finds none is still noticed.
constexpr std::size_t kOtherNotes = 16;

}  // namespace

WinMmInput::WinMmInput(WinMmApi& api, Clock& clock, Limits limits, MidiInHandle handle,
                       MidiInCallback callback, std::uintptr_t instance)
    : delivery(handle, callback, instance),
      api_(api),
      clock_(clock),
      limits_(limits),
      assembler_(limits.maxSysExLength) {}

WinMmInput::~WinMmInput() {
    endWorker();
    delivery.shutdown();
}

MidiResult WinMmInput::open(UINT device) {
    const unsigned count = std::max(limits_.buffers, 1u);
    for (unsigned i = 0; i < count; ++i) {
        auto buffer = std::make_unique<Buffer>();
        buffer->header.lpData = buffer->bytes.data();
        buffer->header.dwBufferLength = static_cast<DWORD>(buffer->bytes.size());
        buffer->header.dwUser = i;
        buffers_.push_back(std::move(buffer));
    }
    notes_.resize(buffers_.size() + kOtherNotes);
    worker_ = std::thread([this] { run(); });

    MMRESULT result = api_.inOpen(&device_, device, reinterpret_cast<DWORD_PTR>(&onWinMm),
                                  reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR) {
        device_ = nullptr;
        return fromWinMm(result);
    }
    for (std::size_t i = 0; i < buffers_.size(); ++i) {
        result = api_.inPrepareHeader(device_, &buffers_[i]->header);
        if (result != MMSYSERR_NOERROR) {
            while (i-- > 0) {
                api_.inUnprepareHeader(device_, &buffers_[i]->header);
            }
            api_.inClose(device_);
            device_ = nullptr;
            return fromWinMm(result);
        }
    }
    return midiresult::Ok;
}

MidiResult WinMmInput::start() {
    delivery.start();
    std::lock_guard queue(queueMutex_);
    requeue_ = true;
    for (const auto& buffer : buffers_) {
        {
            std::lock_guard guard(mutex_);
            if (buffer->place != Place::Home) {
                continue;
            }
            buffer->place = Place::Queued;  // before WinMM can hand it back
        }
        const MMRESULT result = api_.inAddBuffer(device_, &buffer->header);
        if (result != MMSYSERR_NOERROR) {
            std::lock_guard guard(mutex_);
            buffer->place = Place::Home;
            return fromWinMm(result);
        }
    }
    return fromWinMm(api_.inStart(device_));
}

MidiResult WinMmInput::stop() {
    // WinMM hands back a buffer it had begun to fill; it goes back into the queue as usual.
    const MMRESULT result = api_.inStop(device_);
    delivery.stop();
    return fromWinMm(result);
}

MidiResult WinMmInput::reset() {
    const MidiResult result = takeBuffersHome();
    note(Event::Reset, 0);
    delivery.reset();
    return result;
}

MidiResult WinMmInput::close() {
    const MidiResult home = takeBuffersHome();
    if (home == midiresult::StillPlaying) {
        endWorker();
        delivery.shutdown();
        return home;
    }
    for (const auto& buffer : buffers_) {
        api_.inUnprepareHeader(device_, &buffer->header);
    }
    const MMRESULT result = api_.inClose(device_);
    endWorker();
    delivery.shutdown();
    if (result == MMSYSERR_NOERROR) {
        device_ = nullptr;
    }
    return fromWinMm(result);
}

MidiResult WinMmInput::takeBuffersHome() {
    {
        std::lock_guard queue(queueMutex_);
        requeue_ = false;
    }
    // WinMM hands every buffer back through the callback, perhaps before it returns.
    const MMRESULT result = api_.inReset(device_);
    std::unique_lock guard(mutex_);
    const bool home = waitOnClock(
        home_, guard, clock_, clock_.nowUs() + std::int64_t{limits_.closeTimeoutMs} * 1000, [this] {
            return std::all_of(buffers_.begin(), buffers_.end(),
                               [](const auto& buffer) { return buffer->place == Place::Home; });
        });
    return home ? fromWinMm(result) : midiresult::StillPlaying;
}

void CALLBACK WinMmInput::onWinMm(HMIDIIN, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                  DWORD_PTR) {
    // A driver thread: note what came and wake the worker, nothing more.
    auto* self = reinterpret_cast<WinMmInput*>(instance);
    switch (message) {
        case MIM_LONGDATA:
        case MIM_LONGERROR: {
            const auto* header = reinterpret_cast<const MIDIHDR*>(param1);
            if (header == nullptr || header->dwUser >= self->buffers_.size() ||
                &self->buffers_[header->dwUser]->header != header) {
                return;
            }
            self->note(message == MIM_LONGDATA ? Event::Data : Event::Broken,
                       static_cast<unsigned>(header->dwUser));
            return;
        }
        case MIM_DATA:
            // Real-time bytes may stand inside a System Exclusive message; any other message
            // breaks it off.
            if ((param1 & 0xFF) < 0xF8) {
                self->note(Event::Interrupt, 0);
            }
            return;
        case MIM_ERROR:
            self->note(Event::Interrupt, 0);
            return;
        default:
            return;
    }
}

void WinMmInput::note(Event event, unsigned buffer) {
    std::lock_guard guard(mutex_);
    const bool forBuffer = event == Event::Data || event == Event::Broken;
    if (forBuffer) {
        buffers_[buffer]->place = Place::Returned;
    } else if (count_ > 0 && notes_[(first_ + count_ - 1) % notes_.size()].event == event) {
        return;  // one is as good as many
    }
    // Every buffer has a place of its own in the ring; the other notes share what is left.
    const std::size_t room = forBuffer ? notes_.size() : notes_.size() - buffers_.size();
    if (count_ >= room) {
        lostNote_ = true;
    } else {
        notes_[(first_ + count_) % notes_.size()] = Note{event, buffer};
        ++count_;
    }
    wake_.notify_one();
}

void WinMmInput::run() {
    std::unique_lock guard(mutex_);
    for (;;) {
        wake_.wait(guard, [this] { return stopping_ || count_ > 0 || lostNote_; });
        if (stopping_) {
            return;
        }
        Note next{Event::Interrupt, 0};
        if (lostNote_) {
            lostNote_ = false;
        } else {
            next = notes_[first_];
            first_ = (first_ + 1) % notes_.size();
            --count_;
        }
        guard.unlock();
        handle(next);
        guard.lock();
    }
}

void WinMmInput::handle(Note note) {
    switch (note.event) {
        case Event::Data: {
            const MIDIHDR& header = buffers_[note.buffer]->header;
            const DWORD length = std::min(header.dwBytesRecorded, header.dwBufferLength);
            assembler_.feed(reinterpret_cast<const unsigned char*>(header.lpData), length,
                            [this](const unsigned char* data, std::size_t size) {
                                if (data[0] == 0xF0) {  // real-time bytes: the port wants none
                                    delivery.receive(data, size);
                                }
                            });
            if (assembler_.takeOverlong() > 0) {
                delivery.reportError(midiresult::MessageTooLong);
            }
            if (assembler_.takeDamaged() > 0) {
                delivery.reportError(midiresult::MessageDamaged);
            }
            giveBack(note.buffer);
            return;
        }
        case Event::Broken:
            assembler_.breakOff();
            assembler_.takeDamaged();
            delivery.reportError(midiresult::MessageDamaged);
            giveBack(note.buffer);
            return;
        case Event::Interrupt:
            if (assembler_.inMessage()) {
                assembler_.breakOff();
                assembler_.takeDamaged();
                delivery.reportError(midiresult::MessageDamaged);
            }
            return;
        case Event::Reset:
            assembler_.breakOff();
            assembler_.takeDamaged();  // dropped on purpose, not damaged
            return;
    }
}

void WinMmInput::giveBack(unsigned index) {
    Buffer& buffer = *buffers_[index];
    MMRESULT result = MMSYSERR_NOERROR;
    {
        std::lock_guard queue(queueMutex_);
        {
            std::lock_guard guard(mutex_);
            buffer.place = requeue_ ? Place::Queued : Place::Home;
        }
        if (requeue_) {
            result = api_.inAddBuffer(device_, &buffer.header);
        }
        std::lock_guard guard(mutex_);
        if (result != MMSYSERR_NOERROR) {
            buffer.place = Place::Home;
        }
        home_.notify_all();
    }
    if (result != MMSYSERR_NOERROR) {
        delivery.reportError(fromWinMm(result));
    }
}

void WinMmInput::endWorker() {
    {
        std::lock_guard guard(mutex_);
        stopping_ = true;
        wake_.notify_all();
    }
    if (worker_.joinable()) {
        worker_.join();
    }
}

}  // namespace tessaline
