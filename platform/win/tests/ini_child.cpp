// Helper program for the ini tests: writes keys P0..P(N-1) of section S into a file.
//   ini_child FILE P N
#include "platform/win/ini.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    int count = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
        std::string key = std::string(argv[2]) + std::to_string(i);
        if (!WritePrivateProfileStringA("S", key.c_str(), "v", argv[1])) {
            std::fprintf(stderr, "ini_child: write %d failed\n", i);
            return 1;
        }
    }
    return 0;
}
