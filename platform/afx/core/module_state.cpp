#include "platform/afx/core/module_state.h"

CModuleStateGuard::CModuleStateGuard(HINSTANCE resources) {
    if (!resources) return;
    previous_ = AfxExchangeResourceHandle(resources);
    switched_ = true;
}

CModuleStateGuard::~CModuleStateGuard() {
    if (switched_) AfxExchangeResourceHandle(previous_);
}
