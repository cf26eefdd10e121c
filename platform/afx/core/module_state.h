// The module state of a library's exported functions. A library loaded by an
// outside host keeps its own resources (its resource library, or its private
// table); every function it exports makes them current for the length of the
// call and gives the host's back on the way out, however it leaves:
//
//   extern "C" int OcrDetect(HKEY key) {
//       AFX_MANAGE_MODULE_STATE(PluginResources());
//       ...
//   }
#pragma once

#include "platform/afx/core/resource.h"

class AFX_CORE_API CModuleStateGuard {
public:
    // `resources` becomes the current resource module; null leaves it as it is.
    explicit CModuleStateGuard(HINSTANCE resources);
    ~CModuleStateGuard();
    CModuleStateGuard(const CModuleStateGuard&) = delete;
    CModuleStateGuard& operator=(const CModuleStateGuard&) = delete;

private:
    bool switched_ = false;
    HINSTANCE previous_ = nullptr;
};

#define AFX_MANAGE_MODULE_STATE(resources) CModuleStateGuard afxModuleStateGuard_(resources)
