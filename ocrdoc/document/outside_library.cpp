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
