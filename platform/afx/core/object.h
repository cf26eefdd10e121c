// The root object with run-time class information, and dynamic creation.
//
// Each class that declares DECLARE_DYNAMIC (or DECLARE_DYNCREATE) owns one
// static CRuntimeClass record naming it and its base; IsKindOf walks that
// chain, and CRuntimeClass::CreateObject makes a new object of a dynamically
// creatable class, also by name (CRuntimeClass::FromName).
#pragma once

#include "platform/afx/core/afx_types.h"

class CObject;

struct AFX_CORE_API CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    // A new object of this class, or nullptr when it is not creatable.
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;
    // The registered class of that name, or nullptr.
    static const CRuntimeClass* FromName(LPCSTR className);
    static CObject* CreateObject(LPCSTR className);
};

// Registers a class record for FromName; used by the IMPLEMENT_ macros.
struct AFX_CORE_API AFX_CLASSINIT {
    explicit AFX_CLASSINIT(const CRuntimeClass* cls);
};

class AFX_CORE_API CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* cls) const;
    static const CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                           \
public:                                                       \
    static const CRuntimeClass class##class_name;             \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, create)                          \
    const CRuntimeClass class_name::class##class_name = {#class_name, static_cast<int>(sizeof(class_name)), \
                                                         schema, create, RUNTIME_CLASS(base_class_name)};  \
    static const AFX_CLASSINIT afx_init_##class_name(RUNTIME_CLASS(class_name));                           \
    const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                  \
    CObject* class_name::CreateObject() { return new class_name; }        \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, schema)             \
    CObject* class_name::CreateObject() { return new class_name; }        \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, class_name::CreateObject)

// A checked down-cast: nullptr when the object is not of that class.
#define DYNAMIC_DOWNCAST(class_name, object) \
    (static_cast<class_name*>(AfxDynamicDownCast(RUNTIME_CLASS(class_name), object)))
#define STATIC_DOWNCAST(class_name, object) (static_cast<class_name*>(object))
AFX_CORE_API CObject* AfxDynamicDownCast(const CRuntimeClass* cls, CObject* object);

#ifndef ASSERT
#define ASSERT(f) ((void)0)
#endif
#ifndef VERIFY
#define VERIFY(f) ((void)(f))
#endif
#ifndef ASSERT_VALID
#define ASSERT_VALID(p) ((void)0)
#endif
#ifndef TRACE
#define TRACE(...) ((void)0)
#endif
#ifndef UNUSED_ALWAYS
#define UNUSED_ALWAYS(x) ((void)(x))
#endif
