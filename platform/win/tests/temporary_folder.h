// A folder of one test under the temporary folder the test run was given
// ($TMPDIR, else /tmp), removed with everything in it when the object goes.
// Tests write their files here, never under fixed names shared with others.
#pragma once

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace suite_test {

// The temporary folder the test run was given: $TMPDIR, else /tmp.
inline std::string TemporaryRoot() {
    const char* temp = std::getenv("TMPDIR");
    return temp != nullptr && *temp != '\0' ? temp : "/tmp";
}

class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::string& prefix = "suite-test") {
        std::string pattern = TemporaryRoot() + "/" + prefix + "-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
        path_ = pattern;
    }
    ~TemporaryFolder() {
        // Read-only folders a test made are opened up first.
        ::nftw(
            path_.c_str(),
            [](const char* p, const struct stat*, int, struct FTW*) {
                ::chmod(p, 0700);
                return std::remove(p);
            },
            16, FTW_DEPTH | FTW_PHYS);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return path_; }
    // The native path of `relative` inside the folder.
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

}  // namespace suite_test
