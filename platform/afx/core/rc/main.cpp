// suite_rc [-I folder]... -o out.cpp [--depfile out.d] script.rc
// Compiles a resource script into the C++ source of a resource-only library.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/afx/core/rc/rc_compiler.h"
#include "platform/win/files.h"

int main(int argc, char** argv) {
    std::vector<std::string> includes;
    std::string output, depfile, input;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-I" && i + 1 < argc) {
            includes.push_back(argv[++i]);
        } else if (a == "-o" && i + 1 < argc) {
            output = argv[++i];
        } else if (a == "--depfile" && i + 1 < argc) {
            depfile = argv[++i];
        } else if (!a.empty() && a[0] != '-' && input.empty()) {
            input = a;
        } else {
            std::fprintf(stderr, "suite_rc: unexpected argument %s\n", a.c_str());
            return 2;
        }
    }
    if (input.empty() || output.empty()) {
        std::fprintf(stderr, "usage: suite_rc [-I folder]... -o out.cpp [--depfile out.d] script.rc\n");
        return 2;
    }
    suite::rc::Result result = suite::rc::CompileFile(input, includes);
    if (!result.error.empty()) {
        std::fprintf(stderr, "%s\n", result.error.c_str());
        return 1;
    }
    if (!suite::WriteNativeFileAtomic(output, suite::rc::EmitLibrarySource(result.resources))) {
        std::fprintf(stderr, "suite_rc: cannot write %s\n", output.c_str());
        return 1;
    }
    if (!depfile.empty()) {
        std::string deps = output + ":";
        for (const std::string& f : result.inputs) {
            deps += " ";
            for (char c : f) {
                if (c == ' ') deps += '\\';
                deps += c;
            }
        }
        deps += "\n";
        if (!suite::WriteNativeFileAtomic(depfile, deps)) {
            std::fprintf(stderr, "suite_rc: cannot write %s\n", depfile.c_str());
            return 1;
        }
    }
    return 0;
}
