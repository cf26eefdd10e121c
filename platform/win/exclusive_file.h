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

}  // namespace suite
