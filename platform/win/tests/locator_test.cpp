#include "platform/win/locator.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

using suite::RegistryLocator;

TEST(LocatorParse, ReadsTheFourFields) {
    RegistryLocator l;
    ASSERT_TRUE(suite::ParseRegistryLocator("1,SOFTWARE\\Quade\\Moplink,0,app.exe", &l));
    EXPECT_EQ(l.root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(l.keyPath, "SOFTWARE\\Quade\\Moplink");
    EXPECT_EQ(l.valueName, "");
    EXPECT_EQ(l.extra, "app.exe");

    ASSERT_TRUE(suite::ParseRegistryLocator(" 2 , Software\\X , Path ", &l));
    EXPECT_EQ(l.root, HKEY_CURRENT_USER);
    EXPECT_EQ(l.keyPath, "Software\\X");
    EXPECT_EQ(l.valueName, "Path");
    EXPECT_EQ(l.extra, "");
    // Any root but "1" is the user's; the fourth field keeps later commas.
    ASSERT_TRUE(suite::ParseRegistryLocator("0,K,V,a,b.exe", &l));
    EXPECT_EQ(l.root, HKEY_CURRENT_USER);
    EXPECT_EQ(l.extra, "a,b.exe");
    ASSERT_TRUE(suite::ParseRegistryLocator("11,K,V,0", &l));
    EXPECT_EQ(l.root, HKEY_CURRENT_USER);
}

TEST(LocatorParse, RefusesShortEmptyOrOverlongText) {
    RegistryLocator l;
    EXPECT_FALSE(suite::ParseRegistryLocator("", &l));
    EXPECT_FALSE(suite::ParseRegistryLocator("1", &l));
    EXPECT_FALSE(suite::ParseRegistryLocator("1,Key", &l));
    EXPECT_FALSE(suite::ParseRegistryLocator("1,,Value,x", &l));
    EXPECT_FALSE(suite::ParseRegistryLocator("1,  ,Value", &l));
    EXPECT_FALSE(suite::ParseRegistryLocator(std::string("1,K\0ey,V", 8), &l));
    EXPECT_FALSE(suite::ParseRegistryLocator("1,K," + std::string(300, 'v'), &l));
    EXPECT_FALSE(suite::ParseRegistryLocator("1,K,V," + std::string(300, 'f'), &l));
    EXPECT_FALSE(suite::ParseRegistryLocator("1," + std::string(1500, 'k') + ",V", &l));
    EXPECT_FALSE(suite::ParseRegistryLocator(std::string(5000, ','), &l));
    EXPECT_TRUE(suite::ParseRegistryLocator("1," + std::string(1000, 'k') + ",V", &l));
}

// Each test gets registry stores and a program folder of its own.
class LocatorRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        const char* temp = getenv("TMPDIR");
        std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/locator_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        setenv("SUITE_REGISTRY_DIR", (dir_ + "/reg").c_str(), 1);
        std::filesystem::create_directories(dir_ + "/reg");
        std::filesystem::create_directories(dir_ + "/Quade");
        std::ofstream(dir_ + "/Quade/moplink.exe") << "x";
    }
    void TearDown() override {
        for (HKEY k : open_) RegCloseKey(k);
        unsetenv("SUITE_REGISTRY_DIR");
        std::filesystem::remove_all(dir_);
    }
    HKEY Key(HKEY root, const std::string& path) {
        HKEY k = nullptr;
        EXPECT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
        open_.push_back(k);
        return k;
    }
    static void Str(HKEY k, const char* name, const std::string& v) {
        RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()), static_cast<DWORD>(v.size() + 1));
    }
    static void Dword(HKEY k, const char* name, DWORD v) {
        RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
    }
    std::string dir_;
    std::vector<HKEY> open_;
};

