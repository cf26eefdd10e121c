#include "imaging/formats/file_helpers.h"


#include "platform/win/path.h"

namespace codecs {

std::FILE* OpenFile(const char* path, const char* mode) {
    if (!path || !*path) return nullptr;
    std::string native;
    if (!suite::TryNativePath(path, native)) return nullptr;
    return std::fopen(native.c_str(), mode);
}

long long BytesLeft(std::FILE* f) {
    long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) return 0;
    long end = std::ftell(f);
    std::fseek(f, here, SEEK_SET);
    return end > here ? end - here : 0;
}

bool KnownBytesLeft(std::FILE* f, unsigned long long& left) {
    const long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) return false;
    const long end = std::ftell(f);
    if (end < 0 || std::fseek(f, here, SEEK_SET) != 0) return false;
    left = end > here ? static_cast<unsigned long long>(end - here) : 0;
    return true;
}

}  // namespace codecs
