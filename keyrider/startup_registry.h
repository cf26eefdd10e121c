// The registry step of start-up: the installer key that the Common Library
// names (copied from the local machine at first start), the application key,
// and the program-wide values read from both into KEYRIDER_SETTINGS.
#pragma once

#include <string>

#include "outside/include/common_service.h"
#include "outside/include/keyrider_scan.h"

namespace keyrider {

struct StartupValues {
    std::string utilityExe;    // "Scanner Utility"\"Exe"
    bool copiedFromMachine = false;
};

// "" on success, else the message to show ("Error : System Path!",
// "Error : Copy Registry!", "Error : Installer Registry!"). The keys opened
// are stored in `settings` and closed by CloseStartupKeys.
std::string RunRegistryStep(const COMMON_SERVICE_TABLE& common, const std::string& programFolder,
                            KEYRIDER_SETTINGS& settings, StartupValues& values);
void CloseStartupKeys(KEYRIDER_SETTINGS& settings);

// Typed reads with defaults, for the registry readers of the program.
DWORD ReadDword(HKEY key, const char* name, DWORD defaultValue, bool* found = nullptr);
std::string ReadString(HKEY key, const char* name, const std::string& defaultValue = {}, bool* found = nullptr);

}  // namespace keyrider
