#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <numeric>

#include "midi/MidiPort.h"
#include "platform/NoticeQueue.h"
#include "sim/VirtualMidiService.h"
#include "synth/ModelFamily.h"
#include "tests/sim/SimTestSupport.h"
#include "tests/support/Fakes.h"

namespace tessaline::test {
namespace {

constexpr int kWaitMs = 5000;
const Bytes kIdentityRequest{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7};

// One open input with a single buffer that the callback queues again, as the port does.
class Listener {
  public:
    Listener(VirtualMidiService& service, int device) : service_(service) {
        EXPECT_EQ(service.inOpen(&handle_, device, &Listener::callback,
                                 reinterpret_cast<std::uintptr_t>(this)),
                  midiresult::Ok);
        header_.data = buffer_;
        header_.bufferLength = sizeof buffer_;
        EXPECT_EQ(service.inPrepareHeader(handle_, &header_), midiresult::Ok);
        EXPECT_EQ(service.inAddBuffer(handle_, &header_), midiresult::Ok);
        EXPECT_EQ(service.inStart(handle_), midiresult::Ok);
    }
    ~Listener() {
        service_.inReset(handle_);
        service_.inUnprepareHeader(handle_, &header_);
        service_.inClose(handle_);
    }

    // The messages received so far, once at least `count` have arrived (or the time is up).
    std::vector<Bytes> waitFor(std::size_t count, int timeoutMs = kWaitMs) {
        std::unique_lock guard(mutex_);
        arrived_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                          [&] { return received_.size() >= count; });
        return received_;
    }
    std::vector<Bytes> received() {
        std::lock_guard guard(mutex_);
        return received_;
    }

  private:
    static void callback(MidiInHandle handle, unsigned message, std::uintptr_t instance,
                         std::uintptr_t param1, std::uintptr_t) {
        auto* self = reinterpret_cast<Listener*>(instance);
        auto* header = reinterpret_cast<MidiHeader*>(param1);
        if (message != MIM_LONGDATA || header->bytesRecorded == 0) {
            return;
        }
        {
            std::lock_guard guard(self->mutex_);
            self->received_.emplace_back(header->data, header->data + header->bytesRecorded);
            self->arrived_.notify_all();
        }
        self->service_.inAddBuffer(handle, header);
    }

    VirtualMidiService& service_;
    MidiInHandle handle_ = MidiInHandle::None;
    MidiHeader header_;
    unsigned char buffer_[2048] = {};
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Bytes> received_;
};

class Sender {
  public:
    Sender(VirtualMidiService& service, int device) : service_(service) {
        EXPECT_EQ(service.outOpen(&handle_, device), midiresult::Ok);
    }
    ~Sender() { service_.outClose(handle_); }
    void send(Bytes bytes) {
        MidiHeader header;
        header.data = bytes.data();
        header.bufferLength = static_cast<unsigned>(bytes.size());
        ASSERT_EQ(service_.outPrepareHeader(handle_, &header), midiresult::Ok);
        ASSERT_EQ(service_.outLongMsg(handle_, &header), midiresult::Ok);
        ASSERT_EQ(service_.outUnprepareHeader(handle_, &header), midiresult::Ok);
    }
    void sendShort(unsigned status, unsigned data1, unsigned data2 = 0) {
        ASSERT_EQ(service_.outShortMsg(handle_, status | data1 << 8 | data2 << 16), midiresult::Ok);
    }

