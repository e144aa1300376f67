#include "framework/sync.h"

CSyncObject::~CSyncObject() {
  if (m_hObject) ::CloseHandle(m_hObject);
}

BOOL CSyncObject::Lock(DWORD dwTimeout) {
  DWORD r = ::WaitForSingleObject(m_hObject, dwTimeout);
  return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

CSemaphore::CSemaphore(LONG lInitialCount, LONG lMaxCount, const char* pstrName,
                       LPSECURITY_ATTRIBUTES lpsaAttributes) {
  m_hObject = ::CreateSemaphoreA(lpsaAttributes, lInitialCount, lMaxCount, pstrName);
}

CMutex::CMutex(BOOL bInitiallyOwn, const char* lpszName, LPSECURITY_ATTRIBUTES lpsaAttribute) {
  m_hObject = ::CreateMutexA(lpsaAttribute, bInitiallyOwn, lpszName);
}

CEvent::CEvent(BOOL bInitiallyOwn, BOOL bManualReset, const char* lpszName, LPSECURITY_ATTRIBUTES lpsaAttribute) {
  m_hObject = ::CreateEventA(lpsaAttribute, bManualReset, bInitiallyOwn, lpszName);
}

BOOL CCriticalSection::Lock(DWORD dwTimeout) {
  if (dwTimeout == INFINITE) {
    ::EnterCriticalSection(&m_sect);
    return TRUE;
  }
  // a bounded wait: poll, since critical sections have no timed entry
  DWORD start = ::GetTickCount();
  for (;;) {
    if (::TryEnterCriticalSection(&m_sect)) return TRUE;
    if (::GetTickCount() - start >= dwTimeout) return FALSE;
    ::Sleep(1);
  }
}

CSingleLock::CSingleLock(CSyncObject* pObject, BOOL bInitialLock) : m_pObject(pObject) {
  if (bInitialLock) Lock();
}

BOOL CSingleLock::Lock(DWORD dwTimeOut) {
  if (m_bAcquired || !m_pObject) return m_bAcquired;
  m_bAcquired = m_pObject->Lock(dwTimeOut);
  return m_bAcquired;
}

BOOL CSingleLock::Unlock() {
  if (m_bAcquired) m_bAcquired = !m_pObject->Unlock();
  return !m_bAcquired;
}
