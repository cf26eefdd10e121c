// Any bytes as a BMP file: the decoder must refuse or decode, never misbehave;
// and reading the same bytes from a file must give the same picture, byte for
// byte, whichever way the file reader takes.
#include "outside/convert/bmp_format.h"
#include "platform/win/memory.h"
#include "platform/win/resolution.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const std::string& scratchFile() {
    static const std::string path = [] {
        const char* temp = std::getenv("TMPDIR");
        std::string p = std::string(temp && *temp ? temp : "/tmp") + "/bmp-fuzz-" + std::to_string(::getpid()) + ".bmp";
        std::atexit([] { std::remove(scratchFile().c_str()); });
        return p;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HDIB dib = convert::decodeBmp(data, size, {});
    if (dib) {
        convert::DibReader reader;
        if (!reader.open(dib)) __builtin_trap();  // what the decoder makes must be a valid DIB
        // A resolution is either known or 0.
        for (LONG pels : {reader.header().biXPelsPerMeter, reader.header().biYPelsPerMeter})
            if (pels != suite::KnownPelsPerMeter(pels)) __builtin_trap();
    }
    std::FILE* f = std::fopen(scratchFile().c_str(), "wb");
    if (!f) __builtin_trap();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) __builtin_trap();
    std::fclose(f);
    HDIB fromFile = convert::readBmpFile(scratchFile(), std::size_t{1} << 30, {});
    if ((fromFile == nullptr) != (dib == nullptr)) __builtin_trap();
    if (dib) {
        const SIZE_T bytes = GlobalSize(dib);
        if (GlobalSize(fromFile) != bytes) __builtin_trap();
        const void* a = GlobalLock(dib);
        const void* b = GlobalLock(fromFile);
        if (std::memcmp(a, b, bytes) != 0) __builtin_trap();
        GlobalUnlock(fromFile);
        GlobalUnlock(dib);
        GlobalFree(fromFile);
        GlobalFree(dib);
    }
    return 0;
}
