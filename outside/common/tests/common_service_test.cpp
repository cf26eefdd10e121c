// The Common Library stand-in: ini values and key-tree copies.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "outside/include/common_service.h"
#include "platform/win/registry.h"
#include "platform/win/tests/temporary_folder.h"

namespace {

const COMMON_SERVICE_TABLE& common() { return *CommonService(); }

struct Temp {
    suite_test::TemporaryFolder folder{"common"};
    std::string dir = folder.path();
    Temp() {
        setenv("SUITE_REGISTRY_DIR", dir.c_str(), 1);
        setenv("SUITE_REGISTRY_USER", (dir + "/user.db").c_str(), 1);
        setenv("SUITE_REGISTRY_MACHINE", (dir + "/machine.db").c_str(), 1);
    }
};
Temp& temp() {
    static Temp t;
    return t;
}

TEST(CommonIni, ValuesRoundTripIgnoringCase) {
    std::string ini = temp().dir + "/a.ini";
    ASSERT_TRUE(common().WriteIniString("System", "Path", "A\\B=C", ini.c_str()));
    ASSERT_TRUE(common().WriteIniInt("System", "Total Pages", 12, ini.c_str()));
    ASSERT_TRUE(common().WriteIniString("Files", "1", "PNG,24,100,20", ini.c_str()));
    ASSERT_TRUE(common().WriteIniString("system", "PATH", "again", ini.c_str()));
    char buf[64];
    EXPECT_TRUE(common().ReadIniString("SYSTEM", "path", "", buf, sizeof buf, ini.c_str()));
    EXPECT_STREQ(buf, "again");
    EXPECT_EQ(common().ReadIniInt("System", "Total Pages", 0, ini.c_str()), 12);
    EXPECT_FALSE(common().ReadIniString("Files", "2", "dflt", buf, sizeof buf, ini.c_str()));
    EXPECT_STREQ(buf, "dflt");
    char tiny[4];
    EXPECT_TRUE(common().ReadIniString("Files", "1", "", tiny, sizeof tiny, ini.c_str()));
    EXPECT_STREQ(tiny, "PNG");
    EXPECT_EQ(common().ReadIniInt("Nope", "x", -5, ini.c_str()), -5);
    EXPECT_FALSE(common().WriteIniString("S", "bad\nkey", "v", ini.c_str()));
}

TEST(CommonIni, DoubleByteNamesKeepTheirTrailBytes) {
    // GBK characters whose trail bytes are 'a' and 'A' name different keys;
    // the ASCII letters around them still ignore case.
    std::string ini = temp().dir + "/dbcs.ini";
    ASSERT_TRUE(common().WriteIniString("\x81\x61", "k", "lower", ini.c_str()));
    ASSERT_TRUE(common().WriteIniString("\x81\x41", "k", "upper", ini.c_str()));
    ASSERT_TRUE(common().WriteIniString("S", "x\xB0\x61", "one", ini.c_str()));
    ASSERT_TRUE(common().WriteIniString("S", "X\xB0\x41", "two", ini.c_str()));
    char buf[16];
    EXPECT_TRUE(common().ReadIniString("\x81\x61", "K", "", buf, sizeof buf, ini.c_str()));
    EXPECT_STREQ(buf, "lower");
    EXPECT_TRUE(common().ReadIniString("\x81\x41", "k", "", buf, sizeof buf, ini.c_str()));
    EXPECT_STREQ(buf, "upper");
    EXPECT_TRUE(common().ReadIniString("s", "X\xB0\x61", "", buf, sizeof buf, ini.c_str()));
    EXPECT_STREQ(buf, "one");
    EXPECT_TRUE(common().ReadIniString("S", "x\xB0\x41", "", buf, sizeof buf, ini.c_str()));
    EXPECT_STREQ(buf, "two");
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST(CommonIni, EditsKeepTheRestOfTheFile) {
    std::string ini = temp().dir + "/kept.ini";
    std::ofstream(ini, std::ios::binary) << "; written by hand\n[System]\nPath = \"C:\\a b\"\n\n[Other]\nx=1\n";
    char buf[32];
    EXPECT_TRUE(common().ReadIniString("system", "path", "", buf, sizeof buf, ini.c_str()));
    EXPECT_STREQ(buf, "C:\\a b");
    ASSERT_TRUE(common().WriteIniString("System", "Pages", "3", ini.c_str()));
    ASSERT_TRUE(common().WriteIniString("Other", "X", "2", ini.c_str()));
    // The comment, the blank line and the file's own line ends stay; a new key
    // goes at the end of its section.
    EXPECT_EQ(fileText(ini), "; written by hand\n[System]\nPath = \"C:\\a b\"\nPages=3\n\n[Other]\nx=2\n");
    // Text that would break the file's lines is refused and changes nothing.
    EXPECT_FALSE(common().WriteIniString("System", "[Fake]", "v", ini.c_str()));
    EXPECT_FALSE(common().WriteIniString("System", "k", "two\nlines", ini.c_str()));
    EXPECT_FALSE(common().WriteIniString("Sys]tem", "k", "v", ini.c_str()));
    EXPECT_EQ(fileText(ini), "; written by hand\n[System]\nPath = \"C:\\a b\"\nPages=3\n\n[Other]\nx=2\n");
    // A double-byte section name whose trail byte is ']' is a name like any other.
    ASSERT_TRUE(common().WriteIniString("\x81\x5D", "k", "v", ini.c_str()));
    EXPECT_TRUE(common().ReadIniString("\x81\x5D", "K", "", buf, sizeof buf, ini.c_str()));
    EXPECT_STREQ(buf, "v");
}

TEST(CommonKeys, CopiesTreesButNeverOntoAnExistingKeyOrIntoItself) {
    temp();
    HKEY src = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\CopyTest\\Src\\Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &src, &disposition),
              ERROR_SUCCESS);
    DWORD v = 7;
    RegSetValueExA(src, "N", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
    RegCloseKey(src);
    EXPECT_TRUE(common().CopyKey(HKEY_CURRENT_USER, "Software\\CopyTest\\Src", HKEY_CURRENT_USER, "Software\\CopyTest\\Dst"));
    HKEY copy = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\CopyTest\\Dst\\Child", 0, KEY_READ, &copy), ERROR_SUCCESS);
    DWORD got = 0, size = 4, type = 0;
    RegQueryValueExA(copy, "N", nullptr, &type, reinterpret_cast<BYTE*>(&got), &size);
    EXPECT_EQ(got, 7u);
    RegCloseKey(copy);
    EXPECT_FALSE(common().CopyKey(HKEY_CURRENT_USER, "Software\\CopyTest\\Src", HKEY_CURRENT_USER, "Software\\CopyTest\\dst"));
    EXPECT_FALSE(common().CopyKey(HKEY_CURRENT_USER, "Software\\CopyTest\\Src", HKEY_CURRENT_USER,
                                  "Software\\CopyTest\\Src\\Child\\Deeper"));
    EXPECT_FALSE(common().CopyKey(HKEY_CURRENT_USER, "Software\\CopyTest\\Missing", HKEY_CURRENT_USER, "Software\\X"));
}

}  // namespace
