#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/winmm/WinMmMidiService.h"
#include "tests/winmm/FakeWinMm.h"

namespace tessaline::test {
namespace {

using Bytes = std::vector<unsigned char>;

// The receiving side as the port runs it: one 2048-byte buffer, queued again from the callback
// after each delivery that carried bytes.
class Receiver {
  public:
    explicit Receiver(MidiService& service) : service_(service) {
        header_.data = storage_.data();
        header_.bufferLength = static_cast<unsigned>(storage_.size());
    }

    MidiResult open(int device) {
        MidiResult result = service_.inOpen(&handle_, device, &Receiver::callback,
                                            reinterpret_cast<std::uintptr_t>(this));
        if (result == midiresult::Ok &&
            (result = service_.inPrepareHeader(handle_, &header_)) == midiresult::Ok &&
            (result = service_.inAddBuffer(handle_, &header_)) == midiresult::Ok) {
            result = service_.inStart(handle_);
        }
        return result;
    }

    // As the port closes: every step, whatever the one before answered.
    std::vector<MidiResult> close() {
        return {service_.inReset(handle_), service_.inStop(handle_),
                service_.inUnprepareHeader(handle_, &header_), service_.inClose(handle_)};
    }

    // Waits until `count` deliveries and `errors` errors have come, and returns the deliveries.
    std::vector<Bytes> deliveries(std::size_t count, std::size_t errors = 0) {
        std::unique_lock guard(mutex_);
        changed_.wait_for(guard, std::chrono::seconds(5),
                          [&] { return deliveries_.size() >= count && errors_.size() >= errors; });
        return deliveries_;
    }
    std::vector<MidiResult> errors() {
        std::lock_guard guard(mutex_);
        return errors_;
    }

  private:
    static void callback(MidiInHandle handle, unsigned message, std::uintptr_t instance,
                         std::uintptr_t param1, std::uintptr_t) {
        auto* self = reinterpret_cast<Receiver*>(instance);
        std::unique_lock guard(self->mutex_);
        if (message == MIM_ERROR) {
            self->errors_.push_back(static_cast<MidiResult>(param1));
        } else if (message == MIM_LONGDATA) {
            auto* header = reinterpret_cast<MidiHeader*>(param1);
            if (header->bytesRecorded == 0) {
                return;
            }
            self->deliveries_.emplace_back(header->data, header->data + header->bytesRecorded);
            guard.unlock();
            self->service_.inPrepareHeader(handle, header);
            self->service_.inAddBuffer(handle, header);
            guard.lock();
        }
        self->changed_.notify_all();
    }

    MidiService& service_;
    std::vector<unsigned char> storage_ = std::vector<unsigned char>(2048);
    MidiHeader header_;
    MidiInHandle handle_ = MidiInHandle::None;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Bytes> deliveries_;
    std::vector<MidiResult> errors_;
};

Bytes sysEx(std::size_t length, unsigned char fill) {
    Bytes message(length, fill);
    message.front() = 0xF0;
    message.back() = 0xF7;
    return message;
}

Bytes joined(const std::vector<Bytes>& pieces) {
    Bytes all;
    for (const Bytes& piece : pieces) {
        all.insert(all.end(), piece.begin(), piece.end());
    }
    return all;
}

class WinMmService : public ::testing::Test {
  protected:
    WinMmServiceOptions options() {
        WinMmServiceOptions options;
        options.api = &winmm;
        options.clock = &clock;
        options.inputBuffers = 2;  // fewer than most messages below need: each must come back
        return options;
    }

