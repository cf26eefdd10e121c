// Package files: one file carrying a document, a folder tree or the whole
// store with all page and thumbnail bytes, followed by an ini-text info block
// whose position the last bytes give. The reader checks the whole package
// against the file before anything in the store changes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "outside/include/common_service.h"

namespace tabellon {

inline constexpr char kDocumentMagic[] = "GGYY7788GYGY7878";
inline constexpr char kFolderMagic[] = "GGYY7788GYGY7877";
// Old-layout packages larger than this are refused.
inline constexpr std::uint64_t kOldLayoutLimit = 0x400000;
// Longest node path the store keeps.
inline constexpr size_t kMaxNodePath = 599;

// The checksum block this library writes where the document records begin
// (after the header; in folder packages after its zero and version fields).
// Every position in a package is absolute, so readers that follow the
// recorded positions pass over it. It holds the marker, the package's length
// (64-bit) and the CRC-32 of every byte of the package outside the block.
inline constexpr char kChecksumMarker[] = "PKGCRC32";
inline constexpr std::uint64_t kChecksumBlockSize = 20;

struct PackagePage {
    std::string ext;   // upper-case extension as recorded
    std::uint64_t position = 0;
    std::uint32_t size = 0;
    std::uint32_t thumbSize = 0;
};

struct PackageDocument {
    std::string path;  // key path of the document
    std::vector<PackagePage> pages;
};

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};

struct Package {
    int kind = 0;  // 0 document, 1 folder
    std::string path;  // header path; empty for the whole store
    std::vector<std::string> folders;  // folder paths in walk order
    std::vector<PackageDocument> documents;
    bool checksummed = false;  // the package carried a checksum block and it matched
    // The file the checks were made on, still open: page bytes are copied
    // from it, so a file renamed over the package meanwhile does not count.
    std::shared_ptr<std::FILE> source;
};

// Reads the header: kind and path. 0, -92 (not a package or inconsistent).
int readPackageHeader(const std::string& file, int& kind, std::string& path);
// Reads and checks the whole package: the info blocks' types and paths
// against the header, the declared counts against the entries, every page and
// info block lying inside the file with the records following each other
// without gap or overlap up to the trailer, and the checksum when there is
// one. 0, -92 (unreadable, not a package or inconsistent) or -98 (old layout
// over the size limit).
int readPackage(const std::string& file, const COMMON_SERVICE_TABLE& common, Package& out);

}  // namespace tabellon
