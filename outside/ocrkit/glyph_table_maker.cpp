// Draws the glyph shapes of a code page from the installed Chinese faces and
// writes them as the table the engines read beside their libraries:
//
//   glyph_table_maker CODEPAGE FILE
//
// With no suitable face installed the file is written empty: the engines
// refuse it and look for the faces themselves at run time. The file is
// written under another name and renamed into place, so a build that stops
// half way leaves no half table.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "outside/ocrkit/glyph_shapes.h"
#include "outside/ocrkit/glyph_table.h"

int main(int argc, char** argv) {
    if (argc != 3 || (std::string(argv[1]) != "936" && std::string(argv[1]) != "950")) {
        std::fprintf(stderr, "usage: glyph_table_maker 936|950 FILE\n");
        return 2;
    }
    const int codePage = std::atoi(argv[1]);
    const std::filesystem::path file = argv[2], part = file.string() + ".part";
    std::vector<std::uint8_t> bytes;
    const auto faces = ocrkit::chineseFaces(codePage);
    if (faces.empty()) {
        std::fprintf(stderr, "glyph_table_maker: no Chinese face for code page %d; the engines will look at run time\n", codePage);
    } else {
        const ocrkit::GlyphShapes shapes(ocrkit::ideographsOf(codePage), faces);
        bytes = ocrkit::encodeGlyphTable(codePage, shapes.entries());
    }
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "glyph_table_maker: cannot write %s\n", part.c_str());
            return 1;
        }
    }
    std::error_code error;
    std::filesystem::rename(part, file, error);
    if (error) {
        std::fprintf(stderr, "glyph_table_maker: cannot put %s in place: %s\n", file.c_str(), error.message().c_str());
        std::filesystem::remove(part, error);
        return 1;
    }
    return 0;
}
