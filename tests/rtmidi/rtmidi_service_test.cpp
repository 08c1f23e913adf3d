#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/rtmidi/RtMidiService.h"
#include "sim/VirtualMidiService.h"
#include "tests/rtmidi/FakeBackend.h"

namespace tessaline::test {
namespace {

using Bytes = std::vector<unsigned char>;
using Clock = std::chrono::steady_clock;

// The receiving side as the port runs it: one buffer, requeued from the callback after each
// delivery that carried bytes.
class Receiver {
  public:
    Receiver(MidiService& service, unsigned bufferLength)
        : service_(service), storage_(bufferLength) {
        header_.data = storage_.data();
        header_.bufferLength = bufferLength;
    }

    MidiResult open(int device) {
        MidiResult result = service_.inOpen(&handle_, device, &Receiver::callback,
                                            reinterpret_cast<std::uintptr_t>(this));
        if (result != midiresult::Ok) {
            return result;
        }
        if ((result = service_.inPrepareHeader(handle_, &header_)) != midiresult::Ok ||
            (result = service_.inAddBuffer(handle_, &header_)) != midiresult::Ok) {
            return result;
        }
        return service_.inStart(handle_);
    }

    MidiResult close() {
        service_.inReset(handle_);
        service_.inUnprepareHeader(handle_, &header_);
        return service_.inClose(handle_);
    }

    bool waitFor(std::size_t count) {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, std::chrono::seconds(5),
                                 [&] { return deliveries_.size() >= count; });
    }

    std::vector<Bytes> deliveries() {
        std::lock_guard guard(mutex_);
        return deliveries_;
    }

    // Waits for `count` errors reported through MIM_ERROR and returns all there are.
    std::vector<MidiResult> errors(std::size_t count) {
        std::unique_lock guard(mutex_);
        changed_.wait_for(guard, std::chrono::seconds(5), [&] { return errors_.size() >= count; });
        return errors_;
    }

    MidiInHandle handle() const { return handle_; }

  private:
    static void callback(MidiInHandle handle, unsigned message, std::uintptr_t instance,
                         std::uintptr_t param1, std::uintptr_t) {
        auto* self = reinterpret_cast<Receiver*>(instance);
        if (message == MIM_ERROR) {
            std::lock_guard guard(self->mutex_);
            self->errors_.push_back(static_cast<MidiResult>(param1));
            self->changed_.notify_all();
            return;
        }
        auto* header = reinterpret_cast<MidiHeader*>(param1);
        if (message != MIM_LONGDATA || header->bytesRecorded == 0) {
            return;
        }
        {
            std::lock_guard guard(self->mutex_);
            self->deliveries_.emplace_back(header->data, header->data + header->bytesRecorded);
            self->changed_.notify_all();
        }
        self->service_.inPrepareHeader(handle, header);
        self->service_.inAddBuffer(handle, header);
    }

