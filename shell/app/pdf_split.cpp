#include "shell/app/pdf_split.h"

#include <cstdio>
#include <filesystem>

#include "platform/win/codepage.h"
#include "platform/win/files.h"
#include "platform/win/path.h"

std::string FormatPageCounter(int n) {
    char text[32];
    std::snprintf(text, sizeof text, "%05d", n);
    return text;
}

std::string PathStem(const std::string& path) {
    std::string last(suite::PathLastPart(path));
    if (const std::size_t dot = last.rfind('.'); dot != std::string::npos && dot > 0) last.resize(dot);
    return last;
}

std::string SplitFolderOf(const std::string& dataFolder, const std::string& pdfPath) {
    return dataFolder + "\\image\\" + PathStem(pdfPath) + "\\";
}

int DeletePageFiles(const std::string& folder, const std::string& name) {
    const std::string native = suite::NativePath(folder);
    if (native.empty()) return 0;
    const std::string wanted = suite::AnsiToLower(name + ".");
    int deleted = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(native, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const std::string file = suite::WindowsPath(entry.path().filename().string());
        if (file.size() < wanted.size() || suite::AnsiToLower(file.substr(0, wanted.size())) != wanted) continue;
        if (std::filesystem::remove(entry.path(), ec)) ++deleted;
    }
    return deleted;
}
