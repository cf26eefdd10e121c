#include "keyrider/startup_registry.h"

#include <vector>

#include "platform/win/registry.h"

namespace keyrider {

DWORD ReadDword(HKEY key, const char* name, DWORD defaultValue, bool* found) {
    DWORD type = 0, value = 0, size = sizeof value;
    bool ok = key && RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) == ERROR_SUCCESS &&
              type == REG_DWORD && size == sizeof value;
    if (found) *found = ok;
    return ok ? value : defaultValue;
}

std::string ReadString(HKEY key, const char* name, const std::string& defaultValue, bool* found) {
    DWORD type = 0, size = 0;
    bool ok = key && RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
              (type == REG_SZ || type == REG_EXPAND_SZ);
    std::string text;
    if (ok) {
        std::vector<char> data(size + 1, '\0');
        ok = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &size) == ERROR_SUCCESS;
        text = data.data();
    }
    if (found) *found = ok;
    return ok ? text : defaultValue;
}

namespace {

constexpr REGSAM kRights = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

HKEY openUser(const std::string& path) {
    HKEY k = nullptr;
    return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, kRights, &k) == ERROR_SUCCESS ? k : nullptr;
}

}  // namespace

std::string RunRegistryStep(const COMMON_SERVICE_TABLE& common, const std::string& programFolder,
                            KEYRIDER_SETTINGS& s, StartupValues& values) {
    char buffer[261] = {};
    HKEY located = common.GetInstallerKey(0, programFolder.c_str(), buffer);
    if (!located) return "Error : System Path!";
    RegCloseKey(located);
    std::string path = buffer;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    if (HKEY user = openUser(path)) {
        RegCloseKey(user);
    } else {
        if (!common.CopyKey(HKEY_LOCAL_MACHINE, path.c_str(), HKEY_CURRENT_USER, path.c_str()))
            return "Error : Copy Registry!";
        values.copiedFromMachine = true;
    }
    s.InstallerKey = openUser(path);
    if (!s.InstallerKey) return "Error : Installer Registry!";
    s.InstallerKeyPath = (path + "\\").c_str();

    const char* sources[] = {"Reflection", "Positive", "Negative", "ADF", "Sheetfed"};
    for (int i = 0; i < 5; ++i)
        s.ContinueScanWait[i] =
            ReadDword(s.InstallerKey, (std::string("ContinueScan Wait Seconds-") + sources[i]).c_str(), 0);
    bool found = false;
    const std::string appName = ReadString(s.InstallerKey, "Keyrider Name", {}, &found);
    if (!found || appName.empty()) return "Error : Installer Registry!";
    s.ApplicationName = appName.c_str();
    const std::string appPath = path + "\\" + appName;
    s.AppKey = openUser(appPath);
    if (!s.AppKey) return "Error : Installer Registry!";
    s.AppKeyPath = appPath.c_str();

    HKEY utility = nullptr;
    if (RegOpenKeyExA(s.AppKey, "Scanner Utility", 0, KEY_READ, &utility) == ERROR_SUCCESS) {
        values.utilityExe = ReadString(utility, "Exe");
        RegCloseKey(utility);
    }
    s.FirstRun = ReadDword(s.AppKey, "First Run", 1);
    s.ProductName = ReadString(s.InstallerKey, "Product Name").c_str();
    s.BrowseCaption = ReadString(s.AppKey, "Browse Dialog Caption").c_str();
    s.ProgramFolder = programFolder.c_str();
    s.PageNumFontEnlarge = ReadDword(s.InstallerKey, "Page Num Font Enlarge", 0);
    s.ContinueScanFontEnlarge = ReadDword(s.InstallerKey, "ContinueScan Font Enlarge", 0);
    s.ShowRearSideSource = ReadDword(s.InstallerKey, "Show RearSide Source", 1);
    s.MaxCustomPaperSize = ReadDword(s.InstallerKey, "Max Custom Paper Size", 5);
    if (s.BrowseCaption.IsEmpty()) return "Error : Installer Registry!";
    return {};
}

void CloseStartupKeys(KEYRIDER_SETTINGS& s) {
    if (s.InstallerKey) RegCloseKey(s.InstallerKey);
    if (s.AppKey) RegCloseKey(s.AppKey);
    s.InstallerKey = s.AppKey = nullptr;
}

}  // namespace keyrider
