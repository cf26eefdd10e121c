// Writing a registry key and everything under it to a text file, one
// bracketed section a key: "[path]" (the key's path less the starting key's
// parent), then "name=data" a value. Strings are written as they are, DWORDs
// as signed decimals, binary values through UnscrambleChain, and the other
// typed data as "hex(type):" byte lists, 21 bytes a line. Keys are written
// depth first, parents before children, in enumeration order. Lines end in
// CR LF, as the system's ini files do.
//
// A value or key whose text would not read back as itself (a name holding
// "=", "[" or "]" at its start, or a line break anywhere in the name or the
// data) is left out and reported, so the file never holds lines that read as
// other keys.
#pragma once

#include <string>
#include <vector>

#include "platform/win/types.h"

// The start value of the running XOR of UnscrambleChain.
#define REGISTRY_EXPORT_SCRAMBLE_START 0x5Au

// Running XOR: v starts at REGISTRY_EXPORT_SCRAMBLE_START; for each source
// byte v ^= byte and target[i] = v. target[length] = 0, so the target holds
// length + 1 bytes; a length below 1 gives "".
void UnscrambleChain(char* target, const BYTE* source, int length);

namespace suite {

struct RegistryExportResult {
    // Opened the file and knew the root: the export ran.
    bool written = false;
    // The file could not be opened for appending.
    bool fileFailed = false;
    // Full paths of the keys ("HKEY_...\a\b") and values ("HKEY_...\a\b\name")
    // left out because their text would not read back.
    std::vector<std::string> skipped;
};

// Appends root\subKey and all its sub-keys to `filePath` (a path of the
// system's own form). `rootName` is one of "HKEY_CLASSES_ROOT",
// "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
// "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA" (compared
// exactly); another name exports nothing. Keys that cannot be opened are
// skipped silently.
RegistryExportResult ExportRegistryTree(const char* rootName, const char* subKey, const char* filePath);

}  // namespace suite
