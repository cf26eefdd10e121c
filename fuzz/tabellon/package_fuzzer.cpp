// Feeds arbitrary bytes to the package reader: header, positions, lengths and
// the info blocks must all be checked against the file, whatever it holds.
// What the reader accepts must describe pages that lie inside the file, follow
// each other within a document and overlap nothing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/common/scratch_folder.h"
#include "outside/include/common_service.h"
#include "tabellon/package_format.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The reader's temporary info files go to the scratch folder as well.
    setenv("SUITE_TEMP_DIR", fuzzing::ScratchFolder().c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzzing::ScratchFolder() + "/in.pkg";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    int kind = 0;
    std::string header;
    tabellon::readPackageHeader(path, kind, header);
    tabellon::Package package;
    if (tabellon::readPackage(path, *CommonService(), package) != 0) return 0;
    if (package.kind == 0 && package.documents.size() != 1) std::abort();
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
    for (const auto& doc : package.documents) {
        std::uint64_t next = doc.pages.empty() ? 0 : doc.pages.front().position;
        for (const auto& page : doc.pages) {
            std::uint64_t end = page.position + page.size + page.thumbSize;
            if (page.position != next || end > size) std::abort();
            next = end;
        }
        if (!doc.pages.empty()) ranges.emplace_back(doc.pages.front().position, next);
    }
    std::sort(ranges.begin(), ranges.end());
    for (size_t i = 1; i < ranges.size(); ++i)
        if (ranges[i].first < ranges[i - 1].second) std::abort();
    return 0;
}
