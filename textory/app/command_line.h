// Textory's command line: an input image and an output document, each in
// double quotes. The program gets an argument vector from the desktop (which
// strips the quotes), so the vector is put back into one line with every
// argument quoted before it is read; an argument that itself holds a quote
// cannot be put back faithfully and is refused.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace textory {

enum class CommandLineVerdict {
    kAccepted,  // two names of the accepted kinds
    kIllegal,   // the quotes do not make one or two names ("illegal argument!")
    kRefused,   // names of the wrong kinds: the start ends without a message
};

struct CommandLine {
    CommandLineVerdict verdict = CommandLineVerdict::kIllegal;
    std::string input;   // the image, ANSI text as it stood between the quotes
    std::string output;  // the output document; "c:\test.doc" when only one name was given
    bool embedded = false;  // "/Embedding" or "/Automation" was among the switches
};

// The output document of a command line that names only the image.
inline constexpr const char* kDefaultOutput = "c:\\test.doc";

// Reads a whole command-line text (what follows the program's name): the
// first and last double quote enclose everything; the first quote after the
// opening one ends the input, the next opens the output. Text outside the
// quotes is ignored. The names' extensions are checked (.tif/.bmp/.jpg in,
// .doc/.txt/.htm out, any case). More than two quoted names are illegal.
CommandLine ParseCommandLineText(std::string_view text);

// The argument vector (UTF-8, program name left out) read as above: switches
// "/Embedding" and "/Automation" (either dash or slash, any case) are taken
// out first, every other argument is quoted; an argument holding a double
// quote makes the line illegal. Accepted names are made absolute against the
// current folder, as Windows-style paths.
CommandLine ParseArguments(const std::vector<std::string>& utf8Arguments);

// A name from the command line as an absolute Windows-style path: a name with
// a drive or a backslash is completed as such, any other is a native path
// relative to the current folder.
std::string AbsoluteCommandLinePath(const std::string& ansiName);

// TRUE for ".DOC", ".TXT" and ".HTM" after the last '.' of the name, any case.
bool IsTextOutputFile(std::string_view path);

}  // namespace textory
