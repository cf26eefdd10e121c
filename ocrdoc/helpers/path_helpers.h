// Small path helpers of the document, the batch task and the views: taking
// Windows-style paths apart (drive, folder, file name, extension, as
// _splitpath divides them), short base names, the XML output path, and
// creating a chain of folders.
//
// The char-buffer forms replace the contents of the buffer they are given,
// which holds at least _MAX_PATH (260) bytes; they never write more than
// _MAX_PATH bytes (the NUL included), cutting a longer result at a character
// boundary. Every walk is double-byte aware: a trail byte 0x5C or 0x2E of a
// GBK or Big5 character is neither a separator nor a dot.
#pragma once

#include <string>

#include "platform/afx/core/cstring.h"
#include "platform/win/path.h"
#include "platform/win/types.h"

// A path taken apart as _splitpath divides it: drive ("C:"), folder (with
// its last separator), file name without extension, extension with its dot.
struct PathParts {
    std::string drive, folder, stem, ext;
};
PathParts SplitPath(const std::string& path);

// The extension with its dot ("" when none).
BOOL ExtractFileExt(char* buffer);
BOOL ExtractFileExtStr(CString& path);
// The text after the last '.' anywhere in `path` into `out` (at least 260
// bytes); FALSE (out emptied) when the path has no '.'.
BOOL ExtractFileExtNoDot(const char* path, char* out);
// Drive + folder + file name, the extension dropped.
BOOL RemoveFileExt(char* buffer);
// Cuts the text from the last '.' on, but only when something stands before
// it; FALSE and unchanged otherwise.
BOOL StripFileExtStr(CString& path);
// File name + extension.
BOOL ExtractFileName(char* buffer);
// FALSE and unchanged when the path has no file name.
BOOL ExtractFileNameStr(CString& path);
// Drive + folder (ending with its separator); FALSE with the buffer emptied
// when the drive or the folder part is empty (a bare name, a UNC path).
BOOL ExtractFolder(char* buffer);
BOOL ExtractFolderStr(CString& path);
// The last occurrence of `ch` as a whole character; NULL when absent or the
// string is empty or NULL.
const char* FindLastChar(const char* text, char ch);
// out = the first 9 bytes of the base name (8 when it starts with a digit),
// never half a double-byte character. FALSE with out empty when the path has
// no file name, no extension, or nothing before the extension's dot.
BOOL MakeShortBaseName(CString& out, const char* path);
// out = the program's folder + "output\" + name + ".XML".
BOOL MakeXmlOutputPath(CString& out, const char* name);
// Creates every folder of `path` (at most 511 bytes) that does not exist yet.
// Spaces ending a folder name are cut, runs of separators count as one.
// TRUE when every folder exists afterwards; FALSE at the first folder that
// can neither be found nor created (those created before stay) and for a
// path that is empty or too long.
BOOL CreateFolderPath(const char* path);
