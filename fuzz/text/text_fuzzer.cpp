// Feeds arbitrary bytes to the text parsers of the platform core and checks
// what must always hold: size queries agree with conversions, conversions
// are stable after one round, quoted command lines split back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/common/scratch_folder.h"
#include "platform/win/codepage.h"
#include "platform/win/files.h"
#include "platform/win/path.h"
#include "platform/win/process.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void conversions(UINT cp, const std::string& bytes) {
    if (bytes.empty()) return;
    int n = static_cast<int>(bytes.size());
    int needed = MultiByteToWideChar(cp, 0, bytes.data(), n, nullptr, 0);
    check(needed > 0);
    std::u16string wide(static_cast<size_t>(needed), u'\0');
    check(MultiByteToWideChar(cp, 0, bytes.data(), n, wide.data(), needed) == needed);
    if (needed > 1) check(MultiByteToWideChar(cp, 0, bytes.data(), n, wide.data(), needed - 1) == 0);
    BOOL used = FALSE;
    BOOL* usedArg = cp == CP_UTF8 ? nullptr : &used;
    int back = WideCharToMultiByte(cp, 0, wide.data(), needed, nullptr, 0, nullptr, usedArg);
    check(back > 0);
    std::string narrow(static_cast<size_t>(back), '\0');
    check(WideCharToMultiByte(cp, 0, wide.data(), needed, narrow.data(), back, nullptr, usedArg) == back);
    // After one round the text is stable.
    check(suite::AnsiToUtf16(narrow, cp) == wide || used);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const bool setUp = [] {
        ::setenv("SUITE_DRIVE_C", fuzzing::ScratchFolder().c_str(), 1);
        ::setenv("SUITE_ACP", "936", 1);
        return true;
    }();
    (void)setUp;
    if (size < 1) return 0;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 6) {
    case 0: conversions(936, bytes); break;
    case 1: conversions(950, bytes); break;
    case 2: conversions(CP_UTF8, bytes); break;
    case 3: {
        std::vector<std::string> args = suite::SplitCommandLine(bytes);
        if (!args.empty()) {
            args[0] = "program";
            check(suite::SplitCommandLine(suite::JoinCommandLine(args)) == args);
        }
        break;
    }
    case 4: {
        size_t half = bytes.size() / 2;
        std::string pattern = bytes.substr(0, half);
        suite::MatchesWildcard(pattern, bytes.substr(half));
        if (pattern.find_first_of("*?") == std::string::npos) check(suite::MatchesWildcard(pattern, pattern));
        break;
    }
    default: {
        std::string native;
        if (bytes.find('\0') == std::string::npos) {
            suite::TryNativePath(bytes, native);
            suite::FullWindowsPath(bytes);
            char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
            _splitpath(bytes.c_str(), drive, dir, fname, ext);
        }
        break;
    }
    }
    return 0;
}
