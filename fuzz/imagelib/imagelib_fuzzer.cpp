// Any bytes as an image file for the Image Library: probing and loading must
// refuse or succeed, never misbehave, and agree on what they read.
#include "fuzz/common/scratch_folder.h"
#include "outside/include/image_library.h"

#include "fuzz/common/scratch_folder.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string g_path;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_path = fuzzing::ScratchFolder() + "/in.img";
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
        if (h.Width <= 0 || h.Height <= 0 || (h.BitsPerPixel != 8 && h.BitsPerPixel != 24) ||
            h.BytesPerLine < DWORD(h.Width) * (h.BitsPerPixel / 8) || !image.Bits)
            __builtin_trap();
        // A resolution is either unknown (0) or within 1 to 10,000 dpi.
        if (h.XResolution > 10000 || h.YResolution > 10000) __builtin_trap();
        il.FreeImage(&image);
    }
    return 0;
}
