// Stands in for the program a button template starts: writes its arguments
// and the job ini it was given to $KEYRIDER_RECORD_FILE, then ends.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    const char* out = std::getenv("KEYRIDER_RECORD_FILE");
    if (!out) return 2;
    std::ofstream record(out, std::ios::app);
    for (int i = 1; i < argc; ++i) record << "arg: " << argv[i] << "\n";
    if (argc > 1) {
        std::ifstream ini(argv[argc - 1]);
        std::stringstream text;
        text << ini.rdbuf();
        record << "ini:\n" << text.str() << "\n";
    }
    return 0;
}
