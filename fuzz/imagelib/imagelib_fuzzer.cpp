// Any bytes as an image file for the Image Library: probing and loading must
// refuse or succeed, never misbehave, and agree on what they read.
#include "fuzz/common/scratch_folder.h"
#include "outside/include/image_library.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string g_path;
std::string g_copy;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_path = fuzzing::ScratchFolder() + "/in.img";
    g_copy = fuzzing::ScratchFolder() + "/copy.tif";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(g_path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    const IL_FUNCTIONTABLE& il = *IL_GetFunctionTable();
    int format = -1;
    IL_FILEINFO info{};
    il.GetImageFileInfo(g_path.c_str(), &format, &info);
    IL_IMAGE image{};
    if (il.LoadImage(&image, g_path.c_str(), IL_FORMAT_AUTO, 1, 0) == 0) {
        const IL_IMAGEHEADER& h = *image.Header;
        // What loads is a whole image of a kind the library hands out.
        if (h.Width <= 0 || h.Height <= 0 || (h.BitsPerPixel != 1 && h.BitsPerPixel != 8 && h.BitsPerPixel != 24) ||
            h.BytesPerLine < (DWORD(h.Width) * h.BitsPerPixel + 7) / 8 || !image.Bits)
            __builtin_trap();
        // A resolution is either unknown (0) or within 1 to 10,000 dpi.
        if (h.XResolution > 10000 || h.YResolution > 10000) __builtin_trap();
        // Black and white saved as a Group 4 TIFF reads back bit for bit.
        if (h.BitsPerPixel == 1 && il.SaveImage(g_copy.c_str(), IL_FORMAT_TIF, nullptr, &image, nullptr, nullptr) == 0) {
            IL_IMAGE again{};
            if (il.LoadImage(&again, g_copy.c_str(), IL_FORMAT_AUTO, 1, 0) != 0) __builtin_trap();
            const IL_IMAGEHEADER& a = *again.Header;
            if (a.Width != h.Width || a.Height != h.Height || a.BitsPerPixel != 1) __builtin_trap();
            const size_t whole = size_t(h.Width) / 8;
            const unsigned tail = unsigned(h.Width % 8);
            for (LONG y = 0; y < h.Height; ++y) {
                const BYTE* p = image.Bits + size_t(y) * h.BytesPerLine;
                const BYTE* q = again.Bits + size_t(y) * a.BytesPerLine;
                if (std::memcmp(p, q, whole) != 0) __builtin_trap();
                if (tail && ((p[whole] ^ q[whole]) & BYTE(0xFF00u >> tail))) __builtin_trap();
            }
            il.FreeImage(&again);
        }
        il.FreeImage(&image);
    }
    return 0;
}
