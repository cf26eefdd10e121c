#include "platform/win/registry.h"

#include "platform/win/ansi_names.h"

#include "platform/win/tests/child_process.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using suite::test::ChildProcess;

// Every test gets stores of its own in a fresh folder.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* temp = getenv("TMPDIR");
        std::string pattern = std::string(temp != nullptr && *temp != '\0' ? temp : "/tmp") + "/registry_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        setenv("SUITE_REGISTRY_DIR", dir_.c_str(), 1);
        unsetenv("SUITE_REGISTRY_USER");
        unsetenv("SUITE_REGISTRY_MACHINE");
        unsetenv("SUITE_REGISTRY_WAIT_MS");
    }
    void TearDown() override {
        for (HKEY k : open_) RegCloseKey(k);
        std::filesystem::remove_all(dir_);
    }

    HKEY Create(HKEY parent, const char* path, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, disposition),
                  ERROR_SUCCESS)
            << path;
        open_.push_back(key);
        return key;
    }
    static void SetDword(HKEY key, const char* name, DWORD v) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4), ERROR_SUCCESS);
    }
    static void SetString(HKEY key, const char* name, const std::string& text) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)),
                  ERROR_SUCCESS);
    }
    static std::string GetString(HKEY key, const char* name) {
        char buffer[512];
        DWORD size = sizeof buffer, type = 0;
        LONG e = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size);
        if (e != ERROR_SUCCESS) return "<error " + std::to_string(e) + ">";
        return std::string(buffer, size > 0 ? size - 1 : 0);
    }
    static std::vector<std::string> SubKeys(HKEY key) {
        std::vector<std::string> names;
        char name[300];
        for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) names.push_back(name);
        return names;
    }
    static std::vector<std::string> ValueNames(HKEY key) {
        std::vector<std::string> names;
        char name[300];
        DWORD chars = sizeof name;
        for (DWORD i = 0; RegEnumValueA(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
             ++i, chars = sizeof name)
            names.push_back(name);
        return names;
    }
    static bool Exists(HKEY parent, const char* path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(parent, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    std::string dir_;
    std::vector<HKEY> open_;
};

TEST_F(RegistryTest, CreateReportsNewOrExistingAndMakesEveryLevel) {
    DWORD disposition = 0;
    HKEY deep = Create(HKEY_CURRENT_USER, "Software\\Maker\\App\\Settings", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "Software\\Maker"));
    Create(HKEY_CURRENT_USER, "SOFTWARE\\maker\\APP\\settings", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    // A trailing separator or doubled ones name the same key.
    Create(HKEY_CURRENT_USER, "Software\\\\Maker\\App\\Settings\\", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    SetDword(deep, "X", 1);

    HKEY missing = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nobody", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, nullptr);
    // The machine store is a separate tree.
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, "Software\\Maker"));
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, "Software\\Maker"));
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    // Key names are at most 255 characters.
    std::string longest(255, 'k');
    Create(deep, longest.c_str());
    HKEY tooLong = nullptr;
    EXPECT_EQ(RegCreateKeyA(deep, (longest + "k").c_str(), &tooLong), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, AStoreThatIsNotADatabaseIsReported) {
    std::string user = dir_ + "/user.db";
    std::FILE* f = std::fopen(user.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::string junk(8192, 'J');
    std::fwrite(junk.data(), 1, junk.size(), f);
    std::fclose(f);
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software", &key), ERROR_REGISTRY_CORRUPT);
    EXPECT_EQ(key, nullptr);
    // The machine store is not affected.
    Create(HKEY_LOCAL_MACHINE, "Software");
}

TEST_F(RegistryTest, NamesKeepTheirCaseAndMatchWithoutIt) {
    HKEY app = Create(HKEY_CURRENT_USER, "Software\\MixedCase");
    Create(app, "Recent File List");
    EXPECT_EQ(SubKeys(app), std::vector<std::string>{"Recent File List"});
    SetString(app, "OutputPath", "one");
    SetString(app, "OUTPUTPATH", "two");  // the same value, keeping its first spelling
    EXPECT_EQ(ValueNames(app), std::vector<std::string>{"OutputPath"});
    EXPECT_EQ(GetString(app, "outputpath"), "two");
}

TEST_F(RegistryTest, DoubleByteNamesFoldOnlyTheirAsciiCharacters) {
    HKEY root = Create(HKEY_CURRENT_USER, "Software\\Names");
    // Two GBK characters whose trail bytes are 'a' and 'A': different names.
    Create(root, "\x81\x61");
    Create(root, "\x81\x41");
    EXPECT_EQ(SubKeys(root).size(), 2u);
    SetDword(root, "\xB0\x61x", 1);
    SetDword(root, "\xB0\x41X", 2);
    EXPECT_EQ(ValueNames(root).size(), 2u);
    // ASCII letters around double-byte characters still fold.
    DWORD disposition = 0;
    Create(root, "ab\xB1\x6D" "cd", &disposition);
    Create(root, "AB\xB1\x6D" "CD", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    // A trail byte equal to '\' does not split a path.
    Create(root, "\x81\x5C" "tail");
    std::vector<std::string> names = SubKeys(root);
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[3], "\x81\x5C" "tail");
}

TEST(AnsiNames, SameNameIsEqualityOfTheFoldedForms) {
    const char* names[] = {"", "a", "A", "ab", "AB", "\x81\x61", "\x81\x41", "\x81", "\x81" "1", "\x81\x7F",
                           "x\xB0\x61", "X\xB0\x41", "X\xB0\x61", "\xB0\xB0\x61", "\xB0\xB0\x41", "\xFF" "a",
                           "\xFF" "A", "\x81\x81\x61", "\x81\x81\x41"};
    for (const char* a : names)
        for (const char* b : names)
            EXPECT_EQ(suite::SameName(a, b), suite::FoldName(a) == suite::FoldName(b)) << a << " / " << b;
}

TEST_F(RegistryTest, TypedValuesRoundTripWithTheirSizes) {
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Types");
    const BYTE binary[] = {0, 1, 2, 0xFF, 0};
    ASSERT_EQ(RegSetValueExA(key, "Bin", 0, REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
    std::uint64_t q = 0x1122334455667788ull;
    ASSERT_EQ(RegSetValueExA(key, "Q", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&q), 8), ERROR_SUCCESS);
    const char multi[] = "one\0two\0";  // the list's final NUL is added
    ASSERT_EQ(RegSetValueExA(key, "Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), 8),
              ERROR_SUCCESS);
    // A string given without its NUL is stored with one.
    ASSERT_EQ(RegSetValueExA(key, "NoNul", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Path", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%TEMP%"), 7),
              ERROR_SUCCESS);
    SetDword(key, "D", 0xDEADBEEF);

    struct Expect {
        const char* name;
        DWORD type;
        std::string bytes;
    } expects[] = {
        {"Bin", REG_BINARY, std::string("\0\1\2\xFF\0", 5)},
        {"Q", REG_QWORD, std::string(reinterpret_cast<const char*>(&q), 8)},
        {"Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
        {"NoNul", REG_SZ, std::string("abc\0", 4)},
        {"Path", REG_EXPAND_SZ, std::string("%TEMP%\0", 7)},
        {"D", REG_DWORD, std::string("\xEF\xBE\xAD\xDE", 4)},
    };
    for (const auto& x : expects) {
        DWORD type = 0, size = 0;
        ASSERT_EQ(RegQueryValueExA(key, x.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS) << x.name;
        EXPECT_EQ(type, x.type) << x.name;
        ASSERT_EQ(size, x.bytes.size()) << x.name;
        std::string got(size, '?');
        ASSERT_EQ(RegQueryValueExA(key, x.name, nullptr, nullptr, reinterpret_cast<LPBYTE>(got.data()), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(got, x.bytes) << x.name;
    }
    EXPECT_EQ(RegSetValueExA(key, "Short", 0, REG_DWORD, binary, 3), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "Absent", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, SmallBufferGetsMoreDataAndTheNeededSize) {
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Sizes");
    SetString(key, "Name", "0123456789");
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    DWORD size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(std::string(buffer, 8), "xxxxxxxx");  // nothing half-written
    // Exactly the needed size fits.
    char exact[11];
    size = sizeof exact;
    EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<LPBYTE>(exact), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(exact, "0123456789");
    EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<LPBYTE>(exact), nullptr),
              ERROR_INVALID_PARAMETER);

    // Enumeration: a short name buffer, then a short data buffer.
    char name[4];
    DWORD chars = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    char longName[8];
    chars = sizeof longName;
    size = 4;
    DWORD type = 0;
    EXPECT_EQ(RegEnumValueA(key, 0, longName, &chars, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);
    Create(key, "Sub");
    EXPECT_EQ(RegEnumKeyA(key, 0, name, 3), ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKeyA(key, 0, name, 4), ERROR_SUCCESS);
    EXPECT_EQ(RegEnumKeyA(key, 1, name, 4), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryTest, DefaultValueThroughBothInterfaces) {
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Defaults");
    char text[64];
    LONG size = sizeof text;
    // A key without a default value reads as "".
    ASSERT_EQ(RegQueryValueA(key, nullptr, text, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 1);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(RegSetValueA(key, "Child\\Grandchild", REG_SZ, "hello", 0), ERROR_SUCCESS);
    size = sizeof text;
    ASSERT_EQ(RegQueryValueA(key, "child\\grandchild", text, &size), ERROR_SUCCESS);
    EXPECT_STREQ(text, "hello");
    EXPECT_EQ(size, 6);
    HKEY grand = Create(key, "Child\\Grandchild");
    EXPECT_EQ(GetString(grand, ""), "hello");  // "" and nullptr both name the default value
    EXPECT_EQ(ValueNames(grand), std::vector<std::string>{""});
    size = 3;
    EXPECT_EQ(RegQueryValueA(grand, nullptr, text, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6);
    EXPECT_EQ(RegSetValueA(key, "X", REG_DWORD, "1", 0), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, EnumerationFollowsCreationOrderAndSeesChanges) {
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Order");
    for (const char* n : {"zeta", "Alpha", "mid", "beta"}) Create(key, n);
    EXPECT_EQ(SubKeys(key), (std::vector<std::string>{"zeta", "Alpha", "mid", "beta"}));
    // A second handle changes the tree; the first one's listing follows.
    HKEY other = Create(HKEY_CURRENT_USER, "Software\\Order");
    ASSERT_EQ(RegDeleteKeyA(other, "Alpha"), ERROR_SUCCESS);
    Create(other, "alpha");
    EXPECT_EQ(SubKeys(key), (std::vector<std::string>{"zeta", "mid", "beta", "alpha"}));

    for (const char* n : {"c", "a", "b"}) SetDword(key, n, 1);
    SetDword(key, "A", 2);  // rewriting keeps the value's place
    EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"c", "a", "b"}));
    ASSERT_EQ(RegDeleteValueA(other, "c"), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(RegDeleteValueA(other, "c"), ERROR_FILE_NOT_FOUND);

    DWORD subKeys = 0, maxSub = 0, values = 0, maxName = 0, maxData = 0;
    FILETIME written{};
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &maxSub, nullptr, &values, &maxName,
                               &maxData, nullptr, &written),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 4u);
    EXPECT_EQ(maxSub, 5u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxName, 1u);
    EXPECT_EQ(maxData, 4u);
    EXPECT_NE(written.dwHighDateTime, 0u);
}

TEST_F(RegistryTest, EnumerationSeesAnotherProcessesKeys) {
    HKEY shared = Create(HKEY_CURRENT_USER, "Software\\Shared");
    EXPECT_TRUE(SubKeys(shared).empty());
    ChildProcess child("registry_child", {"write-keys", "p", "3", "0"});
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_EQ(SubKeys(shared), (std::vector<std::string>{"p0", "p1", "p2"}));
}

TEST_F(RegistryTest, DeletedKeysAndBadHandlesAreReported) {
    HKEY parent = Create(HKEY_CURRENT_USER, "Software\\Del");
    HKEY child = Create(parent, "Child");
    Create(child, "Leaf");
    EXPECT_EQ(RegDeleteKeyA(parent, "Child"), ERROR_ACCESS_DENIED);  // it has a sub-key
    EXPECT_EQ(RegDeleteKeyA(child, "Leaf"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(child, "Leaf"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(parent, "Child"), ERROR_SUCCESS);
    // A key of the same name made again is another key.
    Create(parent, "Child");
    EXPECT_EQ(RegSetValueExA(child, "X", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_KEY_DELETED);
    char name[16];
    EXPECT_EQ(RegEnumKeyA(child, 0, name, sizeof name), ERROR_KEY_DELETED);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyA(child, "New", &sub), ERROR_KEY_DELETED);

    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
    HKEY bogus = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x12345));
    EXPECT_EQ(RegSetValueExA(bogus, "X", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_INVALID_HANDLE);
    HKEY closed = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software", &closed), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(closed, "X", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST_F(RegistryTest, ReadOnlyHandlesRefuseWrites) {
    Create(HKEY_CURRENT_USER, "Software\\Ro");
    HKEY ro = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Ro", 0, KEY_READ, &ro), ERROR_SUCCESS);
    open_.push_back(ro);
    EXPECT_EQ(RegSetValueExA(ro, "X", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_ACCESS_DENIED);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(ro, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(SubKeys(ro).size(), 0u);
}

TEST_F(RegistryTest, DeleteTreeRemovesEverythingBelow) {
    HKEY top = Create(HKEY_CURRENT_USER, "Software\\Tree");
    HKEY a = Create(top, "A\\B\\C");
    SetDword(a, "v", 1);
    SetDword(top, "keep", 1);
    ASSERT_EQ(SHDeleteKeyA(top, "A"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(Exists(top, "A"));
    EXPECT_EQ(RegQueryValueExA(a, "v", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(SHDeleteKeyA(top, "A"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    Create(top, "X\\Y");
    Create(top, "Z");
    // Without a sub-key the key itself stays, emptied.
    ASSERT_EQ(RegDeleteTreeA(top, nullptr), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "Software\\Tree"));
    EXPECT_TRUE(SubKeys(top).empty());
    EXPECT_TRUE(ValueNames(top).empty());
    Create(top, "W\\V");
    ASSERT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "software\\tree\\w"), ERROR_SUCCESS);
    EXPECT_TRUE(SubKeys(top).empty());
}

TEST_F(RegistryTest, CopyTreeCopiesValuesAndSubKeysEvenIntoItself) {
    HKEY src = Create(HKEY_CURRENT_USER, "Software\\Src");
    SetString(src, "Top", "t");
    HKEY deep = Create(src, "One\\Two");
    SetDword(deep, "N", 7);
    Create(src, "Empty");
    HKEY dst = Create(HKEY_CURRENT_USER, "Software\\Dst");
    SetString(dst, "Top", "old");
    ASSERT_EQ(RegCopyTreeA(src, nullptr, dst), ERROR_SUCCESS);
    EXPECT_EQ(GetString(dst, "Top"), "t");
    EXPECT_EQ(SubKeys(dst), (std::vector<std::string>{"One", "Empty"}));
    HKEY copied = Create(dst, "One\\Two");
    DWORD n = 0, size = 4;
    ASSERT_EQ(RegQueryValueExA(copied, "N", nullptr, nullptr, reinterpret_cast<LPBYTE>(&n), &size), ERROR_SUCCESS);
    EXPECT_EQ(n, 7u);

    // Into its own subtree: one copy, no endless recursion.
    HKEY inner = Create(src, "One\\Inner");
    ASSERT_EQ(RegCopyTreeA(src, "One", inner), ERROR_SUCCESS);
    EXPECT_EQ(SubKeys(inner), (std::vector<std::string>{"Two", "Inner"}));
    EXPECT_TRUE(Exists(inner, "Inner"));
    EXPECT_FALSE(Exists(inner, "Inner\\Inner"));

    // Across stores.
    HKEY machine = Create(HKEY_LOCAL_MACHINE, "Software\\Copy");
    ASSERT_EQ(RegCopyTreeA(HKEY_CURRENT_USER, "Software\\Src\\One", machine), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, "Software\\Copy\\Two"));
    EXPECT_EQ(RegCopyTreeA(src, "Nothing", dst), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ReadTreeGivesEveryKeyAndValueInCreationOrder) {
    HKEY top = Create(HKEY_CURRENT_USER, "Software\\Tree");
    SetString(top, "Zeta", "z");
    SetDword(top, "alpha", 1);
    // Keys made out of name order, one of them later given a value again:
    // order stays that of creation.
    HKEY b = Create(top, "B");
    HKEY a = Create(top, "A");
    SetDword(a, "N", 2);
    SetDword(b, "Second", 3);
    SetDword(b, "First", 4);
    SetDword(b, "Second", 5);
    HKEY deep = Create(a, "Inner\\Deepest");
    const BYTE binary[3] = {0, 1, 0};
    ASSERT_EQ(RegSetValueExA(deep, "Bytes", 0, REG_BINARY, binary, 3), ERROR_SUCCESS);
    Create(HKEY_CURRENT_USER, "Software\\Beside");  // outside the tree

    suite::reg::TreeCopy tree;
    tree.name = "stale";
    ASSERT_EQ(SuiteRegReadTree(top, tree), ERROR_SUCCESS);
    EXPECT_EQ(tree.name, "");
    ASSERT_EQ(tree.values.size(), 2u);
    EXPECT_EQ(tree.values[0].name, "Zeta");
    EXPECT_EQ(tree.values[0].type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(tree.values[0].data, std::string("z", 2)) << "strings keep their NUL";
    EXPECT_EQ(tree.values[1].name, "alpha");
    ASSERT_EQ(tree.children.size(), 2u);
    EXPECT_EQ(tree.children[0].name, "B");
    EXPECT_EQ(tree.children[1].name, "A");
    ASSERT_EQ(tree.children[0].values.size(), 2u);
    EXPECT_EQ(tree.children[0].values[0].name, "Second");
    DWORD second = 0;
    std::memcpy(&second, tree.children[0].values[0].data.data(), 4);
    EXPECT_EQ(second, 5u);
    ASSERT_EQ(tree.children[1].children.size(), 1u);
    const auto& inner = tree.children[1].children[0];
    EXPECT_EQ(inner.name, "Inner");
    EXPECT_TRUE(inner.values.empty());
    ASSERT_EQ(inner.children.size(), 1u);
    ASSERT_EQ(inner.children[0].values.size(), 1u);
    EXPECT_EQ(inner.children[0].values[0].type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(inner.children[0].values[0].data, std::string("\0\1\0", 3));
    EXPECT_TRUE(inner.children[0].children.empty());

    // A leaf reads as itself alone; rights, deleted keys and bad handles are refused.
    ASSERT_EQ(SuiteRegReadTree(deep, tree), ERROR_SUCCESS);
    EXPECT_EQ(tree.values.size(), 1u);
    EXPECT_TRUE(tree.children.empty());
    HKEY valuesOnly = nullptr;
    ASSERT_EQ(RegOpenKeyExA(top, nullptr, 0, KEY_QUERY_VALUE, &valuesOnly), ERROR_SUCCESS);
    EXPECT_EQ(SuiteRegReadTree(valuesOnly, tree), ERROR_ACCESS_DENIED);
    RegCloseKey(valuesOnly);
    ASSERT_EQ(RegDeleteTreeA(top, "A"), ERROR_SUCCESS);
    EXPECT_EQ(SuiteRegReadTree(a, tree), ERROR_KEY_DELETED);
    ASSERT_EQ(SuiteRegReadTree(top, tree), ERROR_SUCCESS);
    EXPECT_EQ(tree.children.size(), 1u);
    EXPECT_EQ(SuiteRegReadTree(reinterpret_cast<HKEY>(0x1234), tree), ERROR_INVALID_HANDLE);
}

// A tree read walks a small tree down key by key and picks a large one out of
// the whole file, and takes values in one pass or key by key likewise: every
// way gives the same copy, with values written in turns to two keys each in
// their own order.
TEST_F(RegistryTest, ReadTreeIsTheSameForSmallAndLargeShareOfTheFile) {
    HKEY top = Create(HKEY_CURRENT_USER, "Software\\Mixed");
    HKEY p = Create(top, "P");
    HKEY q = Create(top, "Q");
    for (DWORD i = 0; i < 3; ++i) {
        SetDword(p, ("p" + std::to_string(i)).c_str(), i);
        SetDword(q, ("q" + std::to_string(i)).c_str(), 10 + i);
    }
    SetString(top, "Last", "end");
    auto names = [](const suite::reg::TreeCopy& t) {
        std::string all;
        for (const auto& v : t.values) all += v.name + ";";
        return all;
    };
    auto check = [&](const char* share, size_t children) {
        suite::reg::TreeCopy tree;
        ASSERT_EQ(SuiteRegReadTree(top, tree), ERROR_SUCCESS) << share;
        EXPECT_EQ(names(tree), "Last;") << share;
        ASSERT_EQ(tree.children.size(), children) << share;
        EXPECT_EQ(tree.children[0].name, "P") << share;
        EXPECT_EQ(names(tree.children[0]), "p0;p1;p2;") << share;
        EXPECT_EQ(names(tree.children[1]), "q0;q1;q2;") << share;
        DWORD q2 = 0;
        std::memcpy(&q2, tree.children[1].values[2].data.data(), 4);
        EXPECT_EQ(q2, 12u) << share;
        EXPECT_EQ(tree.children.back().name, children > 2 ? "Leaf " + std::to_string(children - 3) : "Q") << share;
    };
    check("few keys, most of the file", 2);
    ASSERT_EQ(SuiteRegBeginTransaction(HKEY_CURRENT_USER), ERROR_SUCCESS);
    for (int i = 0; i < 40; ++i) Create(top, ("Leaf " + std::to_string(i)).c_str());
    ASSERT_EQ(SuiteRegCommitTransaction(HKEY_CURRENT_USER), ERROR_SUCCESS);
    check("many keys, most of the file", 42);
    ASSERT_EQ(SuiteRegBeginTransaction(HKEY_CURRENT_USER), ERROR_SUCCESS);
    HKEY pad = Create(HKEY_CURRENT_USER, "Software\\Padding");
    for (int i = 0; i < 1000; ++i) SetDword(Create(pad, ("Key " + std::to_string(i)).c_str()), "v", DWORD(i));
    ASSERT_EQ(SuiteRegCommitTransaction(HKEY_CURRENT_USER), ERROR_SUCCESS);
    check("small part of the file", 42);
}

// A damaged file can make a key its own descendant: a tree read from it
// still ends and takes each key once, and deleting the tree ends too.
TEST_F(RegistryTest, ReadTreeEndsOnAKeyLoopInADamagedFile) {
    HKEY a = Create(HKEY_CURRENT_USER, "Software\\Loop\\A");
    HKEY b = Create(a, "B");
    SetDword(b, "In B", 1);
    for (int i = 0; i < 20; ++i) Create(b, ("Leaf " + std::to_string(i)).c_str());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir_ + "/user.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "UPDATE keys SET parent=(SELECT id FROM keys WHERE name=CAST('B' AS BLOB))"
                           " WHERE name=CAST('A' AS BLOB)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_changes(db), 1);
    sqlite3_close(db);
    suite::reg::TreeCopy tree;
    ASSERT_EQ(SuiteRegReadTree(a, tree), ERROR_SUCCESS);
    ASSERT_EQ(tree.children.size(), 1u);
    EXPECT_EQ(tree.children[0].name, "B");
    ASSERT_EQ(tree.children[0].values.size(), 1u);
    EXPECT_EQ(tree.children[0].children.size(), 20u) << "A, below B now, is not read again";
    EXPECT_EQ(RegDeleteTreeA(a, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(SuiteRegReadTree(a, tree), ERROR_SUCCESS);
    EXPECT_TRUE(tree.children.empty());
}

TEST_F(RegistryTest, BigValuesRoundTrip) {
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Big");
    std::string big(4 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + (i >> 12));
    ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY, reinterpret_cast<const BYTE*>(big.data()),
                             static_cast<DWORD>(big.size())),
              ERROR_SUCCESS);
    std::string back(big.size(), '\0');
    DWORD size = static_cast<DWORD>(back.size());
    ASSERT_EQ(RegQueryValueExA(key, "Blob", nullptr, nullptr, reinterpret_cast<LPBYTE>(back.data()), &size),
              ERROR_SUCCESS);
    EXPECT_TRUE(back == big);
    DWORD maxData = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &maxData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(maxData, big.size());
}

TEST_F(RegistryTest, StoresFollowTheEnvironment) {
    std::string user = dir_ + "/elsewhere/me.db";
    setenv("SUITE_REGISTRY_USER", user.c_str(), 1);
    Create(HKEY_CURRENT_USER, "Software\\Moved");
    EXPECT_TRUE(std::filesystem::exists(user));
    unsetenv("SUITE_REGISTRY_USER");
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\Moved"));
}

TEST_F(RegistryTest, TransactionsCommitOrRollBackTogether) {
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Txn");
    SetDword(key, "Before", 1);
    ASSERT_EQ(SuiteRegBeginTransaction(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(SuiteRegBeginTransaction(key), ERROR_INVALID_FUNCTION);  // no nesting
    Create(key, "A\\B");
    SetDword(key, "During", 2);
    ASSERT_EQ(RegDeleteValueA(key, "Before"), ERROR_SUCCESS);
    EXPECT_EQ(SubKeys(key), std::vector<std::string>{"A"});  // the thread sees its own changes
    ASSERT_EQ(SuiteRegRollbackTransaction(key), ERROR_SUCCESS);
    EXPECT_TRUE(SubKeys(key).empty());
    EXPECT_EQ(ValueNames(key), std::vector<std::string>{"Before"});

    ASSERT_EQ(SuiteRegBeginTransaction(key), ERROR_SUCCESS);
    Create(key, "Kept");
    ASSERT_EQ(SuiteRegCommitTransaction(key), ERROR_SUCCESS);
    EXPECT_EQ(SubKeys(key), std::vector<std::string>{"Kept"});
    EXPECT_EQ(SuiteRegCommitTransaction(key), ERROR_TRANSACTION_NOT_ACTIVE);
    EXPECT_EQ(SuiteRegRollbackTransaction(key), ERROR_TRANSACTION_NOT_ACTIVE);
}

TEST_F(RegistryTest, OtherThreadsWaitForATransaction) {
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Wait");
    ASSERT_EQ(SuiteRegBeginTransaction(key), ERROR_SUCCESS);
    SetDword(key, "Inside", 1);
    std::atomic<bool> done{false};
    std::string seen;
    std::thread other([&] {
        // Reads the committed state only: it waits for the end of the transaction.
        seen = ValueNames(key).empty() ? "none" : ValueNames(key)[0];
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(done);
    SetDword(key, "Later", 2);
    ASSERT_EQ(SuiteRegCommitTransaction(key), ERROR_SUCCESS);
    other.join();
    EXPECT_EQ(seen, "Inside");
    EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"Inside", "Later"}));

    // A thread that ends inside a transaction leaves nothing behind.
    std::thread quitter([&] {
        ASSERT_EQ(SuiteRegBeginTransaction(key), ERROR_SUCCESS);
        SetDword(key, "Abandoned", 3);
    });
    quitter.join();
    EXPECT_EQ(ValueNames(key).size(), 2u);
    SetDword(key, "After", 4);  // and the store is not left locked
}

TEST_F(RegistryTest, ThreadsWritingAtOnceLoseNothing) {
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Threads");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([key, t] {
            for (int i = 0; i < 25; ++i) {
                std::string name = "T" + std::to_string(t) + "_" + std::to_string(i);
                HKEY sub = nullptr;
                ASSERT_EQ(RegCreateKeyA(key, name.c_str(), &sub), ERROR_SUCCESS);
                DWORD v = static_cast<DWORD>(i);
                ASSERT_EQ(RegSetValueExA(sub, "v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4),
                          ERROR_SUCCESS);
                RegCloseKey(sub);
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(SubKeys(key).size(), 100u);
}

TEST_F(RegistryTest, KilledInsideATransactionLeavesTheTreeAsBefore) {
    HKEY base = Create(HKEY_CURRENT_USER, "Software\\Base");
    SetString(base, "Shared", "original");
    SetString(base, "Doomed", "still here");
    ChildProcess child("registry_child", {"hold-transaction", "300"});
    ASSERT_EQ(child.ReadLine(), "ready");
    child.Kill();
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\Txn"));
    EXPECT_EQ(GetString(base, "Shared"), "original");
    EXPECT_EQ(GetString(base, "Doomed"), "still here");
    // The store takes writes again at once.
    SetString(base, "Shared", "next");
    EXPECT_EQ(GetString(base, "Shared"), "next");
}

TEST_F(RegistryTest, AWriterHeldUpByAnotherProcessGivesUpInTime) {
    setenv("SUITE_REGISTRY_WAIT_MS", "300", 1);  // read when this test's store opens
    HKEY base = Create(HKEY_CURRENT_USER, "Software\\Base");
    SetString(base, "Shared", "original");
    SetString(base, "Doomed", "x");
    ChildProcess child("registry_child", {"hold-transaction", "1"});
    ASSERT_EQ(child.ReadLine(), "ready");
    EXPECT_EQ(GetString(base, "Shared"), "original");  // readers see the state before the transaction
    // A process starting now opens the store and reads without waiting.
    ChildProcess reader("registry_child", {"read-shared"});
    EXPECT_EQ(reader.ReadLine(), "original");
    EXPECT_EQ(reader.Wait(), 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RegSetValueExA(base, "X", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    child.Kill();
    SetString(base, "X", "y");
    unsetenv("SUITE_REGISTRY_WAIT_MS");
}

TEST_F(RegistryTest, KilledWriterLosesNothingAlreadyReturned) {
    ChildProcess child("registry_child", {"write-acked", "100000"});
    int acked = -1;
    for (int i = 0; i < 40; ++i) acked = std::stoi(child.ReadLine());
    child.Kill();
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Acked");
    for (int i = 0; i <= acked; ++i) {
        std::string name = "V" + std::to_string(i);
        DWORD v = 0, size = 4;
        ASSERT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<LPBYTE>(&v), &size),
                  ERROR_SUCCESS)
            << name;
        EXPECT_EQ(v, static_cast<DWORD>(i));
    }
}

TEST_F(RegistryTest, AStoreIsWholeInItsFileOnceItsProcessHasEnded) {
    ChildProcess child("registry_child", {"write-and-exit", "200"});
    ASSERT_EQ(child.Wait(), 0);
    std::error_code ignored;
    EXPECT_EQ(std::filesystem::file_size(dir_ + "/user.db-wal", ignored), static_cast<std::uintmax_t>(-1))
        << "the WAL is gone";
    // The database file alone, copied elsewhere, holds every value.
    std::filesystem::create_directory(dir_ + "/copy");
    std::filesystem::copy_file(dir_ + "/user.db", dir_ + "/copy/user.db");
    setenv("SUITE_REGISTRY_USER", (dir_ + "/copy/user.db").c_str(), 1);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Exit", 0, KEY_READ, &key), ERROR_SUCCESS);
    open_.push_back(key);
    EXPECT_EQ(ValueNames(key).size(), 200u);
    DWORD v = 0, size = 4;
    EXPECT_EQ(RegQueryValueExA(key, "V199", nullptr, nullptr, reinterpret_cast<LPBYTE>(&v), &size), ERROR_SUCCESS);
    EXPECT_EQ(v, 199u);
    unsetenv("SUITE_REGISTRY_USER");
}

// A store on a read-only medium: the tree reads as it is, every write is
// refused with ERROR_ACCESS_DENIED, and a store never made reads as empty.
// As root only a read-only mount stops writes; the child makes one in a
// mount namespace of its own. Other users get a folder and files without
// write permission.
TEST_F(RegistryTest, AReadOnlyMediumIsReadAndRefusesWrites) {
    const bool root = ::geteuid() == 0;
    std::vector<std::string> args{"read-only"};
    if (root) args.push_back("bind");
    auto setWritable = [&](bool writable) {
        if (root) return;
        for (auto& entry : std::filesystem::directory_iterator(dir_))
            ::chmod(entry.path().c_str(), writable ? 0600 : 0400);
        ::chmod(dir_.c_str(), writable ? 0700 : 0500);
    };
    const std::string denied = std::to_string(ERROR_ACCESS_DENIED);
    // First a store its writer closed (the database file alone), then one
    // this process still has open (with its WAL beside it).
    for (const char* expected : {"original", "still in the WAL"}) {
        SCOPED_TRACE(expected);
        if (std::string(expected) == "original") {
            ChildProcess writer("registry_child", {"write-and-exit", "3"});
            ASSERT_EQ(writer.Wait(), 0);
            ASSERT_FALSE(std::filesystem::exists(dir_ + "/user.db-wal"));
        } else {
            SetString(Create(HKEY_CURRENT_USER, "Software\\Base"), "Shared", expected);
            ASSERT_TRUE(std::filesystem::exists(dir_ + "/user.db-wal"));
        }
        setWritable(false);
        ChildProcess child("registry_child", args);
        std::vector<std::string> lines;
        for (std::string line = child.ReadLine(); !line.empty(); line = child.ReadLine()) lines.push_back(line);
        int code = child.Wait();
        setWritable(true);
        if (code == 77) GTEST_SKIP() << "mounting is not permitted here";
        ASSERT_EQ(code, 0);
        const std::string read = std::string("0 ") + expected;
        EXPECT_EQ(lines, (std::vector<std::string>{
                             "read " + read,
                             "enum 0 Child",
                             "create-existing 0 " + std::to_string(REG_OPENED_EXISTING_KEY),
                             "set " + denied,
                             "delete-value " + denied,
                             "delete-key " + denied,
                             "create-new " + denied,
                             "begin " + denied,
                             "machine-open " + std::to_string(ERROR_FILE_NOT_FOUND),
                             "machine-create " + denied,
                             "read-again " + read,
                         }));
        EXPECT_FALSE(std::filesystem::exists(dir_ + "/machine.db"));
    }
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
    ChildProcess plain("registry_child", {"write-keys", "a", "120", "0"});
    ChildProcess grouped("registry_child", {"write-keys", "b", "120", "7"});
    // This process writes too, while both children run.
    HKEY shared = Create(HKEY_CURRENT_USER, "Software\\Shared");
    for (int i = 0; i < 60; ++i) SetDword(shared, ("c" + std::to_string(i)).c_str(), static_cast<DWORD>(i));
    EXPECT_EQ(plain.Wait(), 0);
    EXPECT_EQ(grouped.Wait(), 0);
    std::vector<std::string> keys = SubKeys(shared);
    EXPECT_EQ(keys.size(), 240u);
    EXPECT_EQ(ValueNames(shared).size(), 60u);
    for (const char* prefix : {"a", "b"})
        for (int i = 0; i < 120; ++i) {
            std::string path = std::string(prefix) + std::to_string(i);
            HKEY k = Create(shared, path.c_str());
            EXPECT_EQ(GetString(k, "Name"), "Software\\Shared\\" + path);
        }
}

}  // namespace
