// A library with the bundle's entry names whose answers refuse the caller:
// the Common and Image libraries' version checks fail, the edge-fill
// library's version entry answers 0.
#include "outside/include/common_service.h"
#include "outside/include/gorsey.h"
#include "outside/include/image_library.h"
#include "outside/include/library_export.h"

namespace {
int refuse(const WORD*) { return 1; }
int noVersion() { return 0; }
void nothing() {}
COMMON_SERVICE_TABLE common() {
    COMMON_SERVICE_TABLE t{};
    t.CheckVersion = refuse;
    t.Terminate = nothing;
    return t;
}
IL_FUNCTIONTABLE image() {
    IL_FUNCTIONTABLE t{};
    t.CheckVersion = refuse;
    t.Terminate = nothing;
    return t;
}
const COMMON_SERVICE_TABLE commonTable = common();
const IL_FUNCTIONTABLE imageTable = image();
const GORSEY_FUNCTIONTABLE edgeTable = {noVersion, nothing, nullptr, nullptr, nullptr};
}  // namespace

SUITE_LIBRARY_EXPORT const COMMON_SERVICE_TABLE* CommonService() { return &commonTable; }
SUITE_LIBRARY_EXPORT const IL_FUNCTIONTABLE* IL_GetFunctionTable() { return &imageTable; }
SUITE_LIBRARY_EXPORT const GORSEY_FUNCTIONTABLE* Gorsey_GetFunctionTable() { return &edgeTable; }