  private:
    VirtualMidiService& service_;
    MidiOutHandle handle_ = MidiOutHandle::None;
};

TEST(VirtualMidiService, ListsOneInstrumentPerFamilyEsFirst) {
    VirtualMidiService service;
    const std::vector<std::string> expected = {
        "Virtual Motif ES7 (simulated)", "Virtual Motif 7 (simulated)",
        "Virtual Motif Rack (simulated)", "Virtual S90 (simulated)"};
    ASSERT_EQ(service.inGetNumDevs(), 4u);
    ASSERT_EQ(service.outGetNumDevs(), 4u);
    const char* models[] = {"Motif ES7", "Motif 7", "Motif Rack", "S90"};
    for (unsigned k = 0; k < 4; ++k) {
        std::string in, out;
        EXPECT_EQ(service.inGetDevName(k, in), midiresult::Ok);
        EXPECT_EQ(service.outGetDevName(k, out), midiresult::Ok);
        EXPECT_EQ(in, expected[k]);
        EXPECT_EQ(out, expected[k]);
        EXPECT_STREQ(service.instrument(static_cast<int>(k))->model().displayName, models[k]);
    }
    std::string name = "unchanged";
    EXPECT_EQ(service.inGetDevName(4, name), midiresult::BadDeviceId);
    EXPECT_EQ(service.outGetDevName(4, name), midiresult::BadDeviceId);
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(service.instrument(4), nullptr);
    EXPECT_EQ(service.instrument(-1), nullptr);
}

void ignoreInput(MidiInHandle, unsigned, std::uintptr_t, std::uintptr_t, std::uintptr_t) {}

TEST(VirtualMidiService, HandlesDevicesAndHeadersAreChecked) {
    VirtualMidiService service;
    MidiOutHandle out = MidiOutHandle::None;
    MidiInHandle in = MidiInHandle::None;
    EXPECT_EQ(service.outOpen(&out, 4), midiresult::BadDeviceId);
    EXPECT_EQ(service.outOpen(&out, -1), midiresult::BadDeviceId);
    EXPECT_EQ(service.inOpen(&in, 4, &ignoreInput, 0), midiresult::BadDeviceId);
    EXPECT_EQ(out, MidiOutHandle::None);

    ASSERT_EQ(service.outOpen(&out, 1), midiresult::Ok);
    Bytes request = kIdentityRequest;
    MidiHeader header;
    header.data = request.data();
    header.bufferLength = static_cast<unsigned>(request.size());
    EXPECT_EQ(service.outLongMsg(out, &header), midiresult::Unprepared);
    const auto bogus = static_cast<MidiOutHandle>(9999);
    EXPECT_EQ(service.outPrepareHeader(bogus, &header), midiresult::InvalidHandle);
    EXPECT_EQ(service.outShortMsg(bogus, 0x05C0), midiresult::InvalidHandle);
    ASSERT_EQ(service.outPrepareHeader(out, &header), midiresult::Ok);
    EXPECT_EQ(service.outLongMsg(bogus, &header), midiresult::InvalidHandle);
    EXPECT_EQ(service.outLongMsg(out, &header), midiresult::Ok);
    EXPECT_EQ(service.outUnprepareHeader(out, &header), midiresult::Ok);
    EXPECT_EQ(service.outLongMsg(out, &header), midiresult::Unprepared);
    EXPECT_EQ(service.outClose(out), midiresult::Ok);
    EXPECT_EQ(service.outClose(out), midiresult::InvalidHandle);
    EXPECT_EQ(service.outShortMsg(out, 0x05C0), midiresult::InvalidHandle);

    const auto noInput = static_cast<MidiInHandle>(9999);
    EXPECT_EQ(service.inStart(noInput), midiresult::InvalidHandle);
    EXPECT_EQ(service.inPrepareHeader(noInput, &header), midiresult::InvalidHandle);
    EXPECT_EQ(service.inClose(noInput), midiresult::InvalidHandle);
    ASSERT_EQ(service.inOpen(&in, 2, &ignoreInput, 0), midiresult::Ok);
    EXPECT_EQ(service.inAddBuffer(in, &header), midiresult::Unprepared);
    EXPECT_EQ(service.inClose(in), midiresult::Ok);
    EXPECT_EQ(service.inClose(in), midiresult::InvalidHandle);

    // Only the one request that went out was seen by instrument 1.
    ASSERT_TRUE(service.waitIdle());
    EXPECT_EQ(service.instrument(1)->receivedCount(), 1);
}

TEST(VirtualMidiService, EachDeviceAnswersAsItsOwnModelOnItsOwnInputs) {
    VirtualMidiService service;
    Listener es(service, 0);
    Listener esAgain(service, 0);
    Listener rack(service, 2);
    Sender toEs(service, 0);
    toEs.send(kIdentityRequest);
    const std::vector<Bytes> replies = es.waitFor(1);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0], service.instrument(0)->identityReply());
    EXPECT_EQ(replies[0][8], 0x6A);
    EXPECT_EQ(esAgain.waitFor(1), replies);
    ASSERT_TRUE(service.waitIdle());
    EXPECT_TRUE(rack.received().empty());

    const unsigned char bytes8[] = {0x6A, 0x7D, 0x58, 0x05};
    const unsigned char bytes9[] = {0x05, 0x04, 0x04, 0x2A};
    for (int k = 1; k < 4; ++k) {
        SCOPED_TRACE(k);
        Listener in(service, k);
        Sender out(service, k);
        out.send(kIdentityRequest);
        const std::vector<Bytes> got = in.waitFor(1);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0][8], bytes8[k]);
        EXPECT_EQ(got[0][9], bytes9[k]);
    }
}

