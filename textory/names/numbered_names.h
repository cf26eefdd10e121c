// Output names with a 4-digit number: rep.rtf → rep_0000.rtf → rep_0001.rtf,
// used when an output file cannot be created under its own name.
#pragma once

#include <string>

namespace textory {

// The last 5 characters of the stem are "_" and 4 digits.
bool HasNumberSuffix(const std::string& stem);
// The stem's 4-digit number plus 1 (10000 wraps to 0), zero-padded.
std::string IncrementNumberSuffix(const std::string& stem);
// rep.rtf → rep_0000.rtf; rep_0041.rtf → rep_0042.rtf; rep_9999.rtf → rep_0000.rtf.
std::string NextNumberedName(const std::string& path);
// drive + folder + stem + `ext` (with its dot).
std::string ReplaceFileExt(const std::string& path, const std::string& ext);

// Settles a name that can be written: `path` itself, else the numbered names
// after it, at most 10001 further tries. A file already there is opened for
// writing but never emptied, and a file made only to test the name is
// removed again, so nothing changes on disk until the writer writes. FALSE
// when no name could be written.
bool MakeWritableNumberedName(std::string& path);

}  // namespace textory
