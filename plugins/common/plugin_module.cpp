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
    const std::string path = suite::WindowsPath(suite::ModuleNativePath(ThisPluginModule()));
    return std::string(suite::PathFolderPart(path));
}

}  // namespace plugins
