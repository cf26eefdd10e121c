// What the store needs of the machine: libraries by name, files and folders,
// free space, the clock, temporary files and the crash hook of the tests.
// Paths handed in and out are Windows-style; nativePath maps them for file work.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/win/ansi_names.h"
#include "platform/win/types.h"

namespace tabellon::sys {

// ---- libraries loaded by name ----
HMODULE loadLibrary(const std::string& name);
void* findSymbol(HMODULE module, const char* symbol);
void freeLibrary(HMODULE module);

// ---- files ----
std::string nativePath(const std::string& path);
bool fileExists(const std::string& path);
bool folderExists(const std::string& path);
// Size in bytes, nothing when the file cannot be read.
std::optional<std::uint64_t> fileSize(const std::string& path);
// Copies without ever replacing an existing target; false when the target exists or the copy failed.
bool copyNew(const std::string& from, const std::string& to);
// Makes `to` a second name of `from` when both lie on one volume (no copy, no
// space); false otherwise.
bool linkNew(const std::string& from, const std::string& to);
// Copies, replacing the target (used only for files the store has just named).
bool copyReplace(const std::string& from, const std::string& to);
// Copies through a fresh sibling of the target renamed into place, so the
// target is either the old file or the complete copy (as every copy here is).
bool copyAtomically(const std::string& from, const std::string& to);
bool removeFile(const std::string& path);
// Renames `from` over `to` (native or Windows-style paths).
bool renameOver(const std::string& from, const std::string& to);

bool createFolder(const std::string& path);
bool sameFile(const std::string& a, const std::string& b);
// The folder part of a path (up to the last separator), without the separator.
std::string folderOf(const std::string& path);
std::string leafOf(const std::string& path);
// Bytes available to the caller on the volume holding the folder; nothing on failure.
std::optional<std::uint64_t> freeSpace(const std::string& folder);

// A new empty file created exclusively in `folder` (the temporary folder when
// empty) with a name starting with `stem`; its path.
std::optional<std::string> makeTempFile(const std::string& folder, const char* stem);
// Writes `text` to `path` through a fresh sibling that is renamed into place.
bool writeFileAtomically(const std::string& path, const std::string& text);
// Writes `text` into a temporary file of ours in place, without forcing it to
// the disk: it is read back at once and removed when its step ends.
bool writeScratchFile(const std::string& path, const std::string& text);

// ---- time ----
SYSTEMTIME utcNow();
// Seconds since 1970 of a UTC time.
std::int64_t toUnixSeconds(const SYSTEMTIME& t);

// ---- tests ----
// Ends the process at once when $TABELLON_CRASH_POINT names this point (on its
// $TABELLON_CRASH_HIT-th pass, default the first). Only tests set it.
void crashPoint(const char* name);

}  // namespace tabellon::sys
