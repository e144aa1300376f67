// Synchronisation objects of the class layer.
#pragma once

#include <windows.h>

class CSyncObject {
 public:
  virtual ~CSyncObject();
  virtual BOOL Lock(DWORD dwTimeout = INFINITE);
  virtual BOOL Unlock() = 0;
  operator HANDLE() const { return m_hObject; }
  HANDLE m_hObject = nullptr;

 protected:
  CSyncObject() = default;

 private:
  CSyncObject(const CSyncObject&) = delete;
  CSyncObject& operator=(const CSyncObject&) = delete;
};

class CSemaphore : public CSyncObject {
 public:
  explicit CSemaphore(LONG lInitialCount = 1, LONG lMaxCount = 1, const char* pstrName = nullptr,
                      LPSECURITY_ATTRIBUTES lpsaAttributes = nullptr);
  BOOL Unlock() override { return Unlock(1); }
  BOOL Unlock(LONG lCount, LONG* lprevCount = nullptr) {
    return ::ReleaseSemaphore(m_hObject, lCount, lprevCount);
  }
};

class CMutex : public CSyncObject {
 public:
  explicit CMutex(BOOL bInitiallyOwn = FALSE, const char* lpszName = nullptr,
                  LPSECURITY_ATTRIBUTES lpsaAttribute = nullptr);
  BOOL Unlock() override { return ::ReleaseMutex(m_hObject); }
};

class CEvent : public CSyncObject {
 public:
  explicit CEvent(BOOL bInitiallyOwn = FALSE, BOOL bManualReset = FALSE, const char* lpszName = nullptr,
                  LPSECURITY_ATTRIBUTES lpsaAttribute = nullptr);
  BOOL SetEvent() { return ::SetEvent(m_hObject); }
  BOOL ResetEvent() { return ::ResetEvent(m_hObject); }
  BOOL Unlock() override { return TRUE; }
};

class CCriticalSection : public CSyncObject {
 public:
  CCriticalSection() { ::InitializeCriticalSection(&m_sect); }
  ~CCriticalSection() override { ::DeleteCriticalSection(&m_sect); }
  BOOL Lock(DWORD dwTimeout = INFINITE) override;
  BOOL Unlock() override {
    ::LeaveCriticalSection(&m_sect);
    return TRUE;
  }
  operator CRITICAL_SECTION*() { return &m_sect; }
  CRITICAL_SECTION m_sect;
};

// Holds one object's lock for a scope; the destructor releases it.
class CSingleLock {
 public:
  explicit CSingleLock(CSyncObject* pObject, BOOL bInitialLock = FALSE);
  ~CSingleLock() { Unlock(); }
  BOOL Lock(DWORD dwTimeOut = INFINITE);
  BOOL Unlock();
  BOOL IsLocked() const { return m_bAcquired; }

 private:
  CSyncObject* m_pObject;
  BOOL m_bAcquired = FALSE;
  CSingleLock(const CSingleLock&) = delete;
  CSingleLock& operator=(const CSingleLock&) = delete;
};
