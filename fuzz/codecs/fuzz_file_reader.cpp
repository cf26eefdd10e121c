// Loads arbitrary bytes as a PCX or PNG file through the codec.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/common/scratch_folder.h"
#include "imaging/page_image.h"
#ifdef FUZZ_PCX
#include "imaging/formats/pcx_codec.h"
using Codec = CPcxCodec;
#else
#include "imaging/formats/png_codec.h"
using Codec = CPngCodec;
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzzing::ScratchFolder() + "/input";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    CPageImage page;
    Codec codec(path.c_str());
    int r = codec.Load(&page, nullptr, nullptr);
    if (r == 1 && (!page.m_hBits || GlobalSize(page.m_hBits) < page.PlaneBytes())) __builtin_trap();
    page.Empty();
    return 0;
}
