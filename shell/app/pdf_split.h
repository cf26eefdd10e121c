// Splitting a multi-page PDF into one-page PDF files, one row of the page
// list each: the page files' names and the removal of an earlier split's
// files of the same page.
#pragma once

#include <string>

// The record a PDF page row carries: where the page came from.
struct PdfPageRecord {
    std::string source;  // the split PDF file
    int page = 0;        // from 1
    int flag = 1;
    std::string password;  // empty when the file had none
};

// n as at least five digits with leading zeros: 12 -> "00012".
std::string FormatPageCounter(int n);

// The folder of a split's page files: data folder + "\image\" + stem + "\".
std::string SplitFolderOf(const std::string& dataFolder, const std::string& pdfPath);
// The stem of a Windows-style path: its last part without the extension.
std::string PathStem(const std::string& path);

// Deletes the files of `folder` (Windows-style) whose name is `name` followed
// by "." and anything: the name is compared as it stands ('*' and '?' are
// ordinary characters), without regard to case. The count deleted.
int DeletePageFiles(const std::string& folder, const std::string& name);
