#include "textory/app/hand_offs.h"

#include "platform/win/codepage.h"

namespace textory {

CHandOffs::CHandOffs(const std::string& programFolder)
    : folder_(programFolder),
      emendo_("Emendo10", programFolder + "\\Emendo10.exe"),
      lectiva_("Lectiva", programFolder + "\\Lectiva.exe"),
      wendaro_("Wendaro", programFolder + "\\Wendaro.exe"),
      characterMap_("CharacterMap", "gucharmap") {}

bool CHandOffs::StartProofreading(const std::string& jobPath) {
    return emendo_.Start({"CLIENT" + jobPath});
}

CHandOffs::ReaderStart CHandOffs::StartReader() {
    if (lectiva_.IsRunning()) return ReaderStart::kAlreadyRunning;
    return lectiva_.Start({}, folder_) ? ReaderStart::kStarted : ReaderStart::kNotFound;
}

void CHandOffs::CloseReader(DWORD waitMs) { lectiva_.End(waitMs); }

bool CHandOffs::StartCharacterInput() {
    if (wendaro_.Start({}, folder_)) return true;
    return characterMap_.Start({});
}

std::string CHandOffs::ReaderRunningMessage() { return suite::Utf8ToAnsi("Lectiva已经启动"); }

std::string CHandOffs::NotFoundMessage(const std::string& path) {
    return suite::Utf8ToAnsi("未找到文件 ") + path;
}

}  // namespace textory
