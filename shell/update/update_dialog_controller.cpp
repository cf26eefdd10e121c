#include "shell/update/update_dialog_controller.h"

#include "platform/win/files.h"
#include "platform/win/ini.h"

#include <vector>

CUpdateDialogController::CUpdateDialogController(std::string taskIni, int startEntry)
    : m_taskIni(std::move(taskIni)), m_start(startEntry) {}

void CUpdateDialogController::Load() {
    m_version.clear();
    m_notes.clear();
    m_newest = 0;
    if (GetFileAttributesA(m_taskIni.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    const char* file = m_taskIni.c_str();
    m_newest = static_cast<int>(GetPrivateProfileIntA("Main_Version", "nVersion", 0, file));
    const std::string n = std::to_string(m_newest);
    std::vector<char> value(32768);
    GetPrivateProfileStringA("Main_Version", ("version_" + n).c_str(), "0.0.0", value.data(),
                             static_cast<DWORD>(value.size()), file);
    m_version = value.data();
    GetPrivateProfileStringA("Main_Version", ("Info_" + n).c_str(), "", value.data(), static_cast<DWORD>(value.size()),
                             file);
    for (const char* c = value.data(); *c; ++c) {
        if (*c == ';') m_notes += "\r\n";
        else m_notes += *c;
    }
}
