#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/InputDelivery.h"

namespace tessaline::test {
namespace {

using Bytes = std::vector<unsigned char>;

// Records what the delivery thread hands back, as the port's callback would see it.
struct Received {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Bytes> deliveries;
    std::vector<MidiHeader*> headers;
    std::vector<std::thread::id> threads;
    MidiInHandle handle = MidiInHandle::None;

    static void callback(MidiInHandle handle, unsigned message, std::uintptr_t instance,
                         std::uintptr_t param1, std::uintptr_t) {
        auto* self = reinterpret_cast<Received*>(instance);
        std::lock_guard guard(self->mutex);
        if (message == MIM_ERROR) {  // recorded as a delivery of {EE, code}
            self->deliveries.push_back({0xEE, static_cast<unsigned char>(param1)});
            self->changed.notify_all();
            return;
        }
        ASSERT_EQ(message, MIM_LONGDATA);
        auto* header = reinterpret_cast<MidiHeader*>(param1);
        self->handle = handle;
        self->deliveries.emplace_back(header->data, header->data + header->bytesRecorded);
        self->headers.push_back(header);
        self->threads.push_back(std::this_thread::get_id());
        self->changed.notify_all();
    }

    bool waitFor(std::size_t count) {
        std::unique_lock guard(mutex);
        return changed.wait_for(guard, std::chrono::seconds(5),
                                [&] { return deliveries.size() >= count; });
    }
};

struct Buffer {
    std::vector<unsigned char> storage;
    MidiHeader header;
    explicit Buffer(unsigned length) : storage(length) {
        header.data = storage.data();
        header.bufferLength = length;
    }
};

Bytes sysEx(std::size_t length) {
    Bytes bytes(length, 0x11);
    bytes.front() = 0xF0;
    for (std::size_t i = 1; i + 1 < length; ++i) {
        bytes[i] = static_cast<unsigned char>(i & 0x7F);
    }
    bytes.back() = 0xF7;
    return bytes;
}

TEST(InputDelivery, FillsEachBufferWithAtMostItsLengthAndSplitsLongMessages) {
    Received received;
    InputDelivery input(static_cast<MidiInHandle>(7), &Received::callback,
                        reinterpret_cast<std::uintptr_t>(&received));
    Buffer buffer(2048);
    ASSERT_EQ(input.prepare(&buffer.header), midiresult::Ok);
    ASSERT_EQ(input.addBuffer(&buffer.header), midiresult::Ok);
    ASSERT_EQ(input.start(), midiresult::Ok);

    const Bytes small = sysEx(15);
    const Bytes large = sysEx(2048 * 2 + 100);
    ASSERT_TRUE(input.receive(small.data(), small.size()));
    ASSERT_TRUE(input.receive(large.data(), large.size()));

    // One buffer only: each delivery must be requeued before the next can come, as the port
    // does from its callback.
    Bytes joined;
    for (std::size_t expected = 1; expected <= 4; ++expected) {
        ASSERT_TRUE(received.waitFor(expected));
        {
            std::lock_guard guard(received.mutex);
            EXPECT_LE(received.deliveries.back().size(), 2048u);
            EXPECT_EQ(received.headers.back(), &buffer.header);
            EXPECT_EQ(received.handle, static_cast<MidiInHandle>(7));
            if (expected > 1) {
                joined.insert(joined.end(), received.deliveries.back().begin(),
                              received.deliveries.back().end());
            }
        }
        if (expected < 4) {
            ASSERT_EQ(input.addBuffer(&buffer.header), midiresult::Ok);
        }
    }
    std::lock_guard guard(received.mutex);
    EXPECT_EQ(received.deliveries[0], small);
    EXPECT_EQ(received.deliveries[1].size(), 2048u);
    EXPECT_EQ(received.deliveries[2].size(), 2048u);
    EXPECT_EQ(received.deliveries[3].size(), 100u);
    EXPECT_EQ(joined, large);
    EXPECT_NE(received.threads[0], std::this_thread::get_id());
}

// An error that comes while a long message is half delivered waits for the message's end, and
// the delivery thread waits for a buffer meanwhile instead of taking one from an empty queue.
TEST(InputDelivery, AnErrorDuringAHalfDeliveredMessageWaitsForItsEnd) {
    Received received;
    InputDelivery input(MidiInHandle::None, &Received::callback,
                        reinterpret_cast<std::uintptr_t>(&received));
    Buffer buffer(8);
    ASSERT_EQ(input.prepare(&buffer.header), midiresult::Ok);
    ASSERT_EQ(input.addBuffer(&buffer.header), midiresult::Ok);
    ASSERT_EQ(input.start(), midiresult::Ok);
    const Bytes message = sysEx(12);
    ASSERT_TRUE(input.receive(message.data(), message.size()));
    ASSERT_TRUE(received.waitFor(1));

    input.reportError(midiresult::MessageTooLong);
    EXPECT_FALSE(input.waitIdle(50));  // the message's tail still waits for a buffer
    ASSERT_EQ(input.addBuffer(&buffer.header), midiresult::Ok);
    ASSERT_TRUE(received.waitFor(3));
    std::lock_guard guard(received.mutex);
    EXPECT_EQ(received.deliveries, (std::vector<Bytes>{Bytes(message.begin(), message.begin() + 8),
                                                       Bytes(message.begin() + 8, message.end()),
                                                       Bytes{0xEE, midiresult::MessageTooLong}}));
}

TEST(InputDelivery, DropsInputWhileStoppedAndKeepsBuffersQueued) {
    Received received;
    InputDelivery input(MidiInHandle::None, &Received::callback,
                        reinterpret_cast<std::uintptr_t>(&received));
    Buffer buffer(64);
    ASSERT_EQ(input.prepare(&buffer.header), midiresult::Ok);
    ASSERT_EQ(input.addBuffer(&buffer.header), midiresult::Ok);
    const Bytes message = sysEx(10);
    EXPECT_FALSE(input.receive(message.data(), message.size()));  // never started

    ASSERT_EQ(input.start(), midiresult::Ok);
    ASSERT_EQ(input.stop(), midiresult::Ok);
    EXPECT_FALSE(input.receive(message.data(), message.size()));
    EXPECT_TRUE(input.waitIdle(1000));
    EXPECT_EQ(input.queuedBuffers(), 1u);

    // Started again, the buffer that waited all along takes the next message.
    ASSERT_EQ(input.start(), midiresult::Ok);
    ASSERT_TRUE(input.receive(message.data(), message.size()));
    ASSERT_TRUE(received.waitFor(1));
    std::lock_guard guard(received.mutex);
    EXPECT_EQ(received.deliveries.size(), 1u);
    EXPECT_EQ(received.deliveries[0], message);
}

TEST(InputDelivery, ResetReturnsEveryQueuedBufferEmptyAndDropsPendingInput) {
    Received received;
    InputDelivery input(MidiInHandle::None, &Received::callback,
                        reinterpret_cast<std::uintptr_t>(&received));
    Buffer first(32);
    Buffer second(32);
    for (Buffer* buffer : {&first, &second}) {
        ASSERT_EQ(input.prepare(&buffer->header), midiresult::Ok);
        ASSERT_EQ(input.addBuffer(&buffer->header), midiresult::Ok);
    }
    // A queued buffer cannot be unprepared while the input still owns it.
    EXPECT_EQ(input.unprepare(&first.header), midiresult::StillPlaying);

    ASSERT_EQ(input.reset(), midiresult::Ok);
    {
        std::lock_guard guard(received.mutex);
        ASSERT_EQ(received.deliveries.size(), 2u);
        EXPECT_TRUE(received.deliveries[0].empty());
        EXPECT_TRUE(received.deliveries[1].empty());
        EXPECT_EQ(received.headers[0], &first.header);
        EXPECT_EQ(received.headers[1], &second.header);
    }
    EXPECT_EQ(input.queuedBuffers(), 0u);
    EXPECT_FALSE(input.started());
    EXPECT_NE(first.header.flags & MHDR_DONE, 0u);
    EXPECT_EQ(input.unprepare(&first.header), midiresult::Ok);
    EXPECT_EQ(input.addBuffer(&first.header), midiresult::Unprepared);
}

TEST(InputDelivery, ResetDropsInputThatWaitedForABuffer) {
    Received received;
    InputDelivery input(MidiInHandle::None, &Received::callback,
                        reinterpret_cast<std::uintptr_t>(&received));
    ASSERT_EQ(input.start(), midiresult::Ok);
    const Bytes stale = sysEx(12);
    ASSERT_TRUE(input.receive(stale.data(), stale.size()));  // no buffer yet: it waits
    ASSERT_EQ(input.reset(), midiresult::Ok);

    Buffer buffer(32);
    ASSERT_EQ(input.prepare(&buffer.header), midiresult::Ok);
    ASSERT_EQ(input.addBuffer(&buffer.header), midiresult::Ok);
    ASSERT_EQ(input.start(), midiresult::Ok);
    const Bytes fresh = sysEx(5);
    ASSERT_TRUE(input.receive(fresh.data(), fresh.size()));
    ASSERT_TRUE(received.waitFor(1));
    EXPECT_TRUE(input.waitIdle(1000));
    std::lock_guard guard(received.mutex);
    ASSERT_EQ(received.deliveries.size(), 1u);
    EXPECT_EQ(received.deliveries[0], fresh);
}

// A port requeues its buffer from inside the callback. When a reset comes while such a delivery
// is still running, the requeued buffer must come back empty with the others: left queued, it
// could not be unprepared, and the port's next open could not queue it again.
struct Requeuer {
    InputDelivery* input = nullptr;
    std::atomic<bool> inCallback{false};
    std::atomic<int> emptyReturns{0};

