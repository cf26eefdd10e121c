// The library chain of start-up: every library missing, without its entry or
// refusing its version gives its message and releases what was loaded (also
// the libraries found by name, looked for in a folder of the test's own); the
// registry step copies the machine's tree at first start.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "keyrider/bundle.h"
#include "keyrider/setup/machine_tree.h"
#include "keyrider/startup_registry.h"
#include "keyrider/tests/scripted_scan.h"
#include "platform/win/library.h"
#include "platform/win/registry.h"

namespace fs = std::filesystem;

namespace {

class BundleTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/keyrider-bundle-XXXXXX";
        root_ = mkdtemp(pattern);
        folder_ = root_ / "Program";
        fs::create_directories(folder_);
        setenv("SUITE_REGISTRY_USER", (root_ / "user.db").c_str(), 1);
        setenv("SUITE_REGISTRY_MACHINE", (root_ / "machine.db").c_str(), 1);
        bin_ = fs::path(suite::ModuleNativePath(GetModuleHandleA(nullptr))).parent_path();
        for (const char* lib : {"libCommon.so", "libImageLib.so", "libGorsey.so"})
            fs::create_symlink(bin_ / lib, folder_ / lib);
        fs::create_symlink(bin_ / "libScriptedScan.so", folder_ / "libScan.so");
        keyrider::MachineTreeOptions options;
        options.programFolder = folder_.string() + "/";
        ASSERT_TRUE(keyrider::WriteMachineTree(options));
    }
    void TearDown() override { fs::remove_all(root_); }

    void Locator(const char* name, const std::string& value) {
        HKEY k = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyrider::kLocatorKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        if (value.empty())
            RegDeleteValueA(k, name);
        else
            RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
        RegCloseKey(k);
    }

    keyrider::ChainResult Load(bool* registryRan = nullptr) {
        KEYRIDER_SETTINGS& s = settings_;
        return bundle_.Load(
            folder_.string() + "/",
            [&] {
                if (registryRan) *registryRan = true;
                return keyrider::RunRegistryStep(*bundle_.Common(), folder_.string() + "/", s, values_);
            },
            [&](const SCAN_FUNCTIONTABLE& scan) { return scan.ScanInit("", "", nullptr, &s, nullptr); });
    }
    void Expect(const std::string& message) {
        keyrider::ChainResult r = Load();
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, message);
        EXPECT_EQ(bundle_.LoadedCount(), 0);
        keyrider::CloseStartupKeys(settings_);
    }

    fs::path root_, folder_, bin_;
    keyrider::Bundle bundle_;
    KEYRIDER_SETTINGS settings_{};
    keyrider::StartupValues values_;
};

TEST_F(BundleTest, AllLibrariesBindAndTheMachineTreeIsCopied) {
    keyrider::ChainResult r = Load();
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(bundle_.LoadedCount(), 6);
    EXPECT_TRUE(values_.copiedFromMachine);
    EXPECT_STREQ(settings_.ApplicationName, "Keyrider");
    EXPECT_STREQ(settings_.ProductName, "Keyrider Scanner");
    EXPECT_EQ(std::string(settings_.InstallerKeyPath).back(), '\\');
    bundle_.Release();
    EXPECT_EQ(bundle_.LoadedCount(), 0);
    keyrider::CloseStartupKeys(settings_);
    // The second start finds the user's tree and copies nothing.
    keyrider::StartupValues again;
    ASSERT_TRUE(bundle_.Load(folder_.string() + "/",
                             [&] { return keyrider::RunRegistryStep(*bundle_.Common(), folder_.string() + "/", settings_, again); },
                             [&](const SCAN_FUNCTIONTABLE& scan) { return scan.ScanInit("", "", nullptr, nullptr, nullptr); })
                    .ok);
    EXPECT_FALSE(again.copiedFromMachine);
    keyrider::CloseStartupKeys(settings_);
}

TEST_F(BundleTest, EachMissingLibraryGivesItsMessage) {
    Locator("Edge Fill Library", "");
    Expect("Error : Gorsey Library - Path!");
    Locator("Edge Fill Library", (root_ / "nowhere" / "Gorsey.dll").string());
    Expect("Error : Gorsey Library - Load!");
    Locator("Edge Fill Library", (folder_ / "Gorsey.dll").string());
    Locator("Common Library", "");
    Expect("Error : Common Library - Path!");
    Locator("Common Library", (folder_ / "Missing.dll").string());
    Expect("Error : Common Library - Load!");
    // A library without the entry.
    Locator("Common Library", (folder_ / "Gorsey.dll").string());
    Expect("Error : Common Library - Load!");
    Locator("Common Library", (folder_ / "Common.dll").string());
    Locator("Image Library", "");
    Expect("Error : Image Library - Path!");
    Locator("Image Library", (folder_ / "Common.dll").string());
    Expect("Error : Image Library - Load!");
    Locator("Image Library", (folder_ / "ImageLib.dll").string());
    fs::remove(folder_ / "libScan.so");
    Expect("Error : Scan Library - Load");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyrider::kLocatorKey);
    Expect("Error : System Path!");
}

