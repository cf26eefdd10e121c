// The bound of a wait for an outside application, which tests shorten
// through the environment.
#pragma once

#include "platform/win/types.h"

namespace plugins {

// $`variable` in milliseconds when it is set to a number, else `fallback`.
DWORD WaitBound(const char* variable, DWORD fallback);

}  // namespace plugins