TEST_F(LocatorRegistry, FindsProgramsThroughMachineUserAndDefaultValues) {
    Str(Key(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quade"), nullptr, dir_ + "/Quade");
    Str(Key(HKEY_CURRENT_USER, "Software\\Quade"), "InstallDir", dir_ + "/Quade/");
    std::string path;
    ASSERT_TRUE(suite::LocateExistingFile("1,SOFTWARE\\Quade,0,moplink.exe", &path));
    EXPECT_EQ(path, dir_ + "/Quade\\moplink.exe");
    ASSERT_TRUE(suite::LocateExistingFile("2,Software\\Quade,InstallDir,moplink.exe", &path));
    EXPECT_EQ(path, dir_ + "/Quade/moplink.exe");
    // The value alone names a folder, not a program; a missing file, key or value fails.
    EXPECT_FALSE(suite::LocateExistingFile("1,SOFTWARE\\Quade,0,0", &path));
    EXPECT_FALSE(suite::LocateExistingFile("1,SOFTWARE\\Quade,0,other.exe", &path));
    EXPECT_FALSE(suite::LocateExistingFile("2,SOFTWARE\\Quade,0,moplink.exe", &path));  // not in the user's tree
    EXPECT_FALSE(suite::LocateExistingFile("1,SOFTWARE\\Quade,Missing,moplink.exe", &path));
    EXPECT_FALSE(suite::LocateExistingFile("1,SOFTWARE\\Nobody,0,moplink.exe", &path));
    // A long value is read whole, not cut at 260 bytes.
    std::string deep = dir_ + "/" + std::string(200, 'd') + "/" + std::string(200, 'e');
    std::filesystem::create_directories(deep);
    std::ofstream(deep + "/moplink.exe") << "x";
    Str(Key(HKEY_CURRENT_USER, "Software\\Deep"), "Dir", deep);
    ASSERT_TRUE(suite::LocateExistingFile("0,Software\\Deep,Dir,moplink.exe", &path));
    EXPECT_EQ(path, deep + "\\moplink.exe");
}

TEST_F(LocatorRegistry, ChecksADwordAgainstTheNumber) {
    HKEY k = Key(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quade\\Check");
    Dword(k, "Version", 10);
    Dword(k, nullptr, 7);
    Str(k, "Text", "10");
    EXPECT_TRUE(suite::LocatorDwordMatches("1,SOFTWARE\\Quade\\Check,Version,10"));
    EXPECT_TRUE(suite::LocatorDwordMatches("1,SOFTWARE\\Quade\\Check,0,7"));
    EXPECT_FALSE(suite::LocatorDwordMatches("1,SOFTWARE\\Quade\\Check,Version,9"));
    EXPECT_FALSE(suite::LocatorDwordMatches("1,SOFTWARE\\Quade\\Check,Version"));
    EXPECT_FALSE(suite::LocatorDwordMatches("1,SOFTWARE\\Quade\\Check,Version,1x"));
    EXPECT_FALSE(suite::LocatorDwordMatches("1,SOFTWARE\\Quade\\Check,Version,-10"));
    EXPECT_FALSE(suite::LocatorDwordMatches("1,SOFTWARE\\Quade\\Check,Version,4294967306"));  // 2^32 + 10
    EXPECT_FALSE(suite::LocatorDwordMatches("1,SOFTWARE\\Quade\\Check,Text,10"));  // not a DWORD
    EXPECT_FALSE(suite::LocatorDwordMatches("2,SOFTWARE\\Quade\\Check,Version,10"));
}

TEST_F(LocatorRegistry, NumberedValuesGiveTheFirstExistingFile) {
    Str(Key(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quade"), nullptr, dir_ + "/Quade");
    HKEY host = Key(HKEY_CURRENT_USER, "Software\\Host\\File Format");
    Str(host, "Moplink Check Path 1", "1,SOFTWARE\\Quade,0,gone.exe");
    Str(host, "Moplink Check Path 2", "garbage");
    Str(host, "Moplink Check Path 3", "1,SOFTWARE\\Quade,0,moplink.exe");
    std::string path;
    int n = 0;
    ASSERT_TRUE(suite::FirstExistingLocatedFile(host, "Moplink Check Path ", &path, &n));
    EXPECT_EQ(n, 3);
    EXPECT_EQ(path, dir_ + "/Quade\\moplink.exe");
    // The list ends at the first missing number.
    HKEY gap = Key(HKEY_CURRENT_USER, "Software\\Host\\Gap");
    Str(gap, "Exe RegPath 1", "1,SOFTWARE\\Quade,0,gone.exe");
    Str(gap, "Exe RegPath 3", "1,SOFTWARE\\Quade,0,moplink.exe");
    EXPECT_FALSE(suite::FirstExistingLocatedFile(gap, "Exe RegPath ", &path));
}

TEST_F(LocatorRegistry, InstalledProgramSearchHonoursTheExtraCheckAndEnds) {
    Str(Key(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quade"), nullptr, dir_ + "/Quade");
    Dword(Key(HKEY_CURRENT_USER, "Software\\Quade\\Ver"), "Build", 5);
    HKEY host = Key(HKEY_CURRENT_USER, "Software\\Host");
    Str(Key(host, "Lomart 1"), "Exe RegPath", "1,SOFTWARE\\Quade,0,missing.exe");
    HKEY two = Key(host, "Lomart 2");
    Str(two, "Exe RegPath", "1,SOFTWARE\\Quade,0,moplink.exe");
    Str(two, "Extra Checked RegPath", "2,Software\\Quade\\Ver,Build,6");
    HKEY three = Key(host, "Lomart 3");
    Str(three, "Exe RegPath", "1,SOFTWARE\\Quade,0,moplink.exe");
    Str(three, "Extra Checked RegPath", "2,Software\\Quade\\Ver,Build,5");
    suite::InstalledProgram found;
    ASSERT_TRUE(suite::FindInstalledProgram(host, "Lomart ", true, &found));
    EXPECT_EQ(found.number, 3);
    // Without the check the second already matches.
    ASSERT_TRUE(suite::FindInstalledProgram(host, "Lomart ", false, &found));
    EXPECT_EQ(found.number, 2);
    EXPECT_EQ(found.program, dir_ + "/Quade\\moplink.exe");
    // A sub-key without "Exe RegPath" is passed over; a missing number ends the search.
    Key(host, "Harnel 1");
    Str(Key(host, "Harnel 2"), "Exe RegPath", "1,SOFTWARE\\Quade,0,moplink.exe");
    ASSERT_TRUE(suite::FindInstalledProgram(host, "Harnel ", true, &found));
    EXPECT_EQ(found.number, 2);
    EXPECT_FALSE(suite::FindInstalledProgram(host, "Dravel ", true, &found));
}

}  // namespace

namespace {

TEST_F(LocatorRegistry, ABoundedSearchPassesOverPathsTooLongForTheCallersBuffer) {
    std::string deep = dir_ + "/" + std::string(200, 'd') + "/" + std::string(100, 'e');
    std::filesystem::create_directories(deep);
    std::ofstream(deep + "/moplink.exe") << "x";
    Str(Key(HKEY_CURRENT_USER, "Software\\Deep"), "Dir", deep);
    Str(Key(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quade"), nullptr, dir_ + "/Quade");
    HKEY host = Key(HKEY_CURRENT_USER, "Software\\Host\\V10");
    Str(host, "Exe RegPath 1", "0,Software\\Deep,Dir,moplink.exe");
    Str(host, "Exe RegPath 2", "1,SOFTWARE\\Quade,0,moplink.exe");
    std::string path;
    int n = 0;
    ASSERT_TRUE(suite::FirstExistingLocatedFile(host, "Exe RegPath ", &path, &n));
    EXPECT_EQ(n, 1);
    ASSERT_TRUE(suite::FirstExistingLocatedFile(host, "Exe RegPath ", &path, &n, MAX_PATH));
    EXPECT_EQ(n, 2);
    EXPECT_EQ(path, dir_ + "/Quade\\moplink.exe");

    HKEY plugins = Key(HKEY_CURRENT_USER, "Software\\Host\\Plugins");
    Str(Key(plugins, "Dravel 1"), "Exe RegPath", "0,Software\\Deep,Dir,moplink.exe");
    Str(Key(plugins, "Dravel 2"), "Exe RegPath", "1,SOFTWARE\\Quade,0,moplink.exe");
    suite::InstalledProgram found;
    ASSERT_TRUE(suite::FindInstalledProgram(plugins, "Dravel ", true, &found));
    EXPECT_EQ(found.number, 1);
    ASSERT_TRUE(suite::FindInstalledProgram(plugins, "Dravel ", true, &found, MAX_PATH));
    EXPECT_EQ(found.number, 2);
}

}  // namespace
