// Any text as a registry locator: parsing never reads past its input, and a
// parsed locator keeps its bounds and parses back from its own fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/win/locator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    suite::RegistryLocator l;
    if (!suite::ParseRegistryLocator(text, &l)) return 0;
    if (l.keyPath.empty() || l.keyPath.size() > suite::kLocatorMaxKeyPath ||
        l.valueName.size() > suite::kLocatorMaxName || l.extra.size() > suite::kLocatorMaxName)
        std::abort();
    if (l.root != HKEY_LOCAL_MACHINE && l.root != HKEY_CURRENT_USER) std::abort();
    return 0;
}
