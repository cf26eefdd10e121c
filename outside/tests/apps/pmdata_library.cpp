// A page-list library for tests: writes the list as text, one count line and
// one path a line. $SUITE_PMDATA_FAIL=1 refuses to open a list; the
// application's stand-in (suite_recorder) records the list it is handed.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "outside/include/library_export.h"
#include "outside/include/pmdata.h"

namespace {
std::FILE* g_list = nullptr;
int g_expected = -1, g_written = 0;
}  // namespace

SUITE_LIBRARY_EXPORT int openPMData(const char* path, int mode) {
    const char* fail = std::getenv("SUITE_PMDATA_FAIL");
    if ((fail && *fail == '1') || !path || mode != 1 || g_list) return 0;
    g_list = std::fopen(path, "w");
    g_expected = -1;
    g_written = 0;
    return g_list ? 1 : 0;
}

SUITE_LIBRARY_EXPORT int writePMData_count(int count) {
    if (!g_list || count < 0 || g_expected >= 0) return 0;
    g_expected = count;
    return std::fprintf(g_list, "%d\n", count) > 0;
}

SUITE_LIBRARY_EXPORT int writePMData_fileName(const char* path) {
    if (!g_list || !path || g_expected < 0 || g_written >= g_expected) return 0;
    ++g_written;
    return std::fprintf(g_list, "%s\n", path) > 0;
}

SUITE_LIBRARY_EXPORT int closePMData() {
    if (!g_list) return 0;
    bool complete = g_written == g_expected;
    bool closed = std::fclose(g_list) == 0;
    g_list = nullptr;
    return complete && closed ? 1 : 0;
}