    MidiService& service_;
    std::vector<unsigned char> storage_;
    MidiHeader header_;
    MidiInHandle handle_ = MidiInHandle::None;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Bytes> deliveries_;
    std::vector<MidiResult> errors_;
};

BackendStarter starterFor(std::shared_ptr<FakeBackend> backend) {
    return [backend]() -> std::shared_ptr<MidiBackend> { return backend; };
}

RtMidiServiceOptions quickOptions() {
    RtMidiServiceOptions options;
    // Only the test of a hanging send ever reaches it; on a loaded machine a send that does
    // not hang may still take a while to be scheduled.
    options.sendTimeoutMs = 1000;
    return options;
}

std::vector<std::string> outputNames(MidiService& service) {
    std::vector<std::string> names;
    for (unsigned i = 0, n = service.outGetNumDevs(); i < n; ++i) {
        std::string name;
        EXPECT_EQ(service.outGetDevName(i, name), midiresult::Ok);
        names.push_back(name);
    }
    return names;
}

TEST(RtMidiService, SystemsThatCannotStartContributeNothing) {
    auto alsa = std::make_shared<FakeBackend>("alsa", std::vector<std::string>{"A in"},
                                              std::vector<std::string>{"A out 1", "A out 2"});
    auto jack = std::make_shared<FakeBackend>("jack", std::vector<std::string>{"J in"},
                                              std::vector<std::string>{"J out"});
    RtMidiService service(
        {[]() -> std::shared_ptr<MidiBackend> { throw std::runtime_error("no sequencer"); },
         starterFor(alsa), []() -> std::shared_ptr<MidiBackend> { return nullptr; },
         BackendStarter{}, starterFor(jack)});
    EXPECT_EQ(service.apiNames(), (std::vector<std::string>{"alsa", "jack"}));
    EXPECT_EQ(outputNames(service), (std::vector<std::string>{"A out 1", "A out 2", "J out"}));
    EXPECT_EQ(service.inGetNumDevs(), 2u);
    std::string name;
    ASSERT_EQ(service.inGetDevName(1, name), midiresult::Ok);
    EXPECT_EQ(name, "J in");

    // Number 2 is the third output: the first of the second system.
    MidiOutHandle out = MidiOutHandle::None;
    ASSERT_EQ(service.outOpen(&out, 2), midiresult::Ok);
    EXPECT_EQ(jack->openedOutputs, (std::vector<std::string>{"J out"}));
    EXPECT_TRUE(alsa->openedOutputs.empty());
    EXPECT_EQ(service.outClose(out), midiresult::Ok);
}

TEST(RtMidiService, OneLookListsEachSystemOnceAndEveryCountAndNameComesFromIt) {
    auto alsa = std::make_shared<FakeBackend>("alsa", std::vector<std::string>{"In A", "In B"},
                                              std::vector<std::string>{"Out A"});
    RtMidiService service({starterFor(alsa)});
    const DeviceListing listing = service.listDevices();
    EXPECT_EQ(listing.inputs, (std::vector<ListedDevice>{{"In A", 0}, {"In B", 0}}));
    // What the system lists later changes nothing until the next look: the numbers the caller
    // took from this one still name the same devices.
    alsa->setPorts({"In B"}, {"Out B", "Out A"});
    EXPECT_EQ(service.inGetNumDevs(), 2u);
    EXPECT_EQ(outputNames(service), (std::vector<std::string>{"Out A"}));
    std::string name;
    ASSERT_EQ(service.inGetDevName(1, name), midiresult::Ok);
    EXPECT_EQ(name, "In B");
    EXPECT_EQ(alsa->listings, 1);
    EXPECT_EQ(service.listDevices().outputs.size(), 2u);
    EXPECT_EQ(alsa->listings, 2);
}

TEST(RtMidiService, NumbersOutsideTheListAreRefusedByUs) {
    auto alsa = std::make_shared<FakeBackend>("alsa", std::vector<std::string>{"A in"},
                                              std::vector<std::string>{"A out"});
    RtMidiService service({starterFor(alsa)}, quickOptions());
    std::string name = "kept";
    EXPECT_EQ(service.inGetDevName(1, name), midiresult::BadDeviceId);
    EXPECT_EQ(service.outGetDevName(0x80000000u, name), midiresult::BadDeviceId);
    EXPECT_EQ(name, "kept");
    MidiOutHandle out = static_cast<MidiOutHandle>(5);
    EXPECT_EQ(service.outOpen(&out, 1), midiresult::BadDeviceId);
    EXPECT_EQ(out, MidiOutHandle::None);
    EXPECT_EQ(service.outOpen(&out, -1), midiresult::BadDeviceId);
    Receiver receiver(service, 64);
    EXPECT_EQ(receiver.open(1), midiresult::BadDeviceId);
    EXPECT_TRUE(alsa->openedOutputs.empty());
    EXPECT_TRUE(alsa->openedInputs.empty());

    // A device that left between the count and the open, and a backend's own refusal.
    EXPECT_EQ(service.inGetNumDevs(), 1u);
    alsa->setInputs({});
    EXPECT_EQ(receiver.open(0), midiresult::DeviceGone);
    alsa->openResult = midiresult::Allocated;
    EXPECT_EQ(service.outOpen(&out, 0), midiresult::Allocated);
    EXPECT_EQ(service.outShortMsg(static_cast<MidiOutHandle>(1), 0x05C0),
              midiresult::InvalidHandle);
}

TEST(RtMidiService, JoinsSysExSplitAcrossCallbacksAndDropsTheClockInside) {
    auto jack = std::make_shared<FakeBackend>("jack", std::vector<std::string>{"J in"},
                                              std::vector<std::string>{});
    RtMidiService service({starterFor(jack)}, quickOptions());
    Receiver receiver(service, 2048);
    ASSERT_EQ(receiver.open(0), midiresult::Ok);
    // One identity reply over two periods, a timing clock between them, and a note that the
    // port has no use for.
    jack->feed({0x90, 0x3C, 0x40});
    jack->feed({0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x43, 0x00, 0x41});
    jack->feed({0xF8});
    jack->feed({0x35, 0x06, 0xF8, 0x00, 0x00, 0x00, 0x01, 0xF7});
    ASSERT_TRUE(receiver.waitFor(1));
    EXPECT_EQ(receiver.deliveries(),
              (std::vector<Bytes>{{0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x43, 0x00, 0x41, 0x35, 0x06, 0x00,
                                   0x00, 0x00, 0x01, 0xF7}}));
    EXPECT_EQ(receiver.close(), midiresult::Ok);
    EXPECT_EQ(jack->inputsClosed.load(), 1);
}

TEST(RtMidiService, DeliversAMessageLongerThanTheBufferInBufferSizedPieces) {
    auto alsa = std::make_shared<FakeBackend>("alsa", std::vector<std::string>{"A in"},
                                              std::vector<std::string>{});
    RtMidiService service({starterFor(alsa)}, quickOptions());
    Receiver receiver(service, 2048);
    ASSERT_EQ(receiver.open(0), midiresult::Ok);
    Bytes dump(5000);
    for (std::size_t i = 0; i < dump.size(); ++i) {
        dump[i] = static_cast<unsigned char>(i % 0x70);
    }
    dump.front() = 0xF0;
    dump.back() = 0xF7;
    // As RtMidi hands it over on ALSA: in pieces of its own size.
    for (std::size_t at = 0; at < dump.size(); at += 1000) {
        alsa->feed(Bytes(dump.begin() + static_cast<long>(at),
                         dump.begin() + static_cast<long>(std::min(at + 1000, dump.size()))));
    }
    ASSERT_TRUE(receiver.waitFor(3));
    const std::vector<Bytes> pieces = receiver.deliveries();
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].size(), 2048u);
    EXPECT_EQ(pieces[1].size(), 2048u);
    EXPECT_EQ(pieces[2].size(), 904u);
    Bytes joined;
    for (const Bytes& piece : pieces) {
        joined.insert(joined.end(), piece.begin(), piece.end());
    }
    EXPECT_EQ(joined, dump);
    EXPECT_EQ(receiver.close(), midiresult::Ok);
}

