// Export of the button settings to the job ini file: a "Summary" section
// naming each button's template key, then each button's settings key
// exported from the registry. The file is built under a temporary name beside
// the target and renamed over it only when complete, so a failed or killed
// export leaves the previous file as it was.
#pragma once

#include <string>
#include <vector>

namespace keyrider {

struct ExportButton {
    int number = 0;             // 1-based
    std::string templateKeyPath;  // relative to the app key
};

// What the export shows while it runs (the message library's progress window).
class ExportProgress {
public:
    virtual ~ExportProgress() = default;
    virtual void Text(const std::string& text) = 0;
    virtual void Percent(int percent) = 0;
};

struct ExportOutcome {
    bool written = false;
    // Keys and values left out because their text would not read back.
    std::vector<std::string> skipped;
};

// `progressFormat` is message 29, used as a printf format with the file path.
ExportOutcome ExportJobIni(const std::string& appKeyPath, const std::vector<ExportButton>& buttons,
                           const std::string& iniPath, const std::string& progressFormat, ExportProgress* progress);

}  // namespace keyrider