TEST(VirtualMidiService, ShortMessagesSelectAVoiceAndItsDumpArrivesWhole) {
    VirtualMidiService service(false, 77);
    VirtualInstrument& instrument = *service.instrument(3);  // S90
    Listener in(service, 3);
    Sender out(service, 3);
    out.send(parameterChange(instrument, 0x0A0001, {0x00}));
    out.sendShort(0xB0, 0x00, 0x3F);
    out.sendShort(0xB0, 0x20, 0x02);  // PRE3
    out.sendShort(0xC0, 0x21);
    out.send(dumpRequest(instrument, 0x0E0F00));
    out.send(dumpRequest(instrument, 0x360000));
    out.send(dumpRequest(instrument, 0x0F0F00));
    const std::vector<Bytes> got = in.waitFor(6);
    ASSERT_EQ(got.size(), 6u);
    const BlockMap voice = instrument.storedVoice(2, 0x21);
    const unsigned addresses[] = {0x407000, 0x400000, 0x400100, 0x400200};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(blockAddress(got[i + 1], 1), addresses[i]);
        EXPECT_EQ(blockData(got[i + 1], 1), voice.at(addresses[i]));
    }
    ASSERT_TRUE(service.waitIdle());
    EXPECT_EQ(instrument.ignored().total(), 2);  // the middle and last requests of the triple
    EXPECT_EQ(in.received().size(), 6u);
}

TEST(VirtualMidiService, ManyRepliesArriveInOrderWhileMemoryIsInspected) {
    VirtualMidiService service;
    VirtualInstrument& instrument = *service.instrument(0);
    Listener in(service, 0);
    Sender out(service, 0);
    constexpr int kDumps = 40;
    for (int i = 0; i < kDumps; ++i) {
        out.send(parameterChange(instrument, 0x300000, {static_cast<unsigned char>(i)}));
        out.send(dumpRequest(instrument, 0x0E4F00));
        // Reading from this thread while the instrument works on its own.
        EXPECT_TRUE(instrument.block(0x300000).has_value());
    }
    const std::vector<Bytes> got = in.waitFor(kDumps * 10);
    ASSERT_EQ(got.size(), static_cast<std::size_t>(kDumps) * 10u);
    for (int i = 0; i < kDumps; ++i) {
        const Bytes& common = got[static_cast<std::size_t>(i) * 10 + 1];
        ASSERT_EQ(blockAddress(common, 2), 0x300000u);
        EXPECT_EQ(blockData(common, 2)[0], i);
    }
}

TEST(VirtualMidiService, WirePacingWaitsOnTheSendingAndTheReplyingSide) {
    RecordingClock clock;
    {
        VirtualMidiService service(true, 1, &clock);
        EXPECT_TRUE(service.wirePacing());
        Listener in(service, 1);
        Sender out(service, 1);
        out.send(kIdentityRequest);
        out.send(kIdentityRequest);
        in.waitFor(2);
        ASSERT_TRUE(service.waitIdle());
    }
    // Sent 12 bytes (3.84 ms, whole ms 3), replied 30 bytes (9.6 ms, whole ms 9).
    const std::vector<int> waits = clock.waits();
    EXPECT_EQ(std::accumulate(waits.begin(), waits.end(), 0), 12);

    RecordingClock unpaced;
    {
        VirtualMidiService service(false, 1, &unpaced);
        Listener in(service, 1);
        Sender out(service, 1);
        out.send(kIdentityRequest);
        in.waitFor(1);
    }
    EXPECT_TRUE(unpaced.waits().empty());
}

// No message needs to come after a freeze: the instrument resumes by itself and answers what
// waited.
TEST(VirtualMidiService, AFrozenInstrumentResumesByItself) {
    RecordingClock clock;
    VirtualMidiService service(false, 1, &clock);
    VirtualInstrument& instrument = *service.instrument(0);
    Listener in(service, 0);
    Sender out(service, 0);
    instrument.freezeInput(5);
    out.send(dumpRequest(instrument, 0x0E4F00));
    ASSERT_TRUE(service.waitIdle());
    EXPECT_TRUE(in.received().empty());
    clock.advanceUs(5000);
    EXPECT_EQ(in.waitFor(10).size(), 10u);
}

