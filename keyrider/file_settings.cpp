#include "keyrider/file_settings.h"

#include <algorithm>
#include <cctype>

#include "outside/include/image_library.h"
#include "platform/win/locator.h"

namespace keyrider {

FormatTraits TraitsOfFormat(int code) {
    FormatTraits t;
    switch (code) {
        case 1: t.extension = "bmp"; t.imageFormat = IL_FORMAT_BMP; break;
        case 2: t.extension = "jpg"; t.imageFormat = IL_FORMAT_JPG; break;
        case 3:
        case 4: t.extension = "tif"; t.imageFormat = IL_FORMAT_TIF; t.tiffQuality = true; break;
        case 5: t.extension = "png"; t.imageFormat = IL_FORMAT_PNG; break;
        case 6:
        case 7:
        case 8:
        case 9:
        case 13: t.extension = "pdf"; t.pdf = true; break;
        case 11:
        case 12:
            t.extension = "tif";
            t.imageFormat = IL_FORMAT_TIF;
            t.tiffQuality = true;
            t.multiPage = true;
            break;
        default: break;
    }
    return t;
}

int FormatCodeOfEntry(const std::string& entry) {
    std::size_t i = 0;
    while (i < entry.size() && entry[i] == ' ') ++i;
    int code = 0;
    std::size_t digits = 0;
    for (; i < entry.size() && std::isdigit(static_cast<unsigned char>(entry[i])) && digits < 6; ++i, ++digits)
        code = code * 10 + (entry[i] - '0');
    if (digits == 0 || digits == 6) return 0;
    return code;
}

FileSettings ReadFileSettings(HKEY formatKey, const JobProfile& profile, const std::string& modeSection) {
    FileSettings s;
    s.jpegQuality = std::clamp(profile.Int(modeSection, "JPEG Image Quality", 75), 1, 100);
    s.tiffQuality = std::clamp(profile.Int(modeSection, "TIFF Image Quality", 75), 1, 100);
    s.pdfSingleFile = profile.Int(modeSection, "PDF Single File", 0) != 0;
    s.pagesPerPdf = std::max(1, profile.Int(modeSection, "Pages2PDF", 1));
    int codes[9] = {};
    bool complete = formatKey != nullptr;
    for (int i = 0; i < 9 && complete; ++i) {
        std::string entry;
        complete = suite::ReadStringValue(formatKey, std::to_string(i + 1), &entry) && !entry.empty();
        if (complete) codes[i] = FormatCodeOfEntry(entry);
    }
    const int position = profile.Int(modeSection, "Format", 2);
    if (!complete || position < 1 || position > 9) return s;
    s.formatCode = codes[position - 1];
    s.traits = TraitsOfFormat(s.formatCode);
    // "Image PDF, pages joined": every page of the run in one file, whatever
    // the batch size says.
    if (s.formatCode == 13) s.pdfSingleFile = true;
    s.ready = true;
    return s;
}

}  // namespace keyrider
