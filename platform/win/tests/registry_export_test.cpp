// Registry export: section layout, value texts, depth-first order, the
// scrambled binary texts and the values whose text would not read back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/win/registry.h"
#include "platform/win/registry_export.h"

namespace fs = std::filesystem;

namespace {

class RegistryExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/regexport-XXXXXX";
        dir_ = mkdtemp(pattern);
        setenv("SUITE_REGISTRY_DIR", dir_.c_str(), 1);
        unsetenv("SUITE_REGISTRY_USER");
        unsetenv("SUITE_REGISTRY_MACHINE");
        file_ = (dir_ / "out.ini").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    HKEY Create(const char* path) {
        HKEY k = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        return k;
    }
    static void Set(HKEY k, const char* name, DWORD type, const std::string& bytes) {
        ASSERT_EQ(RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size())),
                  ERROR_SUCCESS);
    }
    static void SetDword(HKEY k, const char* name, DWORD v) {
        Set(k, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&v), 4));
    }
    // Bytes whose running XOR from the start value gives `text`.
    static std::string Scramble(const std::string& text) {
        std::string out;
        BYTE v = REGISTRY_EXPORT_SCRAMBLE_START;
        for (char c : text) {
            out += char(BYTE(c) ^ v);
            v = BYTE(c);
        }
        return out;
    }
    std::string Text() const {
        std::ifstream in(file_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir_;
    std::string file_;
};

TEST_F(RegistryExportTest, WritesTheTreeDepthFirstWithValueTexts) {
    HKEY top = Create("Software\\Corp\\App\\Copy\\1");
    Set(top, "Description", REG_SZ, std::string("Copy to printer\0", 16));
    SetDword(top, "Copies", 2);
    SetDword(top, "Offset", DWORD(-7));
    Set(top, "Password", REG_BINARY, Scramble("secret"));
    // 45 bytes: 43 letters and the list's two terminators.
    std::string multi;
    for (int i = 0; i < 43; ++i) multi += char('a' + i % 26);
    multi += std::string(2, '\0');
    Set(top, "List", REG_MULTI_SZ, multi);
    Set(top, "Nothing", REG_NONE, "xy");
    HKEY a = Create("Software\\Corp\\App\\Copy\\1\\Alpha");
    SetDword(a, "A", 1);
    HKEY deep = Create("Software\\Corp\\App\\Copy\\1\\Alpha\\Deep");
    Set(deep, "Path", REG_SZ, "C:\\Out");
    HKEY b = Create("Software\\Corp\\App\\Copy\\1\\Beta");
    for (HKEY k : {top, a, deep, b}) RegCloseKey(k);

    auto r = suite::ExportRegistryTree("HKEY_CURRENT_USER", "Software\\Corp\\App\\Copy\\1", file_.c_str());
    EXPECT_TRUE(r.written);
    EXPECT_TRUE(r.skipped.empty());
    std::string hexLine1, hexLine2, hexLine3;
    char b2[4];
    for (int i = 0; i < 45; ++i) {
        std::snprintf(b2, sizeof b2, "%02x", i < 43 ? unsigned('a' + i % 26) : 0u);
        std::string& line = i < 21 ? hexLine1 : i < 42 ? hexLine2 : hexLine3;
        if (!line.empty()) line += ",";
        line += b2;
    }
    EXPECT_EQ(Text(), "[1]\r\n"
                      "Description=Copy to printer\r\n"
                      "Copies=2\r\n"
                      "Offset=-7\r\n"
                      "Password=secret\r\n"
                      "List=hex(7):" + hexLine1 + ",\\\r\n" + hexLine2 + ",\\\r\n" + hexLine3 + "\r\n"
                      "Nothing=\r\n"
                      "[1\\Alpha]\r\n"
                      "A=1\r\n"
                      "[1\\Alpha\\Deep]\r\n"
                      "Path=C:\\Out\r\n"
                      "[1\\Beta]\r\n");
    // A second export appends.
    suite::ExportRegistryTree("HKEY_CURRENT_USER", "Software\\Corp\\App\\Copy\\1\\Beta", file_.c_str());
    const std::string tail = "[1\\Beta]\r\n[Beta]\r\n";
    EXPECT_EQ(Text().substr(Text().size() - tail.size()), tail);
}

TEST_F(RegistryExportTest, BinaryTextIsSizedFromTheData) {
    HKEY k = Create("Software\\Bin");
    std::string longText(200, 'x');
    Set(k, "Long", REG_BINARY, Scramble(longText));
    Set(k, "Empty", REG_BINARY, std::string(1, char(REGISTRY_EXPORT_SCRAMBLE_START)));  // first result 0
    RegCloseKey(k);
    suite::ExportRegistryTree("HKEY_CURRENT_USER", "Software\\Bin", file_.c_str());
    EXPECT_EQ(Text(), "[Bin]\r\nLong=" + longText + "\r\nEmpty=\r\n");

    char target[8];
    UnscrambleChain(target, reinterpret_cast<const BYTE*>("abc"), 0);
    EXPECT_STREQ(target, "");
    UnscrambleChain(target, reinterpret_cast<const BYTE*>("abc"), -3);
    EXPECT_STREQ(target, "");
}

TEST_F(RegistryExportTest, ValuesThatWouldReadAsOtherKeysAreSkippedAndReported) {
    HKEY k = Create("Software\\Odd");
    Set(k, "Good", REG_SZ, "fine");
    Set(k, "Two\nLines", REG_SZ, "x");
    Set(k, "a=b", REG_SZ, "x");
    Set(k, "[Section]", REG_SZ, "x");
    Set(k, "Text", REG_SZ, "line\n[Other]\nKey=1");
    Set(k, "Bin", REG_BINARY, Scramble("a\nb"));
    HKEY odd = Create("Software\\Odd\\Bad]Name");
    RegCloseKey(odd);
    RegCloseKey(k);
    auto r = suite::ExportRegistryTree("HKEY_CURRENT_USER", "Software\\Odd", file_.c_str());
    EXPECT_EQ(Text(), "[Odd]\r\nGood=fine\r\n");
    EXPECT_EQ(r.skipped,
              (std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\Odd\\Two\nLines",
                                        "HKEY_CURRENT_USER\\Software\\Odd\\a=b", "HKEY_CURRENT_USER\\Software\\Odd\\[Section]",
                                        "HKEY_CURRENT_USER\\Software\\Odd\\Text", "HKEY_CURRENT_USER\\Software\\Odd\\Bin",
                                        "HKEY_CURRENT_USER\\Software\\Odd\\Bad]Name"}));
}

TEST_F(RegistryExportTest, UnknownRootMissingKeyAndUnwritableFile) {
    HKEY k = Create("Software\\Some");
    RegCloseKey(k);
    auto r = suite::ExportRegistryTree("HKEY_current_user", "Software\\Some", file_.c_str());
    EXPECT_FALSE(r.written);
    EXPECT_FALSE(fs::exists(file_));
    r = suite::ExportRegistryTree("HKEY_CURRENT_USER", "Software\\Missing", file_.c_str());
    EXPECT_TRUE(r.written);
    EXPECT_EQ(Text(), "");
    r = suite::ExportRegistryTree("HKEY_CURRENT_USER", "Software\\Some", (dir_ / "no" / "such.ini").c_str());
    EXPECT_TRUE(r.fileFailed);
    r = suite::ExportRegistryTree("HKEY_DYN_DATA", "x", file_.c_str());
    EXPECT_TRUE(r.written);
}

}  // namespace
