#include "outside/button_template/job_ini_writer.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "platform/win/files.h"
#include "platform/win/folders.h"
#include "platform/win/ini.h"
#include "platform/win/registry_export.h"

namespace button_template {

std::string WriteButtonJobIni(const std::string& appKeyPath, const std::string& templateKeyPath, int number) {
    // mkstemp makes the file for this user only (mode 0600) under a name nobody else has.
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/keyrider-job-XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) return {};
    ::close(fd);
    const std::string n = std::to_string(number);
    bool ok = WritePrivateProfileStringA("Summary", "Root key", appKeyPath.c_str(), pattern.c_str()) &&
              WritePrivateProfileStringA("Summary", "Utility Count", "1", pattern.c_str()) &&
              WritePrivateProfileStringA("Summary", n.c_str(), templateKeyPath.c_str(), pattern.c_str());
    if (ok) {
        const std::string key = appKeyPath + "\\" + templateKeyPath + "\\" + n;
        ok = suite::ExportRegistryTree("HKEY_CURRENT_USER", key.c_str(), pattern.c_str()).written;
    }
    if (!ok) {
        std::remove(pattern.c_str());
        return {};
    }
    return pattern;
}

}  // namespace button_template
