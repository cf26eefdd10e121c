// KeyriderSetup: writes the local machine's registry tree of the button
// manager for a program folder, as an installer would.
//   KeyriderSetup [program folder] [/buttons n]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "keyrider/setup/machine_tree.h"
#include "platform/afx/afxwin.h"
#include "platform/win/library.h"

int main(int argc, char** argv) {
    keyrider::MachineTreeOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "/buttons" || a == "/BUTTONS") {
            // A whole number, nothing else: "abc" or "3x" is refused, not read as 0 or 3.
            const std::string count = i + 1 < argc ? argv[++i] : "";
            char* end = nullptr;
            const long n = count.empty() ? -1 : std::strtol(count.c_str(), &end, 10);
            options.buttons = end && *end == '\0' && n >= 0 && n <= 99 ? int(n) : -1;
            if (options.buttons < 0 || options.buttons > 99) {
                std::fprintf(stderr, "KeyriderSetup: the button count must be 0 to 99\n");
                return 2;
            }
        } else {
            options.programFolder = a;
        }
    }
    if (options.programFolder.empty()) {
        std::string self = suite::ModuleNativePath(GetModuleHandleA(nullptr));
        options.programFolder = self.substr(0, self.find_last_of('/') + 1);
    }
    options.printer = AfxDefaultPrinterName().GetString();
    if (!keyrider::WriteMachineTree(options)) {
        std::fprintf(stderr, "KeyriderSetup: the registry tree could not be written\n");
        return 1;
    }
    std::printf("%s\n", keyrider::InstallerKeyPath().c_str());
    return 0;
}