// An endless System Exclusive message is cut at the limit with one error for the port, and
// what follows it arrives as usual; a message broken off, and a server that stops, are told
// the same way.
TEST(RtMidiService, AnOverlongMessageADamagedOneAndALostServerAreReportedOnceEach) {
    auto jack = std::make_shared<FakeBackend>("jack", std::vector<std::string>{"J in"},
                                              std::vector<std::string>{});
    RtMidiServiceOptions options = quickOptions();
    options.inputQueueBytes = 4u << 20;  // the whole flood fits: nothing is lost to a full queue
    RtMidiService service({starterFor(jack)}, options);
    Receiver receiver(service, 2048);
    ASSERT_EQ(receiver.open(0), midiresult::Ok);
    Bytes flood(64 * 1024, 0x11);
    flood.front() = 0xF0;
    jack->feed(flood);
    flood.front() = 0x11;
    for (int i = 0; i < 20; ++i) {  // 1.3 MiB in all, never ended
        jack->feed(flood);
    }
    const Bytes reply{0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x43, 0x00, 0x41,
                      0x35, 0x06, 0x00, 0x00, 0x00, 0x01, 0xF7};
    jack->feed({0xF0, 0x7E, 0x7F, 0x06});
    jack->feed({0x90, 0x3C, 0x40});  // from a second source: the reply under way is lost
    jack->feed({0x02, 0x43, 0xF7});
    jack->feed(reply);
    ASSERT_TRUE(receiver.waitFor(1));
    EXPECT_EQ(receiver.deliveries(), std::vector<Bytes>{reply});
    jack->lose(midiresult::ServerStopped);
    EXPECT_EQ(receiver.errors(3),
              (std::vector<MidiResult>{midiresult::MessageTooLong, midiresult::MessageDamaged,
                                       midiresult::ServerStopped}));
    EXPECT_EQ(receiver.close(), midiresult::Ok);
}

