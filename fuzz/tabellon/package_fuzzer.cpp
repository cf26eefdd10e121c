// Feeds arbitrary bytes to the package reader: header, positions, lengths and
// the info blocks must all be checked against the file, whatever it holds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "outside/include/common_service.h"
#include "tabellon/package_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir ? dir : "/tmp") + "/tabellon-fuzz-" + std::to_string(std::rand()) + ".pkg";
    }();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    int kind = 0;
    std::string header;
    tabellon::readPackageHeader(path, kind, header);
    tabellon::Package package;
    if (tabellon::readPackage(path, *CommonService(), package) == 0) {
        // What the reader accepts lies inside the file.
        for (const auto& doc : package.documents)
            for (const auto& page : doc.pages)
                if (page.position + page.size + page.thumbSize > size) std::abort();
    }
    return 0;
}
