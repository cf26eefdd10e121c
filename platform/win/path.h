// The path layer: every file call of the core turns the system's Windows-style
// path (ANSI bytes) into a native one (UTF-8) here, and every path handed back
// to the system (module, current, temporary and user folders, found names)
// goes the other way.
//
// Rules of a Windows-style path:
// - `\` and `/` both separate parts; runs of separators count as one; "." parts
//   are dropped and ".." removes the part before it, as on the original.
// - "X:" at the start names a drive. Drive X maps to the folder named by
//   $SUITE_DRIVE_X; without it, Z: is the native root "/" and every other drive
//   is the folder "drive_x" under the suite's data folder (see folders.h),
//   created when first used. A path starting with a separator and no drive is
//   rooted at the native root, so native paths pass through unchanged.
// - A part that does not exist as spelled is looked up case-insensitively in
//   its folder (several matches: the first in byte order); a part that matches
//   nothing keeps its spelling, so new names keep their case. The case of the
//   whole path is never folded.
//
// Windows-style paths handed out use backslashes and a drive: the drive whose
// folder holds the path (the longest match), else Z:.
#pragma once

#include <string>
#include <string_view>

#define _MAX_PATH 260
#define _MAX_DRIVE 3
#define _MAX_DIR 256
#define _MAX_FNAME 256
#define _MAX_EXT 256

// Splits a Windows-style path into drive ("C:"), folder (up to and with its
// last separator), name and extension (from the last '.' of the last part,
// with the dot). Any output may be null; buffers are _MAX_DRIVE, _MAX_DIR,
// _MAX_FNAME and _MAX_EXT bytes, and longer parts are cut at a character
// boundary. Double-byte aware: a trail byte 0x5C is no separator.
void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext);
// Joins the parts, adding ':' after a drive letter, a backslash after a
// folder without one, and '.' before an extension without one.
void _makepath(char* path, const char* drive, const char* dir, const char* fname, const char* ext);

namespace suite {

// True for '\\' and '/'.
constexpr bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// The native path for `windowsPath`. Returns false (and leaves `native` empty)
// for an empty path or one whose bytes are not valid in the ANSI code page.
bool TryNativePath(std::string_view windowsPath, std::string& native);
// As TryNativePath, returning "" on failure.
std::string NativePath(std::string_view windowsPath);
// For callers that take paths either way: a Windows-style path (one with a
// backslash or a drive) through NativePath, any other taken as native already
// (so its UTF-8 bytes are not converted a second time).
std::string NativePathOfEither(std::string_view path);

// A Windows-style path as the user knows it, for messages and window texts:
// the native path in the ANSI code page; the path itself when it has no
// native form or that form has characters the code page lacks.
std::string ShownPath(std::string_view windowsPath);

// The Windows-style form (ANSI bytes, backslashes, drive) of a native path.
// A relative native path stays relative. Characters the code page lacks become '?'.
std::string WindowsPath(std::string_view nativePath);

// The native folder drive `letter` ('A'..'Z', either case) maps to; "" for a non-letter.
std::string DriveFolder(char letter);

// Joins two native paths with one '/'.
std::string JoinNative(std::string_view folder, std::string_view name);

// The last part of a Windows-style path (after its last separator of either
// kind), stepping over double-byte characters whose trail byte is 0x5C.
std::string_view PathLastPart(std::string_view path);
// What stands before the last part: the folder with its last separator ("" for
// a bare name), double-byte aware as PathLastPart.
std::string_view PathFolderPart(std::string_view path);
// Whether the last part ends in `extension` (with its dot), whatever the case
// of its letters: "scan.TIF" has ".tif", "a.tif\\b" has none.
bool HasExtension(std::string_view path, std::string_view extension);

// Lexically makes a Windows-style path absolute against the current folder and
// removes "." and ".." parts, keeping backslashes: what GetFullPathName gives.
std::string FullWindowsPath(std::string_view windowsPath);

}  // namespace suite
