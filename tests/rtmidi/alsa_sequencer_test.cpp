// Our ALSA sequencer ports against the kernel's sequencer: these need /dev/snd/seq, which the
// project's sequencer machine has (scripts/alsa-vm), and skip elsewhere.
#if defined(TESSALINE_HAVE_ALSA)

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/rtmidi/AlsaSeqInput.h"
#include "platform/rtmidi/AlsaSeqOutput.h"
#include "platform/rtmidi/AlsaSeqPorts.h"

namespace tessaline::test {
namespace {

using Bytes = std::vector<unsigned char>;

class Collected final : public InputSink {
  public:
    void receive(const unsigned char* data, std::size_t length) noexcept override {
        std::lock_guard guard(mutex_);
        bytes_.insert(bytes_.end(), data, data + length);
        changed_.notify_all();
    }
    Bytes waitFor(std::size_t count) {
        std::unique_lock guard(mutex_);
        changed_.wait_for(guard, std::chrono::seconds(10), [&] { return bytes_.size() >= count; });
        return bytes_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    Bytes bytes_;
};

// A destination that never reads: its queue in the sequencer fills up.
struct SilentClient {
    snd_seq_t* seq = nullptr;
    std::string name;
    SilentClient() {
        if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) == 0) {
            snd_seq_set_client_name(seq, "Tessaline test silent");
            name = ownListedName(seq, makeOwnPort(seq, "in", PortDirection::Writable));
        }
    }
    ~SilentClient() { snd_seq_close(seq); }
    // Every event's bytes, after the overflow that emptied the queue, if there was one.
    Bytes readAll() {
        Bytes bytes;
        snd_seq_event_t* event = nullptr;
        for (int status = 0; status != -EAGAIN;) {
            status = snd_seq_event_input(seq, &event);
            if (status >= 0 && event->type == SND_SEQ_EVENT_SYSEX) {
                const auto* data = static_cast<const unsigned char*>(event->data.ext.ptr);
                bytes.insert(bytes.end(), data, data + event->data.ext.len);
            }
        }
        return bytes;
    }
};

class AlsaSequencer : public ::testing::Test {
  protected:
    void SetUp() override {
        if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
            GTEST_SKIP() << "no ALSA sequencer at /dev/snd/seq";
        }
    }
};

TEST_F(AlsaSequencer, ASendFailsOnceTheKernelDroppedTheConnectionEvenToANewPortOfTheSameName) {
    Collected first;
    MidiResult result = midiresult::Error;
    auto target = AlsaSeqInput::openPort("Tessaline test target", "in", first, result);
    ASSERT_TRUE(target);
    auto output = AlsaSeqOutput::open("Tessaline test", "out", target->listedName(), result);
    ASSERT_TRUE(output);
    const Bytes message{0xF0, 0x43, 0x10, 0x6A, 0x31, 0x00, 0x00, 0x01, 0xF7};
    EXPECT_EQ(output->send(message.data(), message.size()), midiresult::Ok);
    EXPECT_EQ(first.waitFor(message.size()), message);

    // The target stops and comes back at once, as an instrument restarted by its user does;
    // the sequencer may give it the same numbers, but our connection died with the old one.
    target.reset();
    Collected second;
    target = AlsaSeqInput::openPort("Tessaline test target", "in", second, result);
    ASSERT_TRUE(target);
    EXPECT_EQ(output->send(message.data(), message.size()), midiresult::DeviceGone);
}

TEST_F(AlsaSequencer, AMessageAFullQueueRefusedIsNotOkAndDoesNotGoOutWithTheNextOne) {
    SilentClient silent;
    ASSERT_FALSE(silent.name.empty());
    MidiResult result = midiresult::Error;
    auto output = AlsaSeqOutput::open("Tessaline test", "out", silent.name, result);
    ASSERT_TRUE(output);
    Bytes message(100, 0x11);
    message.front() = 0xF0;
    message.back() = 0xF7;
    int sent = 0;
    while (sent < 10000 && output->send(message.data(), message.size(), 20) == midiresult::Ok) {
        ++sent;
    }
    EXPECT_EQ(output->send(message.data(), message.size(), 20), midiresult::TimedOut)
        << "after " << sent << " messages";

    silent.readAll();
    const Bytes next{0xF0, 0x43, 0x10, 0x6A, 0x31, 0x00, 0x00, 0x02, 0xF7};
    EXPECT_EQ(output->send(next.data(), next.size(), 20), midiresult::Ok);
    EXPECT_EQ(silent.readAll(), next);
}

}  // namespace
}  // namespace tessaline::test

#endif
