// Threads that paint a long track together, each its share of the points:
// a day's GPS recording has a hundred thousand points and a frame should
// not wait for one processor to draw them all. Shares may write the same
// pixel, always with the same colour, so the pixels are those one thread
// draws.
#pragma once

#include <windows.h>

#include <functional>

const int kTrackThreadsMax = 8;

class TrackThreads {
 public:
  // threads: how many work at once, the caller's included (0: one per
  // processor), at most kTrackThreadsMax. The helpers start at the first Run.
  explicit TrackThreads(int threads = 0);
  ~TrackThreads();
  TrackThreads(const TrackThreads&) = delete;
  TrackThreads& operator=(const TrackThreads&) = delete;

  int Count() const { return m_threads; }
  // Calls work(share, Count()) once for every share, share 0 on the
  // caller's thread, and returns when all are done. Not reentrant.
  void Run(const std::function<void(int share, int count)>& work);

 private:
  static DWORD WINAPI HelperMain(void* arg);
  void Helper(int share);

  int m_threads;
  int m_started = 0;
  HANDLE m_handles[kTrackThreadsMax] = {};
  // the kernel's lock and condition: they wake a thread without a round
  // trip through a server, which Wine's events and the C++ library's
  // conditions take
  SRWLOCK m_lock = SRWLOCK_INIT;
  CONDITION_VARIABLE m_start = CONDITION_VARIABLE_INIT, m_done = CONDITION_VARIABLE_INIT;
  const std::function<void(int, int)>* m_work = nullptr;
  unsigned m_generation = 0;  // one more for every Run
  int m_pending = 0;          // helpers still at work
  bool m_quit = false;
};
