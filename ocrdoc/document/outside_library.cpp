#include "ocrdoc/document/outside_library.h"

#include <map>
#include <mutex>
#include <string>

HMODULE OutsideLibrary(const char* dllName) {
    static std::mutex lock;
    static std::map<std::string, HMODULE> modules;
    std::lock_guard<std::mutex> guard(lock);
    auto it = modules.find(dllName);
    if (it != modules.end() && it->second) return it->second;
    HMODULE module = LoadLibraryA(dllName);
    if (module) modules[dllName] = module;
    return module;
}

namespace {

std::mutex& OverrideLock() {
    static std::mutex lock;
    return lock;
}

std::map<std::string, FARPROC>& Overrides() {
    static std::map<std::string, FARPROC> overrides;
    return overrides;
}

}  // namespace

void SetOutsideEntryOverride(const char* dllName, const char* entry, FARPROC replacement) {
    std::lock_guard<std::mutex> guard(OverrideLock());
    const std::string key = std::string(dllName) + "!" + entry;
    if (replacement) Overrides()[key] = replacement;
    else Overrides().erase(key);
}

FARPROC OutsideEntryOverride(const char* dllName, const char* entry) {
    std::lock_guard<std::mutex> guard(OverrideLock());
    if (Overrides().empty()) return nullptr;
    auto it = Overrides().find(std::string(dllName) + "!" + entry);
    return it == Overrides().end() ? nullptr : it->second;
}