TEST_F(BundleTest, MissingOrEntrylessLibrariesFoundByNameGiveTheirMessages) {
    // The encryption and message libraries come last, after the scan library
    // has started its watcher: each failure stops the watcher and frees all.
    const fs::path named = root_ / "named";
    fs::create_directories(named);
    bundle_.SetByNameFolder(named.string() + "/");
    HMODULE scan = LoadLibraryA((folder_ / "Scan.dll").c_str());
    auto* state = reinterpret_cast<SCRIPTED_SCAN>(GetProcAddress(scan, "ScriptedScan"))();
    const int terminatesBefore = state->terminates;

    Expect("Error : lorvexdll Library - Load!");
    fs::create_symlink(bin_ / "libGorsey.so", named / "libLorvex.so");  // present, without fnLorvex
    Expect("Error : lorvexdll Library - Load!");
    fs::remove(named / "libLorvex.so");
    fs::create_symlink(bin_ / "libLorvex.so", named / "libLorvex.so");
    Expect("Error : Tarrik Library - Load!");
    fs::create_symlink(bin_ / "libGorsey.so", named / "libTarrik.so");  // present, without its table entry
    Expect("Error : Tarrik Library - Load!");
    EXPECT_EQ(state->terminates, terminatesBefore + 4);

    fs::remove(named / "libTarrik.so");
    fs::create_symlink(bin_ / "libTarrik.so", named / "libTarrik.so");
    keyrider::ChainResult r = Load();
    EXPECT_TRUE(r.ok) << r.message;
    EXPECT_EQ(bundle_.LoadedCount(), 6);
    EXPECT_NE(bundle_.Encrypt(), nullptr);
    EXPECT_NE(bundle_.Messages(), nullptr);
    bundle_.Release();
    keyrider::CloseStartupKeys(settings_);
    FreeLibrary(scan);
}

TEST_F(BundleTest, RefusedVersionsGiveTheirMessages) {
    fs::path fake = root_ / "fake";
    fs::create_directories(fake);
    fs::create_symlink(bin_ / "libFakeBundle.so", fake / "libGorsey.so");
    fs::create_symlink(bin_ / "libFakeBundle.so", fake / "libFakeBundle.so");
    Locator("Edge Fill Library", (fake / "anything").string());
    Expect("Error : Gorsey Library - Version!");
    Locator("Edge Fill Library", (folder_ / "Gorsey.dll").string());
    Locator("Common Library", (fake / "FakeBundle.dll").string());
    Expect("Error : Common Library - Version!");
    Locator("Common Library", (folder_ / "Common.dll").string());
    Locator("Image Library", (fake / "FakeBundle.dll").string());
    Expect("Error : Image Library - Version!");
}

TEST_F(BundleTest, RegistryStepFailuresAndSilentScanFailures) {
    // No installer tree anywhere.
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyrider::InstallerKeyPath().c_str());
    bool ran = false;
    keyrider::ChainResult r = Load(&ran);
    EXPECT_TRUE(ran);
    EXPECT_EQ(r.message, "Error : System Path!");
    EXPECT_EQ(bundle_.LoadedCount(), 0);
    keyrider::CloseStartupKeys(settings_);

    keyrider::MachineTreeOptions options;
    options.programFolder = folder_.string() + "/";
    keyrider::WriteMachineTree(options);
    HKEY app = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, (keyrider::InstallerKeyPath() + "\\Keyrider").c_str(), 0,
                  KEY_ALL_ACCESS, &app);
    RegSetValueExA(app, "Browse Dialog Caption", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    RegCloseKey(app);
    Expect("Error : Installer Registry!");

    // ScanInit or ScanLoadSettings refusing ends without a message.
    RegDeleteTreeA(HKEY_CURRENT_USER, keyrider::InstallerKeyPath().c_str());
    keyrider::WriteMachineTree(options);
    HMODULE scan = LoadLibraryA((folder_ / "Scan.dll").c_str());
    auto* state = reinterpret_cast<SCRIPTED_SCAN>(GetProcAddress(scan, "ScriptedScan"))();
    state->initResult = 0;
    Expect("");
    state->initResult = 1;
    state->loadSettingsResult = 0;
    const int terminatesBefore = state->terminates;
    Expect("");
    EXPECT_EQ(state->terminates, terminatesBefore + 1);  // the watcher was stopped before the release
    state->loadSettingsResult = 1;
    FreeLibrary(scan);
}

}  // namespace
