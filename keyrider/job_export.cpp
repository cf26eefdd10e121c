#include "keyrider/job_export.h"

#include <cstdio>
#include <string>
#include <unistd.h>

#include "platform/win/atomic_file.h"
#include "platform/win/files.h"
#include "platform/win/ini.h"
#include "platform/win/path.h"
#include "platform/win/registry_export.h"

namespace keyrider {
namespace {

// Message 29 as a format with one "%s": anything else in it is taken literally.
std::string progressText(const std::string& format, const std::string& path) {
    std::string out = format;
    std::size_t at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, path);
    return out;
}

}  // namespace

ExportOutcome ExportJobIni(const std::string& appKeyPath, const std::vector<ExportButton>& buttons,
                           const std::string& iniPath, const std::string& progressFormat, ExportProgress* progress) {
    ExportOutcome outcome;
    const std::string temporary = iniPath + ".export-" + std::to_string(::getpid());
    const std::string nativeTemporary = suite::NativePathOfEither(temporary);
    std::remove(nativeTemporary.c_str());
    bool ok = WritePrivateProfileStringA("Summary", "Root key", appKeyPath.c_str(), temporary.c_str()) &&
              WritePrivateProfileStringA("Summary", "Utility Count", std::to_string(buttons.size()).c_str(),
                                         temporary.c_str());
    for (std::size_t i = 0; ok && i < buttons.size(); ++i) {
        const ExportButton& b = buttons[i];
        const std::string number = std::to_string(b.number);
        ok = WritePrivateProfileStringA("Summary", number.c_str(), b.templateKeyPath.c_str(), temporary.c_str());
        const std::string key = appKeyPath + "\\" + b.templateKeyPath + "\\" + number;
        suite::RegistryExportResult r = suite::ExportRegistryTree("HKEY_CURRENT_USER", key.c_str(), temporary.c_str());
        ok = ok && r.written;
        outcome.skipped.insert(outcome.skipped.end(), r.skipped.begin(), r.skipped.end());
        if (progress) {
            progress->Text(progressText(progressFormat, iniPath));
            progress->Percent(int(100 * (i + 1) / buttons.size()));
        }
    }
    if (progress) {
        progress->Text("Export to ini...100% completed");
        progress->Percent(100);
    }
    if (ok) ok = std::rename(nativeTemporary.c_str(), suite::NativePathOfEither(iniPath).c_str()) == 0;
    if (!ok) std::remove(nativeTemporary.c_str());
    outcome.written = ok;
    return outcome;
}

}  // namespace keyrider
