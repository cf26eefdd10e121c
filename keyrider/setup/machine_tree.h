// The registry tree an installer of the button manager writes to the local
// machine: the bundle's locator key, the installer tree with its buttons,
// button templates (keys named by their action), output formats and the PDF
// library. At first start the program copies the installer tree to the user.
#pragma once

#include <string>

namespace keyrider {

struct MachineTreeOptions {
    std::string programFolder;  // ends in "/" or "\"
    int buttons = 9;
    std::string templateDll = "ButtonTemplate.dll";
    std::string productName = "Keyrider Scanner";
    bool exportEnabled = true;
    // Where filing buttons save (empty: "Scans" in the user's documents folder).
    std::string scanFolder;
    // The printer of copy buttons (empty: the PDF file printer).
    std::string printer;
};

// The product's installer key, wherever the program is installed: "Software\Selvint Corp\Keyrider".
std::string InstallerKeyPath();

// Writes (replacing) the machine's tree; false when a key cannot be written.
bool WriteMachineTree(const MachineTreeOptions& options);

}  // namespace keyrider
