// CObject and the run-time class records: class names, base classes and
// dynamic creation by class record.
#pragma once

#include <windows.h>

class CObject;

// Iteration cookie of the layer's lists (null: the end).
struct __POSITION {};
typedef __POSITION* POSITION;

struct CRuntimeClass {
  const char* m_lpszClassName;
  int m_nObjectSize;
  CObject* (*m_pfnCreateObject)();           // null: not creatable
  const CRuntimeClass* (*m_pfnGetBaseClass)();  // null at CObject

  CObject* CreateObject() const;             // null when not creatable
  bool IsDerivedFrom(const CRuntimeClass* pBase) const;
  const CRuntimeClass* GetBaseClass() const { return m_pfnGetBaseClass ? m_pfnGetBaseClass() : nullptr; }
};

class CObject {
 public:
  virtual ~CObject() = default;
  virtual CRuntimeClass* GetRuntimeClass() const;
  BOOL IsKindOf(const CRuntimeClass* pClass) const;
  static CRuntimeClass classCObject;
  static const CRuntimeClass* _GetBaseClass() { return nullptr; }

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                      \
 public:                                                 \
  static CRuntimeClass class##class_name;                \
  static const CRuntimeClass* _GetBaseClass();           \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, pfnNew)                        \
  CRuntimeClass class_name::class##class_name = {#class_name, (int)sizeof(class_name), pfnNew, \
                                                 &class_name::_GetBaseClass};                  \
  const CRuntimeClass* class_name::_GetBaseClass() { return RUNTIME_CLASS(base_class_name); }  \
  CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
  AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                 \
  CObject* class_name::CreateObject() { return new class_name; }        \
  AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, class_name::CreateObject)

#define DYNAMIC_DOWNCAST(class_name, pObject) \
  (((pObject) && (pObject)->IsKindOf(RUNTIME_CLASS(class_name))) ? static_cast<class_name*>(pObject) : nullptr)
