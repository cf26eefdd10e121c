// Creating a file under a name nobody holds: the name asked for, else the
// same name with "_2", "_3"... before its extension, each tried with an
// exclusive create, so two writers (threads or programs) never share a file
// and no existing file is ever taken.
#pragma once

#include <string>

namespace suite {

// Creates an empty file at `windowsPath` or its first free "_N" variant (up
// to `attempts` names) and returns the path created, in the form given; ""
// when none could be created (missing folder, no rights, every name taken).
std::string CreateNewFileWithSuffix(const std::string& windowsPath, int attempts = 10000);

// The name CreateNewFileWithSuffix would create now, without creating it ("" as there).
std::string FirstFreeNameWithSuffix(const std::string& windowsPath, int attempts = 10000);

// Creates an empty file beside `windowsPath` under a temporary name of its
// own ("<stem>.~XXXXXX<.extension>"), for a writer whose file takes its name only when
// whole; the path in the form given, "" when it cannot be made.
std::string CreateTemporarySibling(const std::string& windowsPath);

// Flushes the finished file `temporaryPath` to disk and gives it
// `windowsPath` or its first free "_N" variant, never taking an existing
// file (the name is re-checked at the rename itself). The name it got, ""
// when none (the file then stays as it was).
std::string PublishWithSuffix(const std::string& temporaryPath, const std::string& windowsPath, int attempts = 10000);

}  // namespace suite
