// A temporary folder of one fuzzing process for the files its target reads
// and writes: made under $TMPDIR (else /tmp) on first use and removed with
// everything in it when the process ends normally. No fixed names in the
// shared temporary folder, so several fuzzers and test runs never meet.
#pragma once

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

namespace scratch_detail {

inline std::string& Folder() {
    static std::string folder;
    return folder;
}

inline void RemoveFolder() {
    if (Folder().empty()) return;
    ::nftw(
        Folder().c_str(),
        [](const char* path, const struct stat*, int, struct FTW*) {
            ::chmod(path, 0700);
            return std::remove(path);
        },
        16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace scratch_detail

inline const std::string& ScratchFolder() {
    static const bool made = [] {
        const char* temp = std::getenv("TMPDIR");
        std::string pattern = std::string(temp != nullptr && *temp != '\0' ? temp : "/tmp") + "/fuzz-scratch-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("fuzz: cannot make a scratch folder");
            std::abort();
        }
        scratch_detail::Folder() = pattern;
        std::atexit(scratch_detail::RemoveFolder);
        return true;
    }();
    (void)made;
    return scratch_detail::Folder();
}

// The path of `name` inside the scratch folder.
inline std::string ScratchPath(const std::string& name) { return ScratchFolder() + "/" + name; }

}  // namespace fuzz
