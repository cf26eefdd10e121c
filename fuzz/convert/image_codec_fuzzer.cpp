// Any bytes as an image file of each type the conversion library and the PDF
// renderer read, loaded through the codec factory into a page image.
#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "imaging/page_image.h"
#include "platform/win/library.h"
#include "shell/shell_services.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// A shell with nothing but the conversion library; messages go nowhere.
class FuzzShell final : public CShellServices {
public:
    HMODULE convert = nullptr;
    HMODULE ConvertLibrary() const override { return convert; }
    std::string CurrentDocumentPath() const override { return {}; }
    int PageListCurrentRow() const override { return -1; }
    int PageListRowCount() const override { return 0; }
    std::string PageListItemText(int, int) const override { return {}; }
    bool IsSimplified() const override { return true; }
    WORD SystemLanguageId() const override { return 2052; }
    std::string DataFolder() const override { return {}; }
    std::string ProgramFolder() const override { return {}; }
    int DefaultResolution() const override { return 300; }
    int MessageBox(const std::string&, const std::string&, UINT) override { return IDOK; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void ClearProgress() override {}
    void DrawProgress(int, int, int) override {}
    void RefreshProgress() override {}
};

FuzzShell g_shell;
std::string g_folder;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SUITE_LIBRARY_PATH", SUITE_LIBRARY_FOLDER, 1);
    g_shell.convert = LoadLibraryA("Convert.dll");
    // The PDF libraries are loaded and freed around each page; holding one
    // reference keeps them mapped, which the fuzzer's coverage tables need.
    LoadLibraryA("Marlith.dll");
    LoadLibraryA("Brenvo.dll");
    SetShellServices(&g_shell);
    char pattern[] = "/tmp/codec-fuzz-XXXXXX";
    g_folder = mkdtemp(pattern);
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
