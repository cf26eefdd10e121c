#include "keyrider/handoff/handoff_recipes.h"

#include "platform/afx/ui/pump_wait.h"
#include "platform/win/atomic_file.h"
#include "platform/win/errors.h"
#include "platform/win/files.h"

namespace handoff {

namespace {

constexpr int kMaxNameClashes = 1000;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool WriteAll(HANDLE file, const std::string& text) {
    DWORD written = 0;
    return text.empty() ||
           (WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size());
}

}  // namespace

std::vector<std::string> ListablePaths(const std::vector<std::string>& files) {
    std::vector<std::string> safe;
    for (const std::string& file : files)
        if (!file.empty() && file.find_first_of("\r\n\"") == std::string::npos) safe.push_back(file);
    return safe;
}

std::string WriteListFile(const std::string& folder, const std::string& stem, const std::string& stamp,
                          const std::string& extension, const std::vector<std::string>& paths) {
    if (folder.empty()) return {};
    const std::string base = folder + stem + stamp;
    for (int clash = 0; clash <= kMaxNameClashes; ++clash) {
        const std::string path = base + (clash ? "_" + std::to_string(clash) : std::string()) + extension;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return {};
            continue;
        }
        bool written = true;
        for (const std::string& p : paths) written = written && WriteAll(file, p + "\r\n");
        CloseHandle(file);
        if (written) return path;
        DeleteFileA(path.c_str());
        return {};
    }
    return {};
}

std::string ListCommandLine(const std::string& program, const std::string& switchText, const char* sideWord,
                            const std::string& list) {
    std::string line = Quoted(program) + " " + switchText;
    if (sideWord) line += std::string(" ") + sideWord;
    return line + " " + Quoted(list);
}

std::string HandOffIniText(const std::vector<std::string>& paths, bool duplex) {
    std::string text = "[Application]\r\nName=Harnel\r\n[Files]\r\n";
    text += "Count=" + std::to_string(paths.size()) + "\r\n";
    text += std::string("DoubleSide=") + (duplex ? "1" : "0") + "\r\n";
    for (std::size_t i = 0; i < paths.size(); ++i) text += "File" + std::to_string(i) + "=" + Quoted(paths[i]) + "\r\n";
    text += "[Delete]\r\nFlag=1\r\n";
    return text;
}

IniHandOff HandOffByIni(const std::string& ini, const std::string& program, const std::vector<std::string>& files,
                        bool duplex, DWORD waitMs, const std::function<bool(const std::string&)>& start) {
    const std::vector<std::string> paths = ListablePaths(files);
    if (paths.empty()) return IniHandOff::NothingListable;
    const std::string text = HandOffIniText(paths, duplex);
    if (!SuiteWriteFileAtomically(ini.c_str(), text.data(), text.size())) return IniHandOff::NotWritten;
    if (!start || !start(Quoted(program) + " " + Quoted("/f=" + ini))) {
        DeleteFileA(ini.c_str());
        return IniHandOff::NotStarted;
    }
    return AfxPumpMessagesFor(waitMs, [&] { return !PathFileExistsA(ini.c_str()); }) ? IniHandOff::Taken : IniHandOff::NotTaken;
}

}  // namespace handoff
