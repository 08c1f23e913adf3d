#include "platform/rtmidi/VirtualPortNames.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaline::test {
namespace {

TEST(VirtualPortNames, EachPortCarriesItsClientsNameCutBetweenCharacters) {
    const VirtualPortNames names = virtualPortNames("Motif ES7 (virtual)", 63, 63);
    EXPECT_EQ(names.client, "Motif ES7 (virtual)");
    EXPECT_EQ(names.input, "Motif ES7 (virtual) MIDI In");
    EXPECT_EQ(names.output, "Motif ES7 (virtual) MIDI Out");

    // The ports' room for the client's name (63 less " MIDI Out") ends inside the second "é":
    // both ports keep the same whole characters of it.
    const std::string start = std::string(50, 'x') + " \xC3\xA9";
    const std::string name = start + "\xC3\xA9\xC3\xA9 and more, well beyond any limit";
    const VirtualPortNames cut = virtualPortNames(name, 63, 63);
    EXPECT_EQ(cut.client, name.substr(0, 63));
    EXPECT_EQ(cut.input, start + " MIDI In");
    EXPECT_EQ(cut.output, start + " MIDI Out");
    EXPECT_EQ(cutName("Motif  ES7", 7), "Motif");  // no blanks left at the cut
}

TEST(VirtualPortNames, NoNameEverOutgrowsItsLimitOrSplitsACharacter) {
    const std::string dash = "\xE2\x80\x94";
    const std::string name = "Studio " + dash + " Motif ES7 " + dash + " (virtual)";
    for (std::size_t limit = 0; limit <= name.size() + 10; ++limit) {
        const VirtualPortNames names = virtualPortNames(name, limit, limit);
        for (const std::string& each : {names.client, names.input, names.output}) {
            EXPECT_LE(each.size(), limit) << each;
            std::size_t at = 0;
            while ((at = each.find('\xE2', at)) != std::string::npos) {
                EXPECT_EQ(each.compare(at, dash.size(), dash), 0) << "cut inside: " << each;
                ++at;
            }
        }
    }
}

}  // namespace
}  // namespace tessaline::test
