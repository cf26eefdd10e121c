// The plug-in library that holds the calling code (each plug-in links this
// file in, so the answer is that plug-in's own module).
#pragma once

#include <string>

#include "platform/win/types.h"

namespace plugins {

HMODULE ThisPluginModule();
// The plug-in's folder, Windows-style, ending in "\".
std::string ThisPluginFolder();

}  // namespace plugins
