// Threads with an explicit stack size and the synchronisation objects.
#include <gtest/gtest.h>

#include <atomic>

#include "framework/sync.h"
#include "framework/winapp.h"

namespace {

struct StackProbe {
  SIZE_T reserved = 0;
};

UINT ProbeStack(LPVOID p) {
  MEMORY_BASIC_INFORMATION mbi;
  int local = 0;
  VirtualQuery(&local, &mbi, sizeof mbi);
  // the reservation runs from the allocation base to the top of this region
  static_cast<StackProbe*>(p)->reserved =
      reinterpret_cast<BYTE*>(mbi.BaseAddress) + mbi.RegionSize - static_cast<BYTE*>(mbi.AllocationBase);
  return 7;
}

// The program's default reservation is 2 MiB; Wine reserves at least 1 MiB.
TEST(Threads, ExplicitStackSizeIsTheReservation) {
  for (UINT size : {0x40000u, 0x400000u}) {
    StackProbe probe;
    CWinThread* t = AfxBeginThread(ProbeStack, &probe, THREAD_PRIORITY_NORMAL, size, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, t);
    t->m_bAutoDelete = FALSE;
    t->ResumeThread();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t->m_hThread, 5000));
    DWORD code = 0;
    GetExitCodeThread(t->m_hThread, &code);
    EXPECT_EQ(7u, code);
    delete t;
    EXPECT_GE(probe.reserved, size);
    if (size > 0x200000u)
      EXPECT_LE(probe.reserved, size + 0x20000u) << std::hex << probe.reserved;
    else
      EXPECT_LT(probe.reserved, 0x200000u) << std::hex << probe.reserved;  // not the default
  }
}

struct Shared {
  CSemaphore sem{2, 2};
  std::atomic<int> inside{0}, peak{0};
};

UINT UseSemaphore(LPVOID p) {
  Shared* s = static_cast<Shared*>(p);
  for (int i = 0; i < 20; ++i) {
    CSingleLock lock(&s->sem, TRUE);
    int now = ++s->inside;
    int old = s->peak;
    while (now > old && !s->peak.compare_exchange_weak(old, now)) {
    }
    Sleep(1);
    --s->inside;
  }
  return 0;
}

TEST(Sync, SemaphoreAdmitsItsCount) {
  Shared s;
  HANDLE threads[4];
  CWinThread* t[4];
  for (int i = 0; i < 4; ++i) {
    t[i] = AfxBeginThread(UseSemaphore, &s, THREAD_PRIORITY_NORMAL, 0x10000, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, t[i]);
    t[i]->m_bAutoDelete = FALSE;
    threads[i] = t[i]->m_hThread;
  }
  for (auto* x : t) x->ResumeThread();
  ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(4, threads, TRUE, 10000));
  for (auto* x : t) delete x;
  EXPECT_LE(s.peak.load(), 2);
  EXPECT_GE(s.peak.load(), 1);
}

UINT HoldSection(LPVOID p) {
  CSingleLock lock(static_cast<CCriticalSection*>(p), TRUE);
  Sleep(300);
  return 0;
}

TEST(Sync, CriticalSectionTimeoutAndSingleLock) {
  CCriticalSection cs;
  CWinThread* t = AfxBeginThread(HoldSection, &cs, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(nullptr, t);
  t->m_bAutoDelete = FALSE;
  t->ResumeThread();
  Sleep(50);
  CSingleLock lock(&cs);
  DWORD start = GetTickCount();
  EXPECT_FALSE(lock.Lock(30));
  EXPECT_GE(GetTickCount() - start, 25u);
  EXPECT_FALSE(lock.IsLocked());
  EXPECT_TRUE(lock.Lock(5000));  // the holder lets go
  EXPECT_TRUE(lock.IsLocked());
  EXPECT_TRUE(lock.Unlock());
  EXPECT_FALSE(lock.IsLocked());
  WaitForSingleObject(t->m_hThread, 5000);
  delete t;
}

}  // namespace
