// Any text parses to three numbers; comparison is a consistent order.
#include "shell/update/update_version.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = text.find('\n');
    const UpdateVersion a = ParseUpdateVersion(text.substr(0, cut));
    const UpdateVersion b = ParseUpdateVersion(cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1));
    if (CompareUpdateVersions(a, a) != 0) std::abort();
    const int ab = CompareUpdateVersions(a, b), ba = CompareUpdateVersions(b, a);
    if ((ab < 0) != (ba > 0) || (ab == 0) != (ba == 0)) std::abort();
    return 0;
}
