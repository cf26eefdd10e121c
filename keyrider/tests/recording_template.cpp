// A button template for tests: records every call in order, refuses to
// attach when its template key holds "Refuse Open" = 1, answers the probe
// with "Probe", and runs a hook the test sets while UtilityRun runs.
#include <string>
#include <vector>

#include "keyrider/tests/recording_template.h"
#include "outside/include/library_export.h"

namespace {

RecordingTemplateLog& log() {
    static RecordingTemplateLog l;
    return l;
}

void note(const char* what, UTILITY_CONTEXT* c) {
    log().calls.push_back(std::string(what) + " " + std::to_string(c ? c->ButtonNumber : 0));
}

DWORD templateValue(UTILITY_CONTEXT* c, const char* name, DWORD def) {
    DWORD v = def;
    if (c) c->TemplateKey.GetDWord(v, def, name);
    return v;
}

UTILITY_SCANBLOCK block{};

int probe(UTILITY_CONTEXT* c, KEYRIDER_SETTINGS*) {
    note("probe", c);
    return int(templateValue(c, "Probe", 0));
}
int open(UTILITY_CONTEXT* c, KEYRIDER_SETTINGS*) {
    note("open", c);
    if (templateValue(c, "Refuse Open", 0)) return 0;
    c->ScanBlock = &block;
    return 1;
}
void close(UTILITY_CONTEXT* c) { note("close", c); }
int save(UTILITY_CONTEXT* c, LPCSTR text) {
    note("save", c);
    log().saved.push_back(text ? text : "");
    return 1;
}
void revert(UTILITY_CONTEXT* c) { note("revert", c); }
int run(UTILITY_CONTEXT* c) {
    note("run", c);
    ++log().running;
    if (log().runHook) log().runHook(c->ButtonNumber);
    --log().running;
    note("run-end", c);
    return 1;
}
void show(UTILITY_CONTEXT* c, BOOL on) { note(on ? "show" : "hide", c); }
int canRun(UTILITY_CONTEXT* c) { return c ? 1 : 0; }
void prepare(UTILITY_CONTEXT* c) { note("prepare", c); }
void setBlankPage(UTILITY_CONTEXT* c, const UTILITY_BLANKPAGE* b) {
    note("blank", c);
    if (b) log().lastBlank = *b;
}
void globalChanged(UTILITY_CONTEXT* c) { note("global", c); }

const UTILITY_TABLE table = {probe, open, close, save, nullptr, revert, run, show, canRun, prepare, setBlankPage,
                             globalChanged};

}  // namespace

SUITE_LIBRARY_EXPORT const UTILITY_TABLE* UtilityEntry() { return &table; }
SUITE_LIBRARY_EXPORT RecordingTemplateLog* RecordingTemplateCalls() { return &log(); }
