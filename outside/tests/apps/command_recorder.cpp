// A stand-in for an outside application started with a command line: it
// appends its arguments, and the contents of every file an argument names
// (also behind a "/f=" switch), to $SUITE_RECORDER_FILE. A file given with
// "/f=" is an ini hand-off: the recorder deletes it once read, as the
// application does when it has taken the files, unless $SUITE_RECORDER_KEEP
// is set (an application that never takes them).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/win/path.h"

int main(int argc, char** argv) {
    const char* out = std::getenv("SUITE_RECORDER_FILE");
    if (!out) return 2;
    std::ofstream record(out, std::ios::app | std::ios::binary);
    record << "start\n";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        record << "arg: " << arg << "\n";
        bool handOff = arg.rfind("/f=", 0) == 0;
        std::string path = suite::NativePathOfEither(handOff ? arg.substr(3) : arg);
        std::ifstream file(path, std::ios::binary);
        if (!file) continue;
        std::stringstream text;
        text << file.rdbuf();
        file.close();
        record << "file: " << arg << "\n" << text.str() << "end-file\n";
        if (handOff && !std::getenv("SUITE_RECORDER_KEEP")) std::remove(path.c_str());
    }
    return 0;
}
