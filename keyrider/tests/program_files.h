// The files of the tests that run the program itself: the folder of the
// build's programs, a file's text, a folder's files.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win/library.h"

namespace keyridertest {

inline std::filesystem::path Bin() { return std::filesystem::path(suite::ModuleNativePath(GetModuleHandleA(nullptr))).parent_path(); }

inline std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The files of `folder` in name order.
inline std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    if (std::filesystem::exists(folder))
        for (auto& e : std::filesystem::directory_iterator(folder)) found.push_back(e.path());
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace keyridertest
