// make_sample_page: draws the sample page of tools/run.sh (simplified Chinese
// and English lines at 300 dpi) and writes it as a Group 4 TIFF, with the text
// it holds beside it (UTF-8, one line a line) for the end-to-end check.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/formats/tiff_file.h"
#include "imaging/formats/tiff_writer.h"
#include "outside/tests/pages.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_sample_page PAGE.tif TEXT.txt\n");
        return 2;
    }
    const std::vector<std::string> paragraphs = {
        "扫描文件转换",
        "这是一页用来检查识别结果的样张。纸上的文字经过扫描以后，程序先分析版面，再识别每一行文字，最后把结果保存为文本文件。",
        "The suite turns paper into editable text. It finds the layout of each page, reads Chinese and English lines, and writes the result as a text file.",
        "识别以后可以对照原图校对文字，也可以输出为其他格式。",
        "Proofread the text beside the page image, then save it where you like.",
    };
    testpages::Style style;
    style.pixelSize = 54;
    const testpages::Page page = testpages::textPage(paragraphs, 2100, 1500, style);

    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f) {
        std::fprintf(stderr, "make_sample_page: cannot write %s\n", argv[1]);
        return 1;
    }
    CStdioTiffFile file(f);
    const TiffPageDesc desc{static_cast<WORD>(page.plane.width), static_cast<WORD>(page.plane.height), 300, 1};
    CTiffStripEncoder* encoder = WriteTiffImage(&file, &desc, TIFF_WRITE_G4);
    bool ok = encoder != nullptr;
    if (encoder) {
        encoder->Write(static_cast<DWORD>(page.plane.bits.size()), page.plane.bits.data());
        ok = !encoder->Failed();
        delete encoder;
    }
    ok = std::fclose(f) == 0 && ok;
    std::ofstream text(argv[2], std::ios::binary | std::ios::trunc);
    for (const testpages::TextBlock& block : page.blocks)
        for (const std::string& line : block.lines) text << line << '\n';
    if (!ok || !text) {
        std::fprintf(stderr, "make_sample_page: writing failed\n");
        return 1;
    }
    return 0;
}
