// Writing the command-line job's output document from the recognised page:
// ".txt" as UTF-16LE text with its byte-order mark, ".doc" as RTF and ".htm"
// as HTML through the export library (their Big5 variants on a traditional
// Chinese system). Every file is written whole or not at all, and a page
// without recognised text writes nothing.
#pragma once

#include <string>

#include "platform/win/types.h"

class COcrPage;

namespace textory {

enum class OutputOutcome {
    kWritten,
    kNothingRecognised,  // no result, or a result without any text
    kWrongName,          // an extension other than .doc, .txt and .htm
    kNotWritten,         // the file could not be written
};

// The export format of an output document's extension (-1 plain text, -2
// none of the three) on a system of the given language.
int OutputFormatFor(const std::string& path, WORD systemLanguage);

OutputOutcome WriteCommandLineOutput(COcrPage& page, const std::string& path, WORD systemLanguage);

}  // namespace textory
