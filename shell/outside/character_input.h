// The character-input program both OCR programs start on their command:
// Wendaro from the program folder, in that folder; where it is not
// installed, the desktop's character map ("gucharmap") when there is one.
// Neither is given anything.
#pragma once

#include <string>

#include "shell/outside/outside_program.h"

class CCharacterInputProgram {
public:
    explicit CCharacterInputProgram(const std::string& programFolder);
    // FALSE when neither program could be started.
    bool Start();
    COutsideProgram& Wendaro() { return wendaro_; }

private:
    std::string folder_;
    COutsideProgram wendaro_;
    COutsideProgram characterMap_;
};
