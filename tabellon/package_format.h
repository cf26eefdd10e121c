// Package files: one file carrying a document, a folder tree or the whole
// store with all page and thumbnail bytes, followed by an ini-text info block
// whose position the last bytes give. The reader checks every length and
// position against the file before anything in the store changes.
#pragma once

#include <cstdint>
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

struct Package {
    int kind = 0;  // 0 document, 1 folder
    std::string path;  // header path; empty for the whole store
    std::vector<std::string> folders;  // folder paths in walk order
    std::vector<PackageDocument> documents;
};

// Reads the header: kind and path. 0, -92 (not a package or inconsistent).
int readPackageHeader(const std::string& file, int& kind, std::string& path);
// Reads and checks the whole package. 0, -92 (unreadable, not a package or
// inconsistent) or -98 (old layout over the size limit).
int readPackage(const std::string& file, const COMMON_SERVICE_TABLE& common, Package& out);

}  // namespace tabellon