TEST(VirtualMidiService, ShuttingDownInterruptsDelayedReplies) {
    const auto start = std::chrono::steady_clock::now();
    {
        VirtualMidiService service(true);
        service.instrument(0)->setReplyDelayMs(60000);
        Listener in(service, 0);
        Sender out(service, 0);
        out.send(kIdentityRequest);
        out.send(kIdentityRequest);
        // The instrument is now waiting out its delay; the service must still close at once.
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(VirtualMidiService, ClosingAnInputWhileRepliesFlowNeitherHangsNorLosesOrder) {
    VirtualMidiService service;
    VirtualInstrument& instrument = *service.instrument(2);
    Sender out(service, 2);
    for (int round = 0; round < 5; ++round) {
        Listener in(service, 2);
        for (int i = 0; i < 10; ++i) {
            out.send(dumpRequest(instrument, 0x0E5F00));
        }
        // Closed with replies still on their way.
    }
    Listener last(service, 2);
    out.send(kIdentityRequest);
    ASSERT_TRUE(service.waitIdle());
    const std::vector<Bytes> got = last.received();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), instrument.identityReply());
}

// The port as the program uses it, on top of the service.
class RecordingPort final : public MidiPort {
  public:
    using MidiPort::MidiPort;
    ~RecordingPort() override { close(); }

    int parseIdentityReply(const unsigned char* data, int length) override {
        if (length < 10 || data[5] != 0x43) {
            return 0;
        }
        const ModelInfo* found = findModel(data[8], data[9]);
        if (found == nullptr) {
            return 0;
        }
        model_ = found->displayName;
        return 1;
    }
    void onLongMessage(const unsigned char* data, int length) override {
        MidiPort::onLongMessage(data, length);
        std::lock_guard guard(mutex_);
        messages_.emplace_back(data, data + length);
        arrived_.notify_all();
    }
    std::string model() {
        const ScopedLock held(*this);
        return model_;
    }
    std::vector<Bytes> waitFor(std::size_t count) {
        std::unique_lock guard(mutex_);
        arrived_.wait_for(guard, std::chrono::milliseconds(kWaitMs),
                          [&] { return messages_.size() >= count; });
        return messages_;
    }

  private:
    std::string model_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Bytes> messages_;
};

TEST(VirtualMidiService, PortIdentifiesEveryDeviceAndReceivesItsDumps) {
    VirtualMidiService service(false, 5);
    const char* models[] = {"Motif ES7", "Motif 7", "Motif Rack", "S90"};
    const char* requests[] = {"F0 43 20 7F 00 0E 4F 00 F7", "F0 43 20 6B 0E 4F 00 F7",
                              "F0 43 20 6F 0E 5F 00 F7", "F0 43 20 6B 0E 4F 00 F7"};
    const std::size_t blocks[] = {10, 10, 22, 10};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(models[k]);
        InMemoryProfile profile;
        BoxRecorder boxes;
        NoticeQueue notices;
        RecordingClock clock;
        profile.writeInt("", "MIDI Device In", k);
        profile.writeInt("", "MIDI Device Out", k);
        RecordingPort port(PortServices{service, profile, boxes, notices, clock});
        ASSERT_EQ(port.open(1), 1);
        ASSERT_TRUE(notices.waitFor(WM_SYNTH_IDENTIFIED, kWaitMs).has_value());
        EXPECT_EQ(port.model(), models[k]);
        EXPECT_EQ(port.isConnected(), 1);

        port.sendHexText(requests[k]);
        const std::vector<Bytes> got = port.waitFor(1 + blocks[k]);
        ASSERT_EQ(got.size(), 1 + blocks[k]);
        const std::size_t idLength = service.instrument(k)->modelId().size();
        const unsigned common = k == 2 ? 0x360000 : 0x300000;
        EXPECT_EQ(blockData(got[2], idLength), service.instrument(k)->block(common).value());
        EXPECT_EQ(boxes.count(), 0u);
        port.close();
    }
}

}  // namespace
}  // namespace tessaline::test
