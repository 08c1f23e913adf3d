// The sequencer's port lists and announcements, against the kernel's sequencer: these need
// /dev/snd/seq, which the project's sequencer machine has (scripts/alsa-vm), and skip elsewhere.
#if defined(TESSALINE_HAVE_ALSA)

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/rtmidi/AlsaPortWatch.h"
#include "platform/rtmidi/AlsaSeqPorts.h"

namespace tessaline::test {
namespace {

bool noneOwn(const std::string&) {
    return false;
}

// The life the listing gives the input of that name; 0 when it is not listed.
std::uint64_t lifeOf(const DeviceListing& listing, const std::string& name) {
    for (const ListedDevice& device : listing.inputs) {
        if (device.name == name) {
            return device.life;
        }
    }
    return 0;
}

TEST(AlsaPortWatch, APortThatExitsAndComesBackAtOnceUnderItsNumbersIsANewDevice) {
    if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no ALSA sequencer at /dev/snd/seq";
    }
    auto watch = AlsaPortWatch::open("Tessaline test watch");
    ASSERT_TRUE(watch);
    std::atomic<int> announcements{0};
    watch->setChangeHandler([&] { ++announcements; });

    snd_seq_t* device = nullptr;
    ASSERT_EQ(snd_seq_open(&device, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK), 0);
    snd_seq_set_client_name(device, "Tessaline test device");
    int port = makeOwnPort(device, "Out", PortDirection::Readable);
    const std::string name = ownListedName(device, port);
    const std::uint64_t first = lifeOf(watch->list(&noneOwn), name);
    ASSERT_NE(first, 0u) << name;
    EXPECT_EQ(lifeOf(watch->list(&noneOwn), name), first);  // nothing happened: the same one

    // Gone and back between two looks, under the very same name and numbers.
    snd_seq_delete_simple_port(device, port);
    port = makeOwnPort(device, "Out", PortDirection::Readable);
    ASSERT_EQ(ownListedName(device, port), name);
    const std::uint64_t second = lifeOf(watch->list(&noneOwn), name);
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_TRUE(watch->lives().departedSince(name, first));

    // Whoever follows the changes heard of them, whichever thread took them.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (announcements.load() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GT(announcements.load(), 0);
    watch->setChangeHandler({});
    snd_seq_close(device);
}

}  // namespace
}  // namespace tessaline::test

#endif
