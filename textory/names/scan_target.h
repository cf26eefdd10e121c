// Where a scanned page is saved: the scan-to box's name settled into a file
// that may be written. In task-bar mode nothing is asked: a missing folder is
// made, another image type becomes ".jpg", a taken name moves on to the next
// free counter, and when all 1,000 counters are taken the page is dropped
// and the user told, never written over an earlier scan. Outside task-bar
// mode the user is asked (create the folder? replace, cancel or another name?).
#pragma once

#include <functional>
#include <string>

namespace textory {

struct ScanTargetAsk {
    // "目录 %1 不存在, 是否创建该文件夹?": TRUE for yes.
    std::function<bool(const std::string& folder)> createFolder;
    // The file-exists dialog: 6 replace, 2 cancel, 7 another name.
    std::function<int(const std::string& path)> fileExists;
    // The save dialog for another name; "" cancels.
    std::function<std::string(const std::string& path)> otherName;
    // A message (the wrong image type, no free counter name).
    std::function<void(const std::string& text)> tell;
};

struct ScanTarget {
    bool save = false;      // FALSE: the page is dropped
    std::string path;       // the file to write
    bool replaces = false;  // an existing file is written over (the user's choice)
};

ScanTarget SettleScanTarget(const std::string& boxName, bool taskMode, const ScanTargetAsk& ask);

// The scan-to bar's folder choice: the folder the browser starts in for a
// target (its trailing separator dropped unless it is a drive's root), and
// the target a chosen folder gives (the folder lower-cased, a separator
// added, the target's file name kept).
std::string ScanTargetFolder(const std::string& target);
std::string ScanTargetInFolder(const std::string& chosenFolder, const std::string& target);

// Messages of the scan target, in the program's code page, naming paths as the user knows them.
std::string NoFreeScanNameMessage(const std::string& path);

}  // namespace textory
