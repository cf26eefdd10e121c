// The logic of the PDF save page: output method, automatic names, their
// completeness, the example text and the guards on the numbers.
#pragma once

#include <string>

#include "plugins/moplink/export_settings.h"

namespace moplink {

enum PdfSaveControl : UINT {
    kCombine = 1285,
    kPerImage = 1286,
    kPrompt = 1111,
    kAutomatic = 1112,
    kCombinedPath = 1280,
    kCombinedBrowse = 1271,
    kFolder = 1315,
    kFolderBrowse = 1116,
    kPrefix = 1117,
    kFirstNumber = 1311,
    kStep = 1312,
    kWidth = 1313,
    kStepSpin = 4000,
    kWidthSpin = 4001,
    kExample = 1305,
};

class PdfSaveModel {
public:
    void Open(const ExportSettings& settings);

    bool Complete() const;
    // What the page posts with message 809.
    bool InputState() const;
    bool Enabled(UINT control) const;
    // `exampleLabel` ("Example:") followed, when complete, by the first two names.
    std::string Example(const std::string& exampleLabel) const;

    // A first number at or above 10 to the width is undone: false, and the old text stays.
    bool SetFirstNumber(const std::string& text);
    // The width spin's bounds: the larger of 2 and the first number's digits, up to 9.
    int WidthLow() const;
    static constexpr int kWidthHigh = 9;
    // A spin's position plus its change, within its bounds.
    void StepSpin(int position, int delta);
    void WidthSpin(int position, int delta);

    void Store(ExportSettings* settings) const;

    bool perImage = false;
    bool automatic = false;
    std::string combinedPath;
    std::string folder, prefix;
    std::string firstNumber = "1", step = "1", width = "4";
};

}  // namespace moplink
