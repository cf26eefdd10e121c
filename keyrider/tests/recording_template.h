// What the recording button template saw (reached through its export
// RecordingTemplateCalls).
#pragma once

#include <string>
#include <vector>

#include "outside/include/button_utility.h"

struct RecordingTemplateLog {
    std::vector<std::string> calls;  // "open 3", "run 1", ...
    std::vector<std::string> saved;
    UTILITY_BLANKPAGE lastBlank{};
    int running = 0;
    void (*runHook)(int button) = nullptr;
};
using RECORDING_TEMPLATE_CALLS = RecordingTemplateLog* (*)();
