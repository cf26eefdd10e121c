// Package files made by the tests, byte by byte, as an exporter without the
// checksum block writes them (an earlier version of the library, or another
// program): the reference the reader must still accept, and the base of
// hand-damaged packages.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tabellon_test {

struct PageBytes {
    std::string ext;  // as recorded: "PNG", "BMP", ...
    std::string image;
    std::string thumb;
};

struct DocumentBytes {
    std::string path;
    std::vector<PageBytes> pages;
};

struct PackageBuilder {
    int kind = 0;      // 0 document, 1 folder
    std::string path;  // header path; empty for the whole store
    std::vector<std::string> folders;  // "Folder" entries in order
    std::vector<DocumentBytes> documents;
    // 32-bit header length and positions throughout (the old layout).
    bool oldLayout = false;
    // Edits of the info blocks' text before they are written (positions are
    // counted after the edit): of document `index`, and of the folder block.
    std::function<void(size_t index, std::string& info)> editDocument = nullptr;
    std::function<void(std::string& info)> editFolder = nullptr;

    std::string bytes() const;

private:
    std::function<void(std::string&)> editOf(size_t index) const;
};

// Little-endian numbers in and out of package bytes.
void putNumber(std::string& bytes, std::uint64_t v, int width);
std::uint64_t numberAt(const std::string& bytes, size_t at, int width);

}  // namespace tabellon_test