    static void callback(MidiInHandle, unsigned, std::uintptr_t instance, std::uintptr_t param1,
                         std::uintptr_t) {
        auto* self = reinterpret_cast<Requeuer*>(instance);
        auto* header = reinterpret_cast<MidiHeader*>(param1);
        if (header->bytesRecorded == 0) {
            ++self->emptyReturns;
            return;
        }
        self->inCallback = true;
        while (self->input->started()) {
            std::this_thread::yield();  // until the reset has begun
        }
        self->input->prepare(header);
        self->input->addBuffer(header);
    }
};

TEST(InputDelivery, ResetDuringADeliveryAlsoReturnsTheBufferItRequeues) {
    Requeuer port;
    InputDelivery input(MidiInHandle::None, &Requeuer::callback,
                        reinterpret_cast<std::uintptr_t>(&port));
    port.input = &input;
    Buffer buffer(32);
    ASSERT_EQ(input.prepare(&buffer.header), midiresult::Ok);
    ASSERT_EQ(input.addBuffer(&buffer.header), midiresult::Ok);
    ASSERT_EQ(input.start(), midiresult::Ok);
    const Bytes message = sysEx(10);
    ASSERT_TRUE(input.receive(message.data(), message.size()));
    while (!port.inCallback) {
        std::this_thread::yield();
    }

    ASSERT_EQ(input.reset(), midiresult::Ok);
    EXPECT_EQ(input.queuedBuffers(), 0u);
    EXPECT_EQ(port.emptyReturns, 1);
    EXPECT_EQ(input.unprepare(&buffer.header), midiresult::Ok);
    // As on the next open: the same header can be prepared and queued again.
    ASSERT_EQ(input.prepare(&buffer.header), midiresult::Ok);
    EXPECT_EQ(input.addBuffer(&buffer.header), midiresult::Ok);
}

}  // namespace
}  // namespace tessaline::test
