#include "plugins/moplink/export_settings.h"

#include <algorithm>
#include <cstring>

#include "platform/win/locator.h"
#include "platform/win/registry_key.h"
#include "plugins/common/registry_texts.h"

namespace moplink {

namespace {

// Which values a format's sub-key keeps.
enum class Kept { LanguagesOnly, All, AllButGraphics, ImageOnly };

Kept KeptBy(const ExportFormat& format) {
    switch (format.code) {
    case 1024: return Kept::All;
    case 2048:
    case 4096: return Kept::AllButGraphics;
    case 512: return Kept::ImageOnly;
    default: return Kept::LanguagesOnly;
    }
}

void ReadDword(HKEY key, const char* name, DWORD* out) {
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof value)
        *out = value;
}

void ReadBool(HKEY key, const char* name, BOOL* out) {
    DWORD value = static_cast<DWORD>(*out);
    ReadDword(key, name, &value);
    *out = value ? 1 : 0;
}

void ReadRanged(HKEY key, const char* name, DWORD low, DWORD high, DWORD* out) {
    ReadDword(key, name, out);
    *out = std::clamp(*out, low, high);
}

void ReadString(HKEY key, const char* name, std::size_t field, std::string* out) {
    std::string text;
    if (suite::ReadStringValue(key, name, &text) && text.size() < field) *out = text;
}

bool WriteDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

bool WriteString(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace

ExportSettings DefaultSettings(const ExportFormat& format) {
    ExportSettings s;
    if (format.code == 512u) {
        s.keepTextColors = 0;
        s.createBookmarks = 0;
    }
    s.includeGraphics = format.code == 1024u ? 0 : 1;
    return s;
}

void LoadSettings(HKEY pluginKey, const ExportFormat& format, ExportSettings* s) {
    suite::RegKey key(pluginKey, format.subKey);
    if (!key) return;
    HKEY k = key.get();
    Kept kept = KeptBy(format);
    ReadBool(k, "Detect Paper Orentation", &s->detectOrientation);
    ReadBool(k, "Page Deskewing", &s->deskew);
    if (kept != Kept::ImageOnly) {
        ReadDword(k, "Primary Language ID", &s->primaryLanguage);
        std::string extra;
        if (suite::ReadStringValue(k, "Extra Language", &extra)) s->secondaryLanguages = plugins::ParseExtraLanguage(extra);
    }
    if (kept == Kept::LanguagesOnly) return;
    ReadString(k, "File Name", kPathField, &s->outputPath);
    if (kept != Kept::ImageOnly) {
        ReadBool(k, "Keep Text Color", &s->keepTextColors);
        ReadBool(k, "Create BookMarks", &s->createBookmarks);
    }
    if (kept == Kept::All) ReadBool(k, "Include Graphics", &s->includeGraphics);
    ReadBool(k, "ConvertToBWImage", &s->bwGraphics);
    ReadBool(k, "Keep Original Resolution", &s->keepOriginalResolution);
    ReadRanged(k, "Max Graphic DPI", 50, 300, &s->maxDpi);
    ReadRanged(k, "Image Quality", 1, 10, &s->imageQuality);
    ReadRanged(k, "Output Method", 0, 1, &s->outputMethod);
    ReadBool(k, "Auto Assign File Name", &s->autoNames);
    ReadString(k, "Folder", kPathField, &s->folder);
    ReadString(k, "Prefix", kPrefixField, &s->prefix);
    ReadRanged(k, "Inc Step", 1, 10, &s->step);
    ReadRanged(k, "Index Pad", 2, 9, &s->width);
}

bool SaveSettings(HKEY pluginKey, const ExportFormat& format, const ExportSettings& s) {
    suite::RegKey key = suite::RegKey::Create(pluginKey, format.subKey);
    if (!key) return false;
    HKEY k = key.get();
    bool ok = WriteDword(k, "Detect Paper Orentation", s.detectOrientation) && WriteDword(k, "Page Deskewing", s.deskew) &&
              WriteDword(k, "Primary Language ID", s.primaryLanguage) &&
              WriteString(k, "Extra Language", plugins::FormatExtraLanguage(s.secondaryLanguages));
    if (!format.pdf) return ok;
    return ok && WriteString(k, "File Name", s.outputPath) && WriteDword(k, "Keep Text Color", s.keepTextColors) &&
           WriteDword(k, "Create BookMarks", s.createBookmarks) && WriteDword(k, "Include Graphics", s.includeGraphics) &&
           WriteDword(k, "ConvertToBWImage", s.bwGraphics) &&
           WriteDword(k, "Keep Original Resolution", s.keepOriginalResolution) &&
           WriteDword(k, "Max Graphic DPI", s.maxDpi) && WriteDword(k, "Image Quality", s.imageQuality) &&
           WriteDword(k, "Output Method", s.outputMethod) && WriteDword(k, "Auto Assign File Name", s.autoNames) &&
           WriteString(k, "Folder", s.folder) && WriteString(k, "Prefix", s.prefix) &&
           WriteDword(k, "Inc Step", s.step) && WriteDword(k, "Index Pad", s.width);
}

}  // namespace moplink
