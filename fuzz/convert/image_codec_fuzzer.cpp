// Any bytes as an image file of each type the conversion library and the PDF
// renderer read, loaded through the codec factory into a page image.
#include "fuzz/common/scratch_folder.h"
#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "imaging/page_image.h"
#include "imaging/tests/fake_image_host.h"
#include "platform/win/library.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {


CFakeImageHost* g_shell = nullptr;
std::string g_folder;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SUITE_LIBRARY_PATH", SUITE_LIBRARY_FOLDER, 1);
    g_shell = new CFakeImageHost;  // installs itself for the whole run
    g_shell->convertLibrary = LoadLibraryA("Convert.dll");
    // The PDF libraries are loaded and freed around each page; holding one
    // reference keeps them mapped, which the fuzzer's coverage tables need.
    LoadLibraryA("Marlith.dll");
    LoadLibraryA("Brenvo.dll");
    g_folder = fuzzing::ScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const char* const kNames[] = {"in.bmp", "in.tif", "in.jpg", "in.pdf", "in.bki"};
    const std::string path = g_folder + "/" + kNames[data[0] % 5];
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);
    int type = 0;
    if (!GetImageFileType(path.c_str(), &type)) __builtin_trap();
    std::unique_ptr<CImageCodec> codec(CreateImageCodec(path.c_str(), type));
    CPageImage page;
    if (codec) codec->Load(&page, nullptr, nullptr);
    page.Empty();
    return 0;
}
