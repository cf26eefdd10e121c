#include "plugins/recipe/recipe_detection.h"

#include "platform/win/locator.h"
#include "platform/win/registry_key.h"
#include "plugins/common/registry_texts.h"

namespace recipe {

namespace {

DWORD ReadDword(HKEY key, const char* name, DWORD fallback) {
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return fallback;
    return value;
}

ImageFormat ReadImageFormat(HKEY subKey, const char* mode) {
    ImageFormat pair{0, 100};
    suite::RegKey key(subKey, mode);
    if (!key) return pair;
    pair.fileFormat = static_cast<int>(ReadDword(key.get(), "File Format", 0));
    pair.imageQuality = static_cast<int>(ReadDword(key.get(), "Image Quality", 100));
    return pair;
}

}  // namespace

void Detect(const Variant& variant, HKEY hostKey, Detection* state) {
    state->exePath.clear();
    state->found = false;
    state->number = 0;
    suite::InstalledProgram program;
    if (!hostKey ||
        !suite::FindInstalledProgram(hostKey, variant.subKeyStem, variant.extraCheck, &program, MAX_PATH))
        return;
    state->exePath = program.program;
    state->number = program.number;
    state->found = true;
    if (variant.readsImageSettings) {
        suite::RegKey sub(hostKey, variant.subKeyStem + std::to_string(program.number));
        HKEY key = sub.get();
        state->blankPage = key ? ReadDword(key, "Enable RMBlankPage", 1) : 1;
        state->color = key ? ReadImageFormat(key, "Color") : ImageFormat{0, 100};
        state->gray = key ? ReadImageFormat(key, "Gray") : ImageFormat{0, 100};
        state->bw = key ? ReadImageFormat(key, "BW") : ImageFormat{0, 100};
    }
    if (variant.resolutionsFromHost) {
        std::string text;
        if (!suite::ReadStringValue(hostKey, "Support Resolution", &text))
            text = plugins::kDefaultSupportResolution;
        state->resolutions = plugins::ParseSupportResolution(text);
    }
}

const ImageFormat* FormatForMode(const Detection& state, int colourMode) {
    switch (colourMode) {
    case 0: return &state.bw;
    case 1: return &state.gray;
    case 2: return &state.color;
    default: return nullptr;
    }
}

}  // namespace recipe
