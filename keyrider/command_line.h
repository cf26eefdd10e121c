// The command line of Keyrider, split into arguments: switches are whole
// arguments matched without case, and the first double-quoted argument is the
// job ini file, kept as written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace keyrider {

struct CommandLine {
    bool empty = true;        // nothing but blanks
    bool quit = false;        // the whole line is "/q"
    int button = -1;          // "/B n" or "/Bn": 1 or more; -1 when absent or not a number
    bool show = false;        // "/M"
    bool exportSwitch = false;  // "/EXPORT"
    bool skipButtons = false;   // "/SKIPBTN"
    bool quotedPathGiven = false;
    std::string iniPath;      // the first quoted argument
};

CommandLine ParseCommandLine(std::string_view line);
// The same for a program's arguments as the system hands them over (argv
// without the program): an argument that is no switch, nor the number after
// "/B", is the job ini path (the first one).
CommandLine ParseArguments(const std::vector<std::string>& arguments);

// A button number stands for a configured button: 1 <= n <= count.
inline bool IsButtonNumber(int n, int count) { return n >= 1 && n <= count; }

}  // namespace keyrider
