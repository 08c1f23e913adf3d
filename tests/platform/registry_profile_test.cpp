#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/registry/RegistryProfile.h"

namespace tessaline {
namespace {

// A key of its own under the suite's organisation, emptied before and after each test.
class RegistryProfileTest : public testing::Test {
  protected:
    void SetUp() override { removeKey(); }
    void TearDown() override { removeKey(); }
    void removeKey() { RegDeleteTreeA(HKEY_CURRENT_USER, profile_.keyPath("").c_str()); }

    // Stores a value as another program might have, bypassing the profile.
    void storeRaw(const std::string& name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, profile_.keyPath("").c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }

    RegistryProfile profile_{"tessaline-profile-test"};
};

TEST_F(RegistryProfileTest, KeepsIntegersAndNamesWhereTheWindowLooks) {
    EXPECT_EQ(profile_.keyPath(""), "Software\\Quorvath\\tessaline-profile-test");
    EXPECT_EQ(profile_.readInt("", "Motif ES7 In", 7), 7);
    EXPECT_EQ(profile_.readText("", "Motif ES7 In Name", "none"), "none");

    profile_.writeInt("", "Motif ES7 In", -1);
    profile_.writeInt("", "Motif ES7 Out", 12);
    profile_.writeText("", "Motif ES7 In Name", "Motif ES7 (virtual) MIDI Out");
    profile_.writeInt("Window", "Left", 300);
    EXPECT_EQ(profile_.readInt("", "Motif ES7 In", 0), -1);
    EXPECT_EQ(profile_.readInt("", "Motif ES7 Out", 0), 12);
    EXPECT_EQ(profile_.readText("", "Motif ES7 In Name", ""), "Motif ES7 (virtual) MIDI Out");
    EXPECT_EQ(profile_.readInt("Window", "Left", 0), 300);
    EXPECT_EQ(profile_.readInt("", "Left", 0), 0);

    // The integer is a REG_DWORD, as the window's settings store writes it.
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, profile_.keyPath("").c_str(), "Motif ES7 Out",
                           RRF_RT_ANY, &type, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(RegistryProfileTest, AValueOfAnotherShapeReadsAsMissing) {
    const char text[] = "3";
    storeRaw("Text For Int", REG_SZ, text, sizeof(text));
    const unsigned long long wide = 3;
    storeRaw("Wide", REG_QWORD, &wide, sizeof(wide));
    const DWORD number = 3;
    storeRaw("Number For Text", REG_DWORD, &number, sizeof(number));
    const std::string tooLong(kMaxProfileText + 1, 'x');
    storeRaw("Too Long", REG_SZ, tooLong.c_str(), static_cast<DWORD>(tooLong.size() + 1));
    // Stored without its terminator: the text is still read whole and no further.
    storeRaw("Unterminated", REG_SZ, "abc", 3);

    EXPECT_EQ(profile_.readInt("", "Text For Int", -5), -5);
    EXPECT_EQ(profile_.readInt("", "Wide", -5), -5);
    EXPECT_EQ(profile_.readText("", "Number For Text", "d"), "d");
    EXPECT_EQ(profile_.readText("", "Too Long", "d"), "d");
    EXPECT_EQ(profile_.readText("", "Unterminated", "d"), "abc");
}

}  // namespace
}  // namespace tessaline
