#include "plugins/common/plugin_module.h"

#include "platform/win/library.h"
#include "platform/win/path.h"

namespace plugins {

namespace {
const int kAnchor = 0;
}

HMODULE ThisPluginModule() {
    static HMODULE module = suite::ModuleFromAddress(&kAnchor);
    return module;
}

std::string ThisPluginFolder() {
    std::string path = suite::WindowsPath(suite::ModuleNativePath(ThisPluginModule()));
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace plugins
