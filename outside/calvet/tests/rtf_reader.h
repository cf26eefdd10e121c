// A small RTF reader for the tests: the text of each page (split at \page),
// as UTF-8 with paragraphs ended by "\n". Bytes written as \'hh are read in
// the document's \ansicpg code page, \uN as UTF-16 units (skipping the one
// fallback character). Destination groups (\fonttbl, \*) are skipped.
#pragma once

#include <string>
#include <vector>

namespace rtftest {

struct Document {
    unsigned codePage = 0;
    std::vector<std::string> pages;
    bool wellFormed = false;  // groups balanced and the text ends after the last one
};

Document Read(const std::string& rtf);

}  // namespace rtftest
