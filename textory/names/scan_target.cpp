#include "textory/names/scan_target.h"

#include "ocrdoc/helpers/path_helpers.h"
#include "ocrdoc/task/task.h"
#include "platform/win/codepage.h"
#include "platform/win/files.h"
#include "platform/win/path.h"
#include "textory/names/numbered_names.h"
#include "textory/names/path_parts.h"
#include "textory/names/scan_series.h"

namespace textory {
namespace {

// String 61454: only TIF, BMP, JPG (and PDF) images are saved.
constexpr const char* kWrongTypeMessage =
    "图像文件扩展名只支持TIF,BMP,JPG,PDF四种图像格式。请检查\"保存到\"编辑窗口中的图像名。";

}  // namespace

std::string ScanTargetFolder(const std::string& target) {
    const PathParts parts = SplitWholePath(target);
    std::string folder = parts.drive + parts.folder;
    const bool driveRoot = folder.size() == 3 && folder[1] == ':';
    if (folder.size() > 1 && suite::IsPathSeparator(folder.back()) && !driveRoot) folder.pop_back();
    return folder;
}

std::string ScanTargetInFolder(const std::string& chosenFolder, const std::string& target) {
    const PathParts parts = SplitWholePath(target);
    std::string folder = suite::AnsiToLower(chosenFolder);
    if (folder.empty() || !suite::IsPathSeparator(folder.back())) folder += '\\';
    return folder + parts.stem + parts.ext;
}

std::string NoFreeScanNameMessage(const std::string& path) {
    return suite::Utf8ToAnsi("所有扫描文件名都已被占用，本页未保存: ") + suite::ShownPath(path);
}

ScanTarget SettleScanTarget(const std::string& boxName, bool taskMode, const ScanTargetAsk& ask) {
    ScanTarget target;
    std::string name = boxName;
    const PathParts parts = SplitWholePath(name);
    const std::string folder = parts.drive + parts.folder;
    if (!folder.empty() && !PathFileExistsA(folder.c_str())) {
        if (!taskMode && !(ask.createFolder && ask.createFolder(folder))) return target;
        if (!CreateFolderPath(folder.c_str())) return target;
    }
    if (!CTask::IsScanImageFile(name)) {
        if (!taskMode) {
            if (ask.tell) ask.tell(suite::Utf8ToAnsi(kWrongTypeMessage));
            return target;
        }
        name = ReplaceFileExt(name, ".jpg");
    }
    if (!CTask::StemEndsInCounter(name)) CTask::AppendCounter(name);
    if (PathFileExistsA(name.c_str())) {
        if (taskMode) {
            if (!NextFreeCounterName(name)) {
                if (ask.tell) ask.tell(NoFreeScanNameMessage(name));
                return target;
            }
        } else {
            const int answer = ask.fileExists ? ask.fileExists(name) : 2;
            if (answer == 6) {
                target.replaces = true;
            } else if (answer == 7 && ask.otherName) {
                name = ask.otherName(name);
                if (name.empty()) return target;
                target.replaces = PathFileExistsA(name.c_str());
            } else {
                return target;
            }
        }
    }
    target.save = true;
    target.path = name;
    return target;
}

}  // namespace textory
