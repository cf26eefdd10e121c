#include "shell/app/scanner_glue.h"

#include <cstring>

#include "ocrdoc/document/outside_library.h"

namespace {

void copyText(char (&to)[34], const char* text) {
    std::memset(to, 0, sizeof to);
    std::strncpy(to, text, sizeof to - 1);
}

}  // namespace

TW_IDENTITY CScannerGlue::ProgramIdentity() {
    TW_IDENTITY id{};
    id.Id = 0;
    id.Version.MajorNum = 1;
    id.Version.MinorNum = 5;
    id.Version.Language = TWLG_USA;
    id.Version.Country = TWCY_CHINA;
    copyText(id.Version.Info, "OROCR_32 5.0 8/1/98");
    id.ProtocolMajor = 1;
    id.ProtocolMinor = 5;
    id.SupportedGroups = DG_CONTROL | DG_IMAGE;
    copyText(id.Manufacturer, "Chinese Orvane Company");
    copyText(id.ProductFamily, "OROCR");
    copyText(id.ProductName, "OROCR7.5 for Windows95/NT");
    return id;
}

bool CScannerGlue::Initialize(HWND window, const std::string& tempFile, UINT pageMessage) {
    ready_ = false;
    auto initialize = OutsideEntry<PFN_TWINITIALIZE>(VANTOR32_DLL, "_TWInitialize@20");
    auto level = OutsideEntry<PFN_SETMESSAGELEVEL>(VANTOR32_DLL, "_SetMessageLevel@4");
    openManager_ = OutsideEntry<PFN_TWOPENDSM>(VANTOR32_DLL, "_TWOpenDSM@0");
    selectSource_ = OutsideEntry<PFN_TWSELECTDS>(VANTOR32_DLL, "_TWSelectDS@0");
    closeManager_ = OutsideEntry<PFN_TWCLOSEDSM>(VANTOR32_DLL, "_TWCloseDSM@4");
    acquire_ = OutsideEntry<PFN_TWACQUIRE>(VANTOR32_DLL, "_TWAcquire@12");
    isSourceOpen_ = OutsideEntry<PFN_TWISDSOPEN>(VANTOR32_DLL, "_TWIsDSOpen@0");
    resetId_ = OutsideEntry<PFN_RESETID>(VANTOR32_DLL, "_ResetID@0");
    process_ = OutsideEntry<PFN_PROCESSTWMESSAGE>(VANTOR32_DLL, "_ProcessTWMessage@8");
    close_ = OutsideEntry<PFN_CLOSECONNECTION>(VANTOR32_DLL, "_CloseConnection@4");
    imageSettings_ = OutsideEntry<PFN_TWSETIMAGESETTINGS>(VANTOR32_DLL, "_TWSetImageSettings@8");
    if (!initialize || !level || !openManager_ || !selectSource_ || !closeManager_ || !acquire_ || !isSourceOpen_ ||
        !resetId_ || !process_ || !close_ || !imageSettings_)
        return false;
    TW_IDENTITY id = ProgramIdentity();
    if (!initialize(&id, window, 1, tempFile.c_str(), pageMessage)) return false;
    level(1);
    ready_ = true;
    return true;
}

int CScannerGlue::Acquire(HWND window, int showUI, int allPages) {
    return ready_ ? acquire_(window, showUI, allPages) : 0;
}

bool CScannerGlue::SetImageSettings(int resolution, int mode) {
    return ready_ && imageSettings_(resolution, mode) == 1;
}

bool CScannerGlue::IsSourceOpen() const { return ready_ && isSourceOpen_() != 0; }

void CScannerGlue::ResetSource() {
    if (ready_) resetId_();
}

void CScannerGlue::SelectSource() {
    if (!ready_ || openManager_() != 1) return;
    selectSource_();
    closeManager_(0);
}

BOOL CScannerGlue::ProcessMessage(MSG* message, HWND window) {
    return ready_ && process_(message, window) ? TRUE : FALSE;
}

void CScannerGlue::Close() {
    if (ready_) close_(0);
    ready_ = false;
}
