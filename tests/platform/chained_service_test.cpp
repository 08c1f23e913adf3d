#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ChainedMidiService.h"
#include "tests/support/ScriptedMidiService.h"

namespace tessaline::test {
namespace {

using Bytes = std::vector<unsigned char>;

class ChainedMidiServiceTest : public ::testing::Test {
  protected:
    ChainedMidiServiceTest() {
        auto first = std::make_unique<ScriptedMidiService>(
            std::vector<std::string>{"Real In A", "Real In B"},
            std::vector<std::string>{"Real Out A"});
        auto second = std::make_unique<ScriptedMidiService>(
            std::vector<std::string>{"Virtual In"},
            std::vector<std::string>{"Virtual Out 1", "Virtual Out 2"});
        real = first.get();
        virtualInstruments = second.get();
        chained = std::make_unique<ChainedMidiService>(std::move(first), std::move(second));
    }

    ScriptedMidiService* real = nullptr;
    ScriptedMidiService* virtualInstruments = nullptr;
    std::unique_ptr<ChainedMidiService> chained;
};

std::vector<std::string> inputNames(MidiService& service) {
    std::vector<std::string> names;
    for (unsigned i = 0; i < service.inGetNumDevs(); ++i) {
        std::string name;
        EXPECT_EQ(service.inGetDevName(i, name), midiresult::Ok);
        names.push_back(name);
    }
    return names;
}

std::vector<std::string> outputNames(MidiService& service) {
    std::vector<std::string> names;
    for (unsigned i = 0; i < service.outGetNumDevs(); ++i) {
        std::string name;
        EXPECT_EQ(service.outGetDevName(i, name), midiresult::Ok);
        names.push_back(name);
    }
    return names;
}

TEST_F(ChainedMidiServiceTest, ListsTheFirstServicesDevicesBeforeTheSeconds) {
    EXPECT_EQ(inputNames(*chained),
              (std::vector<std::string>{"Real In A", "Real In B", "Virtual In"}));
    EXPECT_EQ(outputNames(*chained),
              (std::vector<std::string>{"Real Out A", "Virtual Out 1", "Virtual Out 2"}));
    virtualInstruments->setOutputsVirtual(true);
    EXPECT_FALSE(chained->outIsVirtual(0));
    EXPECT_TRUE(chained->outIsVirtual(2));
    EXPECT_FALSE(chained->outIsVirtual(3));

    // The lists follow the services as they change.
    real->setDevices({}, {});
    EXPECT_EQ(inputNames(*chained), (std::vector<std::string>{"Virtual In"}));
    EXPECT_EQ(outputNames(*chained), (std::vector<std::string>{"Virtual Out 1", "Virtual Out 2"}));
}

TEST_F(ChainedMidiServiceTest, NumbersBeyondBothListsAreBadDeviceIds) {
    std::string name = "untouched";
    EXPECT_EQ(chained->inGetDevName(3, name), midiresult::BadDeviceId);
    EXPECT_EQ(chained->outGetDevName(3, name), midiresult::BadDeviceId);
    EXPECT_EQ(chained->outGetDevName(0xFFFFFFFFu, name), midiresult::BadDeviceId);
    EXPECT_EQ(name, "untouched");

    MidiOutHandle out = static_cast<MidiOutHandle>(99);
    EXPECT_EQ(chained->outOpen(&out, 3), midiresult::BadDeviceId);
    EXPECT_EQ(out, MidiOutHandle::None);
    EXPECT_EQ(chained->outOpen(&out, -1), midiresult::BadDeviceId);
    MidiInHandle in = MidiInHandle::None;
    EXPECT_EQ(chained->inOpen(
                  &in, 3,
                  [](MidiInHandle, unsigned, std::uintptr_t, std::uintptr_t, std::uintptr_t) {}, 0),
              midiresult::BadDeviceId);
    // Neither service was asked to open anything.
    EXPECT_TRUE(real->calls().empty());
    EXPECT_TRUE(virtualInstruments->calls().empty());
}

TEST_F(ChainedMidiServiceTest, RoutesEachCallToTheOwningServiceWithItsOwnNumber) {
    MidiOutHandle realOut = MidiOutHandle::None;
    MidiOutHandle virtualOut = MidiOutHandle::None;
    ASSERT_EQ(chained->outOpen(&realOut, 0), midiresult::Ok);
    ASSERT_EQ(chained->outOpen(&virtualOut, 2), midiresult::Ok);
    // Both inner services hand out handle 1; ours differ.
    EXPECT_NE(realOut, virtualOut);
    EXPECT_EQ(real->calls(), (std::vector<std::string>{"outOpen 0"}));
    EXPECT_EQ(virtualInstruments->calls(), (std::vector<std::string>{"outOpen 1"}));

    EXPECT_EQ(chained->outShortMsg(virtualOut, 0x05C0), midiresult::Ok);
    Bytes sysEx{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    MidiHeader header;
    header.data = sysEx.data();
    header.bufferLength = static_cast<unsigned>(sysEx.size());
    ASSERT_EQ(chained->outPrepareHeader(realOut, &header), midiresult::Ok);
    ASSERT_EQ(chained->outLongMsg(realOut, &header), midiresult::Ok);
    ASSERT_EQ(chained->outUnprepareHeader(realOut, &header), midiresult::Ok);
    EXPECT_EQ(real->sent(), (std::vector<Bytes>{sysEx}));
    EXPECT_EQ(virtualInstruments->sent(), (std::vector<Bytes>{{0xC0, 0x05}}));

    // A failure of the inner service comes back unchanged.
    virtualInstruments->failCall("outShortMsg", midiresult::DeviceGone);
    EXPECT_EQ(chained->outShortMsg(virtualOut, 0x05C0), midiresult::DeviceGone);

    EXPECT_EQ(chained->outClose(realOut), midiresult::Ok);
    EXPECT_EQ(chained->outShortMsg(realOut, 0x05C0), midiresult::InvalidHandle);
    EXPECT_EQ(chained->outClose(realOut), midiresult::InvalidHandle);
    EXPECT_EQ(chained->outShortMsg(virtualOut, 0x06C0), midiresult::Ok);
    EXPECT_EQ(chained->outClose(virtualOut), midiresult::Ok);
    EXPECT_EQ(real->calls().back(), "outClose");
    EXPECT_EQ(virtualInstruments->calls().back(), "outClose");
}

// The port's view of an input: the handle and instance it was given, and the bytes.
struct PortSide {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<MidiInHandle, Bytes>> received;

    static void callback(MidiInHandle handle, unsigned message, std::uintptr_t instance,
                         std::uintptr_t param1, std::uintptr_t) {
        if (message != MIM_LONGDATA) {
            return;
        }
        auto* self = reinterpret_cast<PortSide*>(instance);
        const auto* header = reinterpret_cast<const MidiHeader*>(param1);
        std::lock_guard guard(self->mutex);
        self->received.emplace_back(handle,
                                    Bytes(header->data, header->data + header->bytesRecorded));
        self->changed.notify_all();
    }
};

TEST_F(ChainedMidiServiceTest, InputCallbacksCarryTheChainedHandleAndThePortsInstance) {
    PortSide port;
    MidiInHandle realIn = MidiInHandle::None;
    MidiInHandle virtualIn = MidiInHandle::None;
    const auto instance = reinterpret_cast<std::uintptr_t>(&port);
    ASSERT_EQ(chained->inOpen(&realIn, 1, &PortSide::callback, instance), midiresult::Ok);
    ASSERT_EQ(chained->inOpen(&virtualIn, 2, &PortSide::callback, instance), midiresult::Ok);
    EXPECT_NE(realIn, virtualIn);
    EXPECT_EQ(real->calls(), (std::vector<std::string>{"inOpen 1"}));
    EXPECT_EQ(virtualInstruments->calls(), (std::vector<std::string>{"inOpen 0"}));

    unsigned char storage[16] = {};
    MidiHeader header;
    header.data = storage;
    header.bufferLength = sizeof storage;
    ASSERT_EQ(chained->inPrepareHeader(virtualIn, &header), midiresult::Ok);
    ASSERT_EQ(chained->inAddBuffer(virtualIn, &header), midiresult::Ok);
    ASSERT_EQ(chained->inStart(virtualIn), midiresult::Ok);
    const Bytes reply{0xF0, 0x7E, 0x7F, 0x06, 0x02, 0xF7};
    ASSERT_TRUE(virtualInstruments->inject(reply));
    {
        std::unique_lock guard(port.mutex);
        ASSERT_TRUE(port.changed.wait_for(guard, std::chrono::seconds(5),
                                          [&] { return !port.received.empty(); }));
        EXPECT_EQ(port.received[0].first, virtualIn);
        EXPECT_EQ(port.received[0].second, reply);
    }

    ASSERT_EQ(chained->inReset(virtualIn), midiresult::Ok);
    ASSERT_EQ(chained->inUnprepareHeader(virtualIn, &header), midiresult::Ok);
    ASSERT_EQ(chained->inClose(virtualIn), midiresult::Ok);
    EXPECT_EQ(chained->inStart(virtualIn), midiresult::InvalidHandle);
    EXPECT_FALSE(virtualInstruments->inputOpen());
    EXPECT_TRUE(real->inputOpen());
    // A failed inner close leaves the input open and usable.
    real->failCall("inClose", midiresult::Error);
    EXPECT_EQ(chained->inClose(realIn), midiresult::Error);
    EXPECT_EQ(chained->inStop(realIn), midiresult::Ok);
    EXPECT_EQ(chained->inClose(realIn), midiresult::Ok);
}

}  // namespace
}  // namespace tessaline::test
