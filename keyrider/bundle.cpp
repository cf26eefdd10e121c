#include "keyrider/bundle.h"

#include "keyrider/bounded_text.h"
#include "platform/win/library.h"
#include "platform/win/path.h"
#include "platform/win/registry.h"

namespace keyrider {
namespace {

// A string value of the locator key; nullopt-like "" with `found` false.
std::string locatorValue(const char* name, bool& keyFound, bool& valueFound) {
    keyFound = valueFound = false;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLocatorKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return {};
    keyFound = true;
    char buffer[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH, type = 0;
    if (RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size) == ERROR_SUCCESS &&
        type == REG_SZ && buffer[0])
        valueFound = true;
    RegCloseKey(k);
    return buffer;
}

template <typename T>
T entry(HMODULE module, const char* name) {
    return module ? reinterpret_cast<T>(GetProcAddress(module, name)) : nullptr;
}

void freeModule(HMODULE& module) {
    if (module) FreeLibrary(module);
    module = nullptr;
}

}  // namespace

std::string MessageText(const TARRIK_FUNCTIONTABLE* messages, int id, const std::string& value) {
    if (!messages) return {};
    char text[260] = {};
    messages->MsgGetText(id, text, sizeof text);
    return ReplaceFirstPercentOne(text, value, 260);
}

int Bundle::LoadedCount() const {
    int n = 0;
    for (HMODULE m : {edgeFillModule_, commonModule_, imageModule_, scanModule_, lorvexModule_, messageModule_})
        if (m) ++n;
    return n;
}

ChainResult Bundle::Load(const std::string& programFolder, const std::function<std::string()>& registryStep,
                         const std::function<int(const SCAN_FUNCTIONTABLE&)>& scanInit) {
    Release();
    auto fail = [this](const std::string& message) {
        Release();
        return ChainResult{false, message};
    };
    bool keyFound = false, valueFound = false;

    // 1. Edge fill: Gorsey.dll in the folder of the "Edge Fill Library" path.
    std::string edgePath = locatorValue("Edge Fill Library", keyFound, valueFound);
    if (!keyFound) return fail("Error : System Path!");
    if (!valueFound) return fail("Error : Gorsey Library - Path!");
    edgeFillModule_ = LoadLibraryA((std::string(suite::PathFolderPart(edgePath)) + "Gorsey.dll").c_str());
    auto edgeTable = entry<GORSEY_GETFUNCTIONTABLE>(edgeFillModule_, "Gorsey_GetFunctionTable");
    edgeFill_ = edgeTable ? edgeTable() : nullptr;
    if (!edgeFill_) return fail("Error : Gorsey Library - Load!");
    if (!edgeFill_->Version || !edgeFill_->Version()) return fail("Error : Gorsey Library - Version!");

    // 2. Common Library.
    std::string commonPath = locatorValue("Common Library", keyFound, valueFound);
    if (!keyFound) return fail("Error : System Path!");
    if (!valueFound) return fail("Error : Common Library - Path!");
    commonModule_ = LoadLibraryA(commonPath.c_str());
    auto commonService = entry<COMMON_SERVICE>(commonModule_, "CommonService");
    common_ = commonService ? commonService() : nullptr;
    if (!common_) return fail("Error : Common Library - Load!");
    const WORD commonVersion[4] = {0, 9, 1, 0};
    if (common_->CheckVersion(commonVersion) != 0) return fail("Error : Common Library - Version!");

    // 3. Registry.
    if (registryStep) {
        std::string message = registryStep();
        if (!message.empty()) return fail(message);
    }

    // 4. Image Library.
    std::string imagePath = locatorValue("Image Library", keyFound, valueFound);
    if (!valueFound) return fail("Error : Image Library - Path!");
    imageModule_ = LoadLibraryA(imagePath.c_str());
    auto imageTable = entry<IL_GETFUNCTIONTABLE>(imageModule_, "IL_GetFunctionTable");
    image_ = imageTable ? imageTable() : nullptr;
    if (!image_) return fail("Error : Image Library - Load!");
    const WORD imageVersion[4] = {2, 3, 0, 0};
    if (image_->CheckVersion(imageVersion) != 0) return fail("Error : Image Library - Version!");

    // 5. Scan library, ScanInit and the presence test; 6. its settings.
    scanModule_ = LoadLibraryA((programFolder + "Scan.dll").c_str());
    auto scanEntry = entry<SCAN_DLGENTRY>(scanModule_, "ScanDlgEntry");
    scan_ = scanEntry ? scanEntry() : nullptr;
    if (!scan_) return fail("Error : Scan Library - Load");
    if (!scanInit || !scanInit(*scan_)) return fail("");
    scanStarted_ = true;
    presentAtStart_ = scan_->ScanIsScannerPresent() != 0;
    if (!scan_->ScanLoadSettings()) return fail("");

    // 7. PDF encryption; 8. messages.
    lorvexModule_ = LoadLibraryA((byNameFolder_ + "Lorvex.dll").c_str());
    encrypt_ = entry<LORVEX_ENCRYPT>(lorvexModule_, "fnLorvex");
    if (!encrypt_) return fail("Error : lorvexdll Library - Load!");
    messageModule_ = LoadLibraryA((byNameFolder_ + "Tarrik.dll").c_str());
    auto messageTable = entry<TARRIK_GETFUNCTIONTABLE>(messageModule_, "Tarrik_GetFunctionTable");
    messages_ = messageTable ? messageTable() : nullptr;
    if (!messages_) return fail("Error : Tarrik Library - Load!");
    return {true, {}};
}

void Bundle::Release() {
    messages_ = nullptr;
    freeModule(messageModule_);
    encrypt_ = nullptr;
    freeModule(lorvexModule_);
    if (edgeFill_ && edgeFill_->Terminate) edgeFill_->Terminate();
    edgeFill_ = nullptr;
    freeModule(edgeFillModule_);
    if (common_ && common_->Terminate) common_->Terminate();
    common_ = nullptr;
    freeModule(commonModule_);
    if (image_ && image_->Terminate) image_->Terminate();
    image_ = nullptr;
    freeModule(imageModule_);
    // The scan library's watcher stops before its code goes away.
    if (scan_ && scanStarted_ && scan_->ScanTerminate) scan_->ScanTerminate();
    scanStarted_ = false;
    scan_ = nullptr;
    freeModule(scanModule_);
}

}  // namespace keyrider
