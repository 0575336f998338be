#pragma once
// CObject and CRuntimeClass: run-time class records for type queries (IsKindOf). There is no dynamic
// creation: every record's creation function is NULL.
//
// A class takes part with DECLARE_DYNAMIC(Class) in its body and IMPLEMENT_DYNAMIC(Class, Base) in its
// source file. The records are constant-initialised aggregates, so they exist before any dynamic
// initialiser runs.

struct CRuntimeClass;

class CObject
{
public:
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;

    // True when the object's class is `runtimeClass` or derives from it.
    bool IsKindOf(const CRuntimeClass* runtimeClass) const;

    static const CRuntimeClass classCObject;

protected:
    CObject() = default;
};

struct CRuntimeClass
{
    const char* m_lpszClassName;
    int m_nObjectSize;
    unsigned int m_wSchema;             // 0xFFFF: not serialisable
    CObject* (*m_pfnCreateObject)();    // always NULL here
    const CRuntimeClass* m_pBaseClass;  // NULL only for CObject

    bool IsDerivedFrom(const CRuntimeClass* base) const;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                         \
public:                                                     \
    static const CRuntimeClass class##class_name;           \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                          \
    const CRuntimeClass class_name::class##class_name = {                       \
        #class_name, sizeof(class_name), 0xFFFF, nullptr,                       \
        RUNTIME_CLASS(base_class_name)};                                        \
    const CRuntimeClass* class_name::GetRuntimeClass() const                    \
    {                                                                           \
        return RUNTIME_CLASS(class_name);                                       \
    }
