// What the plug-ins need to talk to an outside application over DDE as a
// client only.
#pragma once

#include "platform/afx/ui/ddeml.h"

namespace plugins {

// The callback of a client-only DDE instance: it serves nothing, so every
// transaction it is shown is left unanswered.
HDDEDATA IgnoreDdeEvents(UINT type, UINT format, HCONV conversation, HSZ first, HSZ second, HDDEDATA data,
                         DWORD_PTR data1, DWORD_PTR data2);

}  // namespace plugins
