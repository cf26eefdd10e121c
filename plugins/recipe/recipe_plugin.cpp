// The launch-recipe plug-in: its application object, the eight slots and the
// one export. What differs between the four builds is in the variant table.
#include <vector>

#include "platform/afx/core/module_state.h"
#include "plugins/common/plugin_module.h"
#include "plugins/recipe/ocrapp_interface.h"
#include "plugins/recipe/recipe_detection.h"
#include "plugins/recipe/recipe_run.h"

namespace {

// Lives as long as the library is loaded; the host keeps a pointer to its record.
struct RecipePluginApp {
    OCRAPP_INFO info;
    recipe::Detection detection;
};

RecipePluginApp& App() {
    static RecipePluginApp app;
    return app;
}

void FillRecord(const recipe::Variant& variant, const recipe::Detection& detection, OCRAPP_INFO* info) {
    info->m_dwaResolutions.RemoveAll();
    const std::vector<DWORD>& resolutions = variant.resolutionsFromHost ? detection.resolutions : variant.resolutions;
    for (DWORD dpi : resolutions) info->m_dwaResolutions.Add(dpi);
    switch (variant.flagRule) {
    case recipe::FlagRule::Or7: info->m_dwFlags |= 7; break;
    case recipe::FlagRule::ClearBit0Or6: info->m_dwFlags = (info->m_dwFlags & ~1u) | 6; break;
    case recipe::FlagRule::Or6: info->m_dwFlags |= 6; break;
    }
    info->m_strExePath = detection.exePath.c_str();
    DWORD* options[6] = {&info->m_dwOption1, &info->m_dwOption2, &info->m_dwOption3,
                         &info->m_dwOption4, &info->m_dwOption5, &info->m_dwOption6};
    for (int i = 0; i < 6; ++i)
        *options[i] = variant.options[i] == recipe::kFromBlankPage ? detection.blankPage : variant.options[i];
}

extern "C" int OcrDetect(HKEY hostKey) {
    AFX_MANAGE_MODULE_STATE(plugins::ThisPluginModule());
    recipe::Detect(recipe::ThisVariant(), hostKey, &App().detection);
    return App().detection.found ? 1 : 0;
}

extern "C" int OcrGetInfo(OCRAPP_INFO** info, HKEY hostKey) {
    AFX_MANAGE_MODULE_STATE(plugins::ThisPluginModule());
    const recipe::Variant& variant = recipe::ThisVariant();
    int found = OcrDetect(hostKey);
    if (found || variant.recordWhenNotFound) {
        FillRecord(variant, App().detection, &App().info);
        if (info) *info = &App().info;
    }
    return found;
}

extern "C" void OcrNoOperation() {}

extern "C" int OcrReturnTrue() { return 1; }

extern "C" void OcrGetImageFormat(int colourMode, int, int* fileFormat, int* imageQuality) {
    AFX_MANAGE_MODULE_STATE(plugins::ThisPluginModule());
    const recipe::ImageFormat* pair = recipe::FormatForMode(App().detection, colourMode);
    if (!pair) return;
    recipe::ImageFormat fixed{2, 0};
    if (recipe::ThisVariant().fixedImageFormat) pair = &fixed;
    if (fileFormat) *fileFormat = pair->fileFormat;
    if (imageQuality) *imageQuality = pair->imageQuality;
}

extern "C" int OcrRun(const CStringArray& files, int, int, BOOL duplex) {
    AFX_MANAGE_MODULE_STATE(plugins::ThisPluginModule());
    const recipe::Variant& variant = recipe::ThisVariant();
    std::vector<std::string> paths;
    for (INT_PTR i = 0; i < files.GetSize(); ++i) paths.emplace_back(static_cast<LPCSTR>(files[i]));
    const std::string& exe = App().detection.exePath;
    switch (variant.recipe) {
    case recipe::Recipe::ListFile: return recipe::RunListFile(variant, exe, paths, duplex != FALSE);
    case recipe::Recipe::DdeExport: return recipe::RunDdeExport(exe, paths);
    case recipe::Recipe::IniHandOff: return recipe::RunIniHandOff(exe, paths, duplex != FALSE, recipe::HandOffWaitMs());
    }
    return 0;
}

extern "C" HICON OcrGetIcon() {
    AFX_MANAGE_MODULE_STATE(plugins::ThisPluginModule());
    const std::string& exe = App().detection.exePath;
    return exe.empty() ? nullptr : ExtractIcon(plugins::ThisPluginModule(), exe.c_str(), 0);
}

const OCRAPP_INTERFACE kInterface = {OcrGetInfo,  OcrNoOperation, OcrReturnTrue, OcrGetImageFormat,
                                     OcrRun,      OcrGetIcon,     OcrReturnTrue, OcrDetect};

}  // namespace

extern "C" __attribute__((visibility("default"))) const OCRAPP_INTERFACE* OcrInterfaceEntry() { return &kInterface; }
