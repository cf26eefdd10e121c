#include "plugins/moplink/dde_script.h"

#include <cstdio>

#include "plugins/common/bracket_argument.h"

namespace moplink {

namespace {

const char* OnOff(BOOL on) { return on ? "(ON)" : "(OFF)"; }

std::string Switch(const char* command, BOOL on) { return std::string(command) + OnOff(on); }

// "[OPTIONS_GRAPHICS_ADVANCED](dpi,bw,quality)".
std::string GraphicsCommand(const ExportSettings& s) {
    std::string text = "[OPTIONS_GRAPHICS_ADVANCED](";
    text += s.keepOriginalResolution ? "0," : std::to_string(s.maxDpi) + ",";
    text += s.bwGraphics ? "1," : "0,";
    text += s.bwGraphics ? "0)" : std::to_string(s.imageQuality) + ")";
    return text;
}

void AddLanguages(const ExportSettings& s, DWORD numericId, std::vector<ScriptCommand>* out) {
    DWORD first = s.primaryLanguage;
    if (first == 0) first = s.secondaryLanguages.empty() ? numericId : s.secondaryLanguages.front();
    out->push_back({"[LANGUAGE_OCR](" + std::to_string(first) + ")"});
    if (s.primaryLanguage != 0 && s.secondaryLanguages.size() >= 2)
        for (DWORD id : s.secondaryLanguages) out->push_back({"[LANGUAGE_SEC_OCR](" + std::to_string(id) + ")"});
}

}  // namespace

unsigned long long NumberLimit(DWORD width) {
    unsigned long long limit = 1;
    for (DWORD i = 0; i < width && i < 19; ++i) limit *= 10;
    return limit;
}

std::string AutomaticName(const ExportSettings& s, const char* extension, DWORD index) {
    unsigned long long number = s.firstNumber + static_cast<unsigned long long>(s.step) * index;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*llu", static_cast<int>(s.width), number);
    return s.folder + s.prefix + digits + "." + extension;
}

std::vector<ScriptCommand> BuildScript(const ExportFormat& format, const ExportSettings& s,
                                       const std::vector<std::string>& inputs, const std::string& outputPath,
                                       DWORD numericId) {
    std::vector<ScriptCommand> script;
    script.push_back({"[NEW_DOCUMENT]"});
    std::string again;  // the last non-language command of the format part, sent once more
    if (!format.pdf) {
        script.push_back({format.command});
        again = format.command;
    } else {
        std::string p = Switch("[PDF_PARAMS]", s.createBookmarks);
        script.push_back({format.command});
        if (format.code == 512u) {
            script.push_back({GraphicsCommand(s)});
            script.push_back({p});
        } else {
            if (format.code == 1024u) script.push_back({Switch("[INCLUDEGRAPHICS]", s.includeGraphics)});
            script.push_back({"[PDF_EMBED_FONTS](ON)"});
            script.push_back({Switch("[ENCODECOLORS]", s.keepTextColors)});
            script.push_back({GraphicsCommand(s)});
            script.push_back({p});
            AddLanguages(s, numericId, &script);
        }
        again = p;
    }
    script.push_back({again});
    if (format.code != 512u) script.push_back({"[PAGEANALYSIS](ON)"});
    script.push_back({Switch("[PAGE_DESKEW]", s.deskew)});
    script.push_back({Switch("[AUTO_ORIENTATION]", s.detectOrientation)});
    script.push_back({"[INTERLEARN](OFF)"});
    script.push_back({"[DISABLEWNGNOWINDOW](ON)"});
    script.push_back({"[HIDE]"});
    script.push_back({"[DISPLAY_PROGRESS](ON)"});
    for (const std::string& input : inputs) {
        std::string command = plugins::BracketCommand("[INPUT]", input);
        if (command.empty()) return {};
        script.push_back({command});
        script.push_back({"[SCAN_MULTIPAGE]"});
    }
    if (format.code == 512u) {
        std::string command = plugins::BracketCommand("[SAVEIMG_MULTI]", outputPath, ",99");
        if (command.empty()) return {};
        script.push_back({command});
    } else {
        std::string command = plugins::BracketCommand("[OUTPUT]", outputPath, ",NEW");
        if (command.empty()) return {};
        script.push_back({command});
        script.push_back({"[OCR]", kOcrTimeoutMs});
    }
    script.push_back({"[NEW_DOCUMENT]"});
    return script;
}

}  // namespace moplink
