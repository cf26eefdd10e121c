// A test host for the store: loads libTabellon.so with dlopen, as an outside
// host would, and offers a fresh store per test, an invariant checker and a
// canonical picture of the store's content for before/after comparisons.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "outside/include/image_library.h"
#include "platform/win/registry.h"
#include "tabellon/tabellon_api.h"

namespace tabellon_test {

// The folder of the test programs and the libraries (build/bin).
std::string binFolder();
const DB_FUNCTIONTABLE& table();
const IL_FUNCTIONTABLE& imageLib();
void* tabellonHandle();

// A fresh temporary folder (native path).
std::string freshFolder(const std::string& stem);

// A storage configuration for `folders`; lives as long as the object.
struct Config {
    explicit Config(const std::vector<std::string>& folders, DWORD thumb = 32);
    DB_STORAGECONFIG config{};
    std::vector<char> list;
};

// Writes a grey test image of w x h whose pixels depend on `seed`, in `format`.
std::string writeImage(const std::string& path, int format, int w, int h, int seed);
std::string fileBytes(const std::string& path);

// Checks the store's invariants straight from the registry and the files:
// unique IDs below the counters, child counts that match, page values 1..n
// without gaps or marks, each naming an existing file; and that the table's
// enumeration agrees with the registry.
void checkInvariants(HKEY root, const std::vector<std::string>& folders);

// The content of the store through the table: names in tree order and, for
// each document, its pages' bytes as short digests.
std::string contentOf();

// The same content by key path: "F" for a folder, "D" and the page digests
// for a document ("A\\B\\doc" -> "D 1a2b3c 4d5e6f").
std::map<std::string, std::string> contentByPath();

// Every key and value below the store's root key and every file in the
// storage folders with its size: equal before and after only when nothing
// at all changed.
std::string storeState(HKEY root, const std::vector<std::string>& folders);

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void reopen();
    DWORD folder(DWORD parent, const char* name);
    DWORD document(DWORD parent, const char* name, int pages = 0);
    DWORD addPage(DWORD doc, int seed, int format = DB_FORMAT_PNG);
    std::string pageFile(DWORD doc, DWORD page);
    std::vector<std::string> pageValues(DWORD doc);
    HKEY docKey(DWORD doc);  // caller closes
    std::string docKeyPath(DWORD doc);

    const DB_FUNCTIONTABLE& t = table();
    std::string rootPath;
    HKEY root = nullptr;
    std::string scratch;               // images made by the tests
    std::vector<std::string> storage;  // storage folders
    bool open = false;
    int imageSeed = 0;
    DWORD thumbSize = 32;  // of the storage configuration
};

}  // namespace tabellon_test
