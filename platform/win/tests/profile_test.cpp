#include "platform/win/profile.h"

#include "platform/win/registry.h"
#include "platform/win/tests/scratch_folder.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using suite::AppProfile;

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SUITE_REGISTRY_DIR", (scratch / "registry").c_str(), 1);
        setenv("SUITE_WINDOWS_DIR", (scratch / "windows").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("SUITE_REGISTRY_DIR");
        unsetenv("SUITE_WINDOWS_DIR");
    }
    static bool KeyExists(const char* path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    std::string FileText(const std::string& native) {
        std::ifstream in(native, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    suite_test::ScratchFolder scratch;
};

TEST_F(ProfileTest, RegistrySettingsLiveUnderCompanyAndApplication) {
    AppProfile app("Scribant");
    app.SetRegistryKey("Orvane");
    EXPECT_EQ(app.ProfileName(), "Scribant");
    EXPECT_EQ(app.GetProfileIntA("Config", "AutoOpenRtf", 5), 5u);
    EXPECT_EQ(app.GetProfileStringA("Config", "OutputPath"), "");
    EXPECT_FALSE(KeyExists("Software\\Orvane"));  // reading created nothing

    ASSERT_TRUE(app.WriteProfileStringA("Config", "OutputPath", "C:\\out"));
    ASSERT_TRUE(app.WriteProfileIntA("Config", "AutoOpenRtf", -1));
    EXPECT_EQ(app.GetProfileStringA("config", "outputpath", "x"), "C:\\out");
    EXPECT_EQ(app.GetProfileIntA("Config", "AutoOpenRtf", 0), static_cast<UINT>(-1));
    // The values are plain registry values of the section key.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Orvane\\Scribant\\Config", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = 0, value = 0, size = 4;
    ASSERT_EQ(RegQueryValueExA(key, "AutoOpenRtf", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    RegCloseKey(key);
    // An entry of another type reads as the default.
    EXPECT_EQ(app.GetProfileIntA("Config", "OutputPath", 9), 9u);
    EXPECT_EQ(app.GetProfileStringA("Config", "AutoOpenRtf", "dflt"), "dflt");

    ASSERT_TRUE(app.WriteProfileStringA("Config", "OutputPath", nullptr));
    EXPECT_EQ(app.GetProfileStringA("Config", "OutputPath", "gone"), "gone");
    EXPECT_TRUE(app.WriteProfileStringA("Config", "OutputPath", nullptr));  // already gone
}

TEST_F(ProfileTest, SectionsWithBackslashesAreSubKeysAndDeleteSeparately) {
    AppProfile app("Keyrider");
    app.SetRegistryKey("Maker");
    ASSERT_TRUE(app.WriteProfileIntA("1", "Action", 3));
    ASSERT_TRUE(app.WriteProfileIntA("1\\Color", "Resolution", 300));
    EXPECT_TRUE(KeyExists("Software\\Maker\\Keyrider\\1\\Color"));
    ASSERT_TRUE(app.WriteProfileStringA("1", nullptr, nullptr));
    EXPECT_EQ(app.GetProfileIntA("1", "Action", 0), 0u);
    EXPECT_EQ(app.GetProfileIntA("1\\Color", "Resolution", 0), 300u);
    ASSERT_TRUE(app.WriteProfileStringA("1\\Color", nullptr, nullptr));
    EXPECT_FALSE(KeyExists("Software\\Maker\\Keyrider\\1\\Color"));
    HKEY section = app.GetSectionKey("Fresh");
    ASSERT_NE(section, nullptr);
    RegCloseKey(section);
    EXPECT_TRUE(KeyExists("Software\\Maker\\Keyrider\\Fresh"));
}

TEST_F(ProfileTest, WithoutRegistryKeyTheIniFileHoldsTheSettings) {
    AppProfile app("Feedgate");
    EXPECT_FALSE(app.UsesRegistry());
    EXPECT_EQ(app.ProfileName(), "Feedgate.INI");
    ASSERT_TRUE(app.WriteProfileIntA("Settings", "PreviewPages", 2));
    ASSERT_TRUE(app.WriteProfileStringA("Settings", "Name", "\"quoted\""));
    EXPECT_EQ(FileText(scratch / "windows/Feedgate.INI"), "[Settings]\r\nPreviewPages=2\r\nName=\"quoted\"\r\n");
    EXPECT_EQ(app.GetProfileIntA("settings", "previewpages", 0), 2u);
    EXPECT_EQ(app.GetProfileStringA("Settings", "Name"), "quoted");
    EXPECT_FALSE(KeyExists("Software"));

    // A job points the profile at its own ini file.
    std::string job = scratch / "job.ini";
    app.SetProfileName(job);
    ASSERT_TRUE(app.WriteProfileStringA("5", "Action", "ocr"));
    EXPECT_EQ(app.GetProfileStringA("5", "Action"), "ocr");
    std::string longValue(3000, 'z');
    ASSERT_TRUE(app.WriteProfileStringA("5", "Long", longValue.c_str()));
    EXPECT_EQ(app.GetProfileStringA("5", "Long"), longValue);
    EXPECT_EQ(FileText(job), "[5]\r\nAction=ocr\r\nLong=" + longValue + "\r\n");
}

TEST_F(ProfileTest, BinaryEntriesRoundTripInBothPlaces) {
    const BYTE data[] = {0x00, 0x0F, 0xF0, 0xFF, 0x5A};
    AppProfile ini("Binary");
    ASSERT_TRUE(ini.WriteProfileBinary("B", "Data", data, sizeof data));
    EXPECT_EQ(ini.GetProfileStringA("B", "Data"), "AAPAAPPPKF");
    AppProfile reg("Binary");
    reg.SetRegistryKey("Maker");
    ASSERT_TRUE(reg.WriteProfileBinary("B", "Data", data, sizeof data));
    for (const AppProfile* p : {&ini, &reg}) {
        LPBYTE back = nullptr;
        UINT bytes = 0;
        ASSERT_TRUE(p->GetProfileBinary("B", "Data", &back, &bytes));
        EXPECT_EQ(std::vector<BYTE>(back, back + bytes), std::vector<BYTE>(data, data + sizeof data));
        delete[] back;
        std::vector<BYTE> none;
        EXPECT_FALSE(p->GetProfileBinary("B", "Missing", none));
    }
    ASSERT_TRUE(ini.WriteProfileStringA("B", "Bad", "AZ"));
    std::vector<BYTE> bad;
    EXPECT_FALSE(ini.GetProfileBinary("B", "Bad", bad));
    ASSERT_TRUE(reg.WriteProfileStringA("B", "Text", "AA"));
    EXPECT_FALSE(reg.GetProfileBinary("B", "Text", bad));  // a string is not binary data
}

}  // namespace
