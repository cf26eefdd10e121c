#include "textory/app/hand_offs.h"

#include "platform/afx/afxwin.h"
#include "platform/win/codepage.h"
#include "platform/win/path.h"

namespace textory {

CHandOffs::CHandOffs(const std::string& programFolder)
    : folder_(programFolder),
      emendo_("Emendo10", programFolder + "\\Emendo10.exe"),
      lectiva_("Lectiva", programFolder + "\\Lectiva.exe"),
      characterInput_(programFolder) {}

bool CHandOffs::StartProofreading(const std::string& jobPath) {
    return emendo_.Start({"CLIENT" + jobPath});
}

namespace {
constexpr const char* kReaderTitle = "Lectiva";
}  // namespace

CHandOffs::ReaderStart CHandOffs::StartReader() {
    if (FindWindow(nullptr, kReaderTitle) || lectiva_.IsRunning()) return ReaderStart::kAlreadyRunning;
    return lectiva_.Start({}, folder_) ? ReaderStart::kStarted : ReaderStart::kNotFound;
}

void CHandOffs::CloseReader(DWORD waitMs) {
    if (!lectiva_.IsRunning()) return;
    if (HWND own = suite::FindWindowOfProcess(lectiva_.ProcessId(), nullptr, kReaderTitle)) {
        ::PostMessage(own, WM_CLOSE, 0, 0);
        if (lectiva_.WaitForEnd(waitMs)) return;
    }
    lectiva_.End(waitMs);
}

bool CHandOffs::StartCharacterInput() { return characterInput_.Start(); }

std::string CHandOffs::ReaderRunningMessage() { return suite::Utf8ToAnsi("Lectiva已经启动"); }

std::string CHandOffs::NotFoundMessage(const std::string& path) {
    return suite::Utf8ToAnsi("未找到文件 ") + suite::ShownPath(path);
}

}  // namespace textory
