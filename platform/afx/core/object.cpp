#include "platform/afx/core/object.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace {

struct ClassRegistry {
    std::mutex lock;
    std::vector<const CRuntimeClass*> classes;
};

ClassRegistry& Registry() {
    static ClassRegistry registry;
    return registry;
}

}  // namespace

const CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), 0xFFFF, nullptr, nullptr};
static const AFX_CLASSINIT afx_init_CObject(&CObject::classCObject);

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

BOOL CObject::IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

CObject* CRuntimeClass::CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass) {
        if (c == base) return TRUE;
    }
    return FALSE;
}

const CRuntimeClass* CRuntimeClass::FromName(LPCSTR className) {
    if (!className) return nullptr;
    ClassRegistry& r = Registry();
    std::lock_guard<std::mutex> hold(r.lock);
    for (const CRuntimeClass* c : r.classes) {
        if (std::strcmp(c->m_lpszClassName, className) == 0) return c;
    }
    return nullptr;
}

CObject* CRuntimeClass::CreateObject(LPCSTR className) {
    const CRuntimeClass* c = FromName(className);
    return c ? c->CreateObject() : nullptr;
}

AFX_CLASSINIT::AFX_CLASSINIT(const CRuntimeClass* cls) {
    ClassRegistry& r = Registry();
    std::lock_guard<std::mutex> hold(r.lock);
    r.classes.push_back(cls);
}

CObject* AfxDynamicDownCast(const CRuntimeClass* cls, CObject* object) {
    return (object && object->IsKindOf(cls)) ? object : nullptr;
}