TEST(RtMidiService, SendsShortAndLongMessagesAndPassesFailuresOn) {
    auto alsa = std::make_shared<FakeBackend>("alsa", std::vector<std::string>{},
                                              std::vector<std::string>{"A out"});
    RtMidiService service({starterFor(alsa)}, quickOptions());
    MidiOutHandle out = MidiOutHandle::None;
    ASSERT_EQ(service.outOpen(&out, 0), midiresult::Ok);
    EXPECT_EQ(service.outShortMsg(out, 0x05C0), midiresult::Ok);
    EXPECT_EQ(service.outShortMsg(out, 0x3F00B0), midiresult::Ok);

    Bytes sysEx{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x0A, 0x00, 0x01, 0x01, 0xF7};
    MidiHeader header;
    header.data = sysEx.data();
    header.bufferLength = static_cast<unsigned>(sysEx.size());
    EXPECT_EQ(service.outLongMsg(out, &header), midiresult::Unprepared);
    ASSERT_EQ(service.outPrepareHeader(out, &header), midiresult::Ok);
    ASSERT_EQ(service.outLongMsg(out, &header), midiresult::Ok);
    EXPECT_NE(header.flags & MHDR_DONE, 0u);
    EXPECT_EQ(alsa->sent(), (std::vector<Bytes>{{0xC0, 0x05}, {0xB0, 0x00, 0x3F}, sysEx}));

    alsa->sendResult = midiresult::DeviceGone;
    EXPECT_EQ(service.outLongMsg(out, &header), midiresult::DeviceGone);
    EXPECT_EQ(service.outUnprepareHeader(out, &header), midiresult::Ok);
    EXPECT_EQ(service.outClose(out), midiresult::Ok);
    EXPECT_EQ(alsa->outputsClosed.load(), 1);
    EXPECT_EQ(service.outClose(out), midiresult::InvalidHandle);
}

// Sends until the port no longer answers that a late call holds it.
MidiResult sendOnceFree(MidiService& service, MidiOutHandle out, std::uint32_t message) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    MidiResult result = midiresult::NotReady;
    while ((result = service.outShortMsg(out, message)) == midiresult::NotReady &&
           Clock::now() < deadline) {
        std::this_thread::yield();
    }
    return result;
}