    WatchedClock clock;
    FakeWinMm winmm{
        {"Port In", "A port whose name is longer than WinMM's 32 bytes"}, {"Port Out"}, clock};
};

TEST_F(WinMmService, ListsWinMmsDevicesAndRefusesNumbersOutsideThem) {
    WinMmMidiService service(options());
    std::string name;
    ASSERT_EQ(service.inGetNumDevs(), 2u);
    EXPECT_EQ(service.inGetDevName(1, name), midiresult::Ok);
    EXPECT_EQ(name, "A port whose name is longer than");
    EXPECT_EQ(service.inGetDevName(2, name), midiresult::BadDeviceId);
    EXPECT_EQ(service.outGetDevName(0, name), midiresult::Ok);
    EXPECT_EQ(name, "Port Out");

    // -1 is WinMM's mapper, never a device of our lists.
    MidiInHandle in = MidiInHandle::None;
    MidiOutHandle out = MidiOutHandle::None;
    Receiver receiver(service);
    EXPECT_EQ(service.outOpen(&out, -1), midiresult::BadDeviceId);
    EXPECT_EQ(service.inOpen(
                  &in, -1,
                  [](MidiInHandle, unsigned, std::uintptr_t, std::uintptr_t, std::uintptr_t) {}, 0),
              midiresult::BadDeviceId);
    EXPECT_EQ(receiver.open(2), midiresult::BadDeviceId);

    // WinMM's own codes have WinMM's texts; ours beyond them have our own.
    EXPECT_EQ(service.inGetErrorText(midiresult::BadDeviceId), "Input error 2");
    EXPECT_EQ(service.outGetErrorText(midiresult::NotReady), "Output error 67");
    EXPECT_EQ(service.inGetErrorText(midiresult::MessageTooLong),
              midiResultText(midiresult::MessageTooLong, true));
}

// A message longer than a buffer arrives in several, fewer buffers than pieces are queued, and
// clock bytes come between: the port gets the message whole, in pieces of its own buffer.
TEST_F(WinMmService, JoinsSysExAcrossRequeuedBuffersAndClosesOnlyWithEveryBufferBack) {
    winmm.inputResetReturnsLater = true;
    WinMmMidiService service(options());
    Receiver receiver(service);
    ASSERT_EQ(receiver.open(0), midiresult::Ok);
    const Bytes dump = sysEx(5000, 0x2A);
    const Bytes reply{0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x43, 0xF7};
    ASSERT_TRUE(winmm.receive(Bytes(dump.begin(), dump.begin() + 3000)));
    winmm.receiveShort(0xF8);
    ASSERT_TRUE(winmm.receive(Bytes(dump.begin() + 3000, dump.end())));
    ASSERT_TRUE(winmm.receive(reply));

    const std::vector<Bytes> got = receiver.deliveries(4);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(joined({got[0], got[1], got[2]}), dump);
    EXPECT_EQ(got[3], reply);
    EXPECT_TRUE(receiver.errors().empty());

    EXPECT_THAT(receiver.close(), ::testing::Each(midiresult::Ok));
    EXPECT_EQ(winmm.queuedInputs(), 0u);
    EXPECT_EQ(winmm.preparedAtClose(), 0);
    EXPECT_EQ(winmm.refused(), 0);
}

TEST_F(WinMmService, AnOverlongMessageAndBrokenOnesAreReportedAndInputGoesOn) {
    WinMmMidiService service(options());
    Receiver receiver(service);
    ASSERT_EQ(receiver.open(0), midiresult::Ok);
    // Alike errors in a row may pass for one flood of them, so none follow each other here.
    ASSERT_TRUE(winmm.receive({0xF0, 0x43, 0x10}, MIM_LONGERROR));
    Bytes flood(1u << 20, 0x11);  // with its F0 and F7, two bytes over the bound
    flood.front() = 0xF0;
    ASSERT_TRUE(winmm.receive(flood));
    ASSERT_TRUE(winmm.receive({0xF7}));
    ASSERT_TRUE(winmm.receive({0xF0, 0x43, 0x10}));
    winmm.receiveShort(0x403C90);  // a note breaks it off
    ASSERT_TRUE(winmm.receive({0x7F, 0xF7}));
    const Bytes after = sysEx(300, 0x05);
    ASSERT_TRUE(winmm.receive(after));

    EXPECT_EQ(receiver.deliveries(1, 3), std::vector<Bytes>{after});
    EXPECT_EQ(receiver.errors(),
              (std::vector<MidiResult>{midiresult::MessageDamaged, midiresult::MessageTooLong,
                                       midiresult::MessageDamaged}));
    EXPECT_THAT(receiver.close(), ::testing::Each(midiresult::Ok));
}

TEST_F(WinMmService, ALongSendReturnsOnceWinMmHandsItsOwnBufferBack) {
    winmm.send = FakeWinMm::Send::DoneLater;
    // At cable speed a long message takes longer than the bare bound; it is waited for.
    winmm.sendTakesUs = 2000 * 1000 + 10000 * 300;
    WinMmMidiService service(options());
    MidiOutHandle out = MidiOutHandle::None;
    ASSERT_EQ(service.outOpen(&out, 0), midiresult::Ok);
    Bytes message = sysEx(10000, 0x01);
    MidiHeader header;
    header.data = message.data();
    header.bufferLength = static_cast<unsigned>(message.size());
    EXPECT_EQ(service.outLongMsg(out, &header), midiresult::Unprepared);
    ASSERT_EQ(service.outPrepareHeader(out, &header), midiresult::Ok);
    EXPECT_EQ(service.outLongMsg(out, &header), midiresult::Ok);
    EXPECT_NE(header.flags & MHDR_DONE, 0u);
    EXPECT_EQ(service.outUnprepareHeader(out, &header), midiresult::Ok);
    EXPECT_EQ(service.outShortMsg(out, 0x05C0), midiresult::Ok);
    EXPECT_EQ(service.outShortMsg(out, 0x05F0), midiresult::InvalidParam);
    EXPECT_EQ(service.outClose(out), midiresult::Ok);

    EXPECT_EQ(winmm.sent(), std::vector<Bytes>{message});
    EXPECT_EQ(winmm.log(), (std::vector<std::string>{"prepare", "long", "done", "unprepare",
                                                     "short 1472", "close"}));
    EXPECT_EQ(winmm.refused(), 0);
}

// A send that WinMM gives back when told to reset never goes out later: TimedOut. One that it
// keeps may still go out: StillPlaying, and the port answers NotReady until WinMM lets go.
TEST_F(WinMmService, ASendThatOverrunsItsBoundIsWithdrawnOrHeldUntilWinMmLetsGo) {
    WinMmMidiService service(options());
    MidiOutHandle out = MidiOutHandle::None;
    ASSERT_EQ(service.outOpen(&out, 0), midiresult::Ok);
    Bytes message = sysEx(12, 0x02);
    MidiHeader header;
    header.data = message.data();
    header.bufferLength = static_cast<unsigned>(message.size());
    ASSERT_EQ(service.outPrepareHeader(out, &header), midiresult::Ok);

    winmm.send = FakeWinMm::Send::Hang;
    EXPECT_EQ(service.outLongMsg(out, &header), midiresult::TimedOut);
    winmm.onOutputReset = FakeWinMm::OnReset::Keep;
    EXPECT_EQ(service.outLongMsg(out, &header), midiresult::StillPlaying);
    EXPECT_EQ(service.outShortMsg(out, 0x05C0), midiresult::NotReady);
    EXPECT_EQ(service.outLongMsg(out, &header), midiresult::NotReady);
    winmm.letGoLate();
    winmm.send = FakeWinMm::Send::DoneAtOnce;
    EXPECT_EQ(service.outShortMsg(out, 0x06C0), midiresult::Ok);
    EXPECT_EQ(service.outClose(out), midiresult::Ok);

    EXPECT_EQ(winmm.log(), (std::vector<std::string>{"prepare", "long", "reset", "done",
                                                     "unprepare", "prepare", "long", "reset",
                                                     "done", "unprepare", "short 1728", "close"}));
    EXPECT_EQ(winmm.refused(), 0);
}

// The system's own WinMM, with whatever devices this machine has.
TEST(SystemWinMm, RefusesADeviceBeyondItsListInItsOwnWords) {
    WinMmMidiService service;
    Receiver receiver(service);
    MidiOutHandle out = MidiOutHandle::None;
    EXPECT_EQ(receiver.open(static_cast<int>(service.inGetNumDevs())), midiresult::BadDeviceId);
    EXPECT_EQ(service.outOpen(&out, static_cast<int>(service.outGetNumDevs())),
              midiresult::BadDeviceId);
    char text[MAXERRORLENGTH] = {};
    ASSERT_EQ(midiInGetErrorTextA(MMSYSERR_BADDEVICEID, text, sizeof text), MMSYSERR_NOERROR);
    EXPECT_EQ(service.inGetErrorText(midiresult::BadDeviceId), text);
    EXPECT_NE(service.inGetErrorText(midiresult::BadDeviceId),
              midiResultText(midiresult::BadDeviceId, true));
}

}  // namespace
}  // namespace tessaline::test
