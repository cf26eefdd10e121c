// Which OCR program a command line handed to the launcher goes to.
//
// No file, or exactly one file of a kind Scribant opens (".tif", ".tiff",
// ".jpg", ".jpeg", ".bmp", ".png", ".pcx" or ".pdf", any case), goes to
// Scribant; anything else (several quoted files, another kind, no extension)
// goes to Textory, the command-line OCR job program, which runs the job or
// says why it cannot. The line is passed on unchanged.
#pragma once

#include <string>
#include <string_view>

namespace feedgate {

enum class Program { Scribant, Textory };

// The working copy the routing looks at: the text between the quotes when the
// line is at least two characters long and starts and ends with a double
// quote, else the whole line. A lone quote is kept as it is.
std::string_view StripOuterQuotes(std::string_view commandLine);

// Whether the line names more than one quoted file: a quote among the first
// (length - 2) characters of the working copy, for lines longer than 2.
bool NamesSeveralFiles(std::string_view commandLine);

// Whether the working copy ends in the extension of a kind Scribant opens, in
// any case (the extension runs from the last '.' of the file-name part).
bool IsDirectImage(std::string_view commandLine);

Program RouteCommandLine(std::string_view commandLine);

}  // namespace feedgate
