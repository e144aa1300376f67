#include "map/trackthreads.h"

namespace {

// a share's drawing needs little stack
const SIZE_T kHelperStack = 256 * 1024;

struct Start {
  TrackThreads* self;
  int share;
};

// scoped exclusive hold of an SRW lock
class Hold {
 public:
  explicit Hold(SRWLOCK* l) : m_l(l) { AcquireSRWLockExclusive(m_l); }
  ~Hold() { ReleaseSRWLockExclusive(m_l); }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

 private:
  SRWLOCK* m_l;
};

}  // namespace

TrackThreads::TrackThreads(int threads) {
  if (threads <= 0) {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    threads = (int)si.dwNumberOfProcessors;
  }
  m_threads = threads < 1 ? 1 : threads > kTrackThreadsMax ? kTrackThreadsMax : threads;
}

TrackThreads::~TrackThreads() {
  {
    Hold g(&m_lock);
    m_quit = true;
  }
  WakeAllConditionVariable(&m_start);
  for (int i = 0; i < m_started; i++) {
    WaitForSingleObject(m_handles[i], INFINITE);
    CloseHandle(m_handles[i]);
  }
}

DWORD WINAPI TrackThreads::HelperMain(void* arg) {
  Start start = *(Start*)arg;
  delete (Start*)arg;
  start.self->Helper(start.share);
  return 0;
}

void TrackThreads::Helper(int share) {
  unsigned seen = 0;
  for (;;) {
    const std::function<void(int, int)>* work;
    int count;
    {
      Hold g(&m_lock);
      while (!m_quit && m_generation == seen) SleepConditionVariableSRW(&m_start, &m_lock, INFINITE, 0);
      if (m_quit) return;
      seen = m_generation;
      work = m_work, count = m_threads;
    }
    (*work)(share, count);
    Hold g(&m_lock);
    if (--m_pending == 0) WakeConditionVariable(&m_done);
  }
}

void TrackThreads::Run(const std::function<void(int share, int count)>& work) {
  if (m_threads > 1 && m_started == 0) {
    for (int i = 1; i < m_threads; i++) {
      Start* start = new Start{this, i};
      HANDLE h = CreateThread(nullptr, kHelperStack, HelperMain, start, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
      if (!h) {
        // no more threads to be had: the ones made share the work
        delete start;
        break;
      }
      m_handles[m_started++] = h;
    }
    Hold g(&m_lock);
    m_threads = m_started + 1;
  }
  if (m_started == 0) {
    work(0, 1);
    return;
  }
  {
    Hold g(&m_lock);
    m_work = &work;
    m_pending = m_started;
    m_generation++;
  }
  WakeAllConditionVariable(&m_start);
  work(0, m_threads);
  Hold g(&m_lock);
  while (m_pending > 0) SleepConditionVariableSRW(&m_done, &m_lock, INFINITE, 0);
}
