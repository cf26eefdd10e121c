// A private folder for the files a fuzz target writes: made under the
// temporary folder on first use and removed, with everything in it, when the
// run ends, so that no run leaves files under fixed names behind.
#pragma once

#include <ftw.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzing {

inline std::string& ScratchFolderPath() {
    static std::string path;
    return path;
}

// The folder's path. A run that cannot make it stops at once: its files would
// otherwise land wherever an empty path leads.
inline const std::string& ScratchFolder() {
    static const bool made = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz-scratch-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("fuzzing: cannot make a scratch folder");
            std::abort();
        }
        ScratchFolderPath() = pattern;
        std::atexit([] {
            ::nftw(
                ScratchFolderPath().c_str(),
                [](const char* p, const struct stat*, int, struct FTW*) { return std::remove(p); }, 16,
                FTW_DEPTH | FTW_PHYS);
        });
        return true;
    }();
    (void)made;
    return ScratchFolderPath();
}

}  // namespace fuzzing
