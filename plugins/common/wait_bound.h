// The bound of a wait for an outside application, which tests shorten
// through the environment.
#pragma once

#include "platform/win/types.h"

namespace plugins {

// $`variable` in milliseconds when it is set to a number, else `fallback`.
DWORD WaitBound(const char* variable, DWORD fallback);

// How long a started application is waited for until it answers on DDE:
// $SUITE_DDE_START_WAIT_MS when set, else 30 seconds.
DWORD DdeStartWaitMs();

// How long one DDE command is waited for: $SUITE_DDE_EXECUTE_WAIT_MS when
// set, else 60 seconds.
DWORD DdeExecuteWaitMs();

}  // namespace plugins
