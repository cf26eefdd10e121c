#include "plugins/common/wait_bound.h"

#include <cstdlib>

namespace plugins {

DWORD WaitBound(const char* variable, DWORD fallback) {
    const char* text = std::getenv(variable);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    return (end && *end == '\0' && value >= 0) ? static_cast<DWORD>(value) : fallback;
}

DWORD DdeStartWaitMs() { return WaitBound("SUITE_DDE_START_WAIT_MS", 30000); }

DWORD DdeExecuteWaitMs() { return WaitBound("SUITE_DDE_EXECUTE_WAIT_MS", 60000); }

}  // namespace plugins