// A send that overruns its bound while it waits for room is withdrawn: it never goes out, and
// the port works again once the late call has returned. One that overruns while it hands its
// message on may still deliver it, so it is not called unsent, and nothing overtakes it.
TEST(RtMidiService, ASendThatOverrunsItsBoundNeverGoesOutLaterAndThePortHeals) {
    auto jack = std::make_shared<FakeBackend>("jack", std::vector<std::string>{},
                                              std::vector<std::string>{"J out"});
    {
        RtMidiService service({starterFor(jack)}, quickOptions());
        MidiOutHandle out = MidiOutHandle::None;
        ASSERT_EQ(service.outOpen(&out, 0), midiresult::Ok);
        jack->hangSends();
        EXPECT_EQ(service.outShortMsg(out, 0x05C0), midiresult::TimedOut);
        EXPECT_EQ(service.outShortMsg(out, 0x06C0), midiresult::NotReady);
        jack->releaseHang();
        EXPECT_EQ(sendOnceFree(service, out, 0x07C0), midiresult::Ok);

        jack->hangSends(true);
        EXPECT_EQ(service.outShortMsg(out, 0x08C0), midiresult::StillPlaying);
        EXPECT_EQ(service.outShortMsg(out, 0x09C0), midiresult::NotReady);
        EXPECT_EQ(service.outClose(out), midiresult::TimedOut);
        jack->releaseHang();
    }
    // The late call returned; the port it held went with it.
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (jack->outputsClosed.load() < 1 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(jack->outputsClosed.load(), 1);
    EXPECT_EQ(jack->sent(), (std::vector<Bytes>{{0xC0, 0x07}, {0xC0, 0x08}}));
}

// A backend that may wait for room by itself is outwaited, whatever shorter bound was asked.
TEST(RtMidiService, ASendOutwaitsTheBackendsOwnWaitForRoom) {
    auto alsa = std::make_shared<FakeBackend>("alsa", std::vector<std::string>{},
                                              std::vector<std::string>{"A out"});
    alsa->sendWaitMs = 60000;
    RtMidiServiceOptions options = quickOptions();
    options.sendTimeoutMs = 1;
    RtMidiService service({starterFor(alsa)}, options);
    MidiOutHandle out = MidiOutHandle::None;
    ASSERT_EQ(service.outOpen(&out, 0), midiresult::Ok);
    alsa->hangSends();
    auto sent = std::async(std::launch::async, [&] { return service.outShortMsg(out, 0x05C0); });
    while (alsa->sendsBegun.load() == 0) {
        std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // far past the asked bound
    alsa->releaseHang();
    EXPECT_EQ(sent.get(), midiresult::Ok);
    EXPECT_EQ(alsa->sent(), (std::vector<Bytes>{{0xC0, 0x05}}));
    EXPECT_EQ(service.outClose(out), midiresult::Ok);
}

TEST(RtMidiService, ClosesCleanlyWhileInputKeepsArriving) {
    auto jack = std::make_shared<FakeBackend>("jack", std::vector<std::string>{"J in"},
                                              std::vector<std::string>{});
    // A short System Exclusive message with a clock inside, sent as fast as it can be.
    jack->streamWhileOpen = {0xF0, 0x7E, 0x7F, 0xF8, 0x06, 0x01, 0xF7};
    auto service = std::make_unique<RtMidiService>(std::vector<BackendStarter>{starterFor(jack)},
                                                   quickOptions());
    for (int round = 0; round < 20; ++round) {
        Receiver receiver(*service, 2048);
        ASSERT_EQ(receiver.open(0), midiresult::Ok);
        ASSERT_TRUE(receiver.waitFor(1));
        ASSERT_EQ(receiver.close(), midiresult::Ok);
        EXPECT_EQ(receiver.deliveries().front(), (Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}));
    }
    EXPECT_EQ(jack->inputsClosed.load(), 20);

    // Left open, the service closes it itself.
    Receiver receiver(*service, 2048);
    ASSERT_EQ(receiver.open(0), midiresult::Ok);
    ASSERT_TRUE(receiver.waitFor(1));
    service.reset();
    EXPECT_EQ(jack->inputsClosed.load(), 21);
}

// Under a program's deadline, a MIDI system that hangs while it starts or while it lets its
// clients go (a JACK server held up by a frozen client) holds the program no longer: the call
// is left to end on its own, and a system not started in time has no devices.
TEST(RtMidiService, UnderADeadlineAHangingSystemIsLeftToItself) {
    auto gate = std::make_shared<std::promise<void>>();
    const std::shared_future<void> opened = gate->get_future().share();
    auto goesAtTheGate = [opened](std::shared_ptr<std::promise<void>> gone) {
        return std::shared_ptr<MidiBackend>(new FakeBackend("jack", {"J in"}, {"J out"}),
                                            [opened, gone](MidiBackend* backend) {
                                                opened.wait();
                                                delete backend;
                                                gone->set_value();
                                            });
    };
    auto firstGone = std::make_shared<std::promise<void>>();
    auto lateGone = std::make_shared<std::promise<void>>();
    MidiDeadline deadline{(Clock::now() + std::chrono::hours(1)).time_since_epoch().count()};
    RtMidiServiceOptions options = quickOptions();
    options.deadline = &deadline;

    auto service =
        std::make_unique<RtMidiService>(std::vector<BackendStarter>{[goesAtTheGate, firstGone] {
                                            return goesAtTheGate(firstGone);
                                        }},
                                        options);
    EXPECT_EQ(service->outGetNumDevs(), 1u);
    deadline.store(Clock::now().time_since_epoch().count());
    service.reset();

    RtMidiService late({[goesAtTheGate, opened, lateGone] {
                           opened.wait();
                           return goesAtTheGate(lateGone);
                       }},
                       options);
    EXPECT_TRUE(late.apiNames().empty());
    EXPECT_EQ(late.inGetNumDevs(), 0u);

    gate->set_value();
    EXPECT_EQ(firstGone->get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(lateGone->get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
}

// A short message goes out the same on a real output and into a virtual instrument: refused
// where its status byte cannot stand alone, its data bytes cut to 7 bits, as many as the status
// byte takes. (The virtual instrument counts what reaches it; the real output records bytes.)
TEST(ShortMessages, RealAndVirtualOutputsKeepOneRule) {
    struct Case {
        std::uint32_t packed;
        Bytes wire;  // empty: refused with InvalidParam
    };
    const Case cases[] = {
        {0x3F00B0, {0xB0, 0x00, 0x3F}},
        {0x05C0, {0xC0, 0x05}},
        {0x7F05D0, {0xD0, 0x05}},
        {0x12403CE0, {0xE0, 0x3C, 0x40}},
        {0xC0FFB0, {0xB0, 0x7F, 0x40}},
        {0x40F1, {0xF1, 0x40}},
        {0x7F7FF2, {0xF2, 0x7F, 0x7F}},
        {0x05F3, {0xF3, 0x05}},
        {0x0102F6, {0xF6}},
        {0x0102F8, {0xF8}},
        {0xFF, {0xFF}},
        {0x0040, {}},
        {0x00F0, {}},
        {0x00F7, {}},
        {0x00F4, {}},
        {0x00F5, {}},
        {0x00F9, {}},
        {0x00FD, {}},
    };
    auto alsa = std::make_shared<FakeBackend>("alsa", std::vector<std::string>{},
                                              std::vector<std::string>{"A out"});
    RtMidiService real({starterFor(alsa)}, quickOptions());
    VirtualMidiService virtualInstruments;
    MidiOutHandle realOut = MidiOutHandle::None;
    MidiOutHandle virtualOut = MidiOutHandle::None;
    ASSERT_EQ(real.outOpen(&realOut, 0), midiresult::Ok);
    ASSERT_EQ(virtualInstruments.outOpen(&virtualOut, 0), midiresult::Ok);
    const VirtualInstrument& instrument = *virtualInstruments.instrument(0);

    for (const Case& c : cases) {
        const MidiResult expected = c.wire.empty() ? midiresult::InvalidParam : midiresult::Ok;
        const std::size_t sentBefore = alsa->sent().size();
        const int receivedBefore = instrument.receivedCount();
        EXPECT_EQ(real.outShortMsg(realOut, c.packed), expected) << std::hex << c.packed;
        EXPECT_EQ(virtualInstruments.outShortMsg(virtualOut, c.packed), expected)
            << std::hex << c.packed;
        ASSERT_TRUE(virtualInstruments.waitIdle());
        const std::vector<Bytes> sent = alsa->sent();
        EXPECT_EQ(Bytes(sent.size() > sentBefore ? sent.back() : Bytes{}), c.wire)
            << std::hex << c.packed;
        EXPECT_EQ(instrument.receivedCount() - receivedBefore, c.wire.empty() ? 0 : 1)
            << std::hex << c.packed;
    }
}

}  // namespace
}  // namespace tessaline::test
