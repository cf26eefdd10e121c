#include "plugins/common/dde_client.h"

namespace plugins {

HDDEDATA IgnoreDdeEvents(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, DWORD_PTR, DWORD_PTR) { return nullptr; }

}  // namespace plugins
