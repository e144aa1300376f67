// A window stand-in for the TreeList logic: notifications go to a scripted
// parent, invalidations and scroll values are recorded, text is measured at
// 7 pixels a character.
#pragma once

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "treelist/tlstate.h"

namespace tltest {

class FakeHost : public TreeListHost {
 public:
  FakeHost();
  ~FakeHost() override;
  TreeListState* st = nullptr;
  std::function<intptr_t(TLNmHdr*)> parent;
  std::vector<int> codes;
  int posted = 0, invalidations = 0;
  int vmax = -1, vpage = -1, vpos = -1;

  void HostLock() override { m_mutex.lock(); }
  void HostUnlock() override { m_mutex.unlock(); }
  uint32_t HostThreadId() override;
  bool HostOnWindowThread() override { return std::this_thread::get_id() == m_windowThread; }
  bool HostWaitBusy() override {
    std::this_thread::yield();
    return true;
  }
  intptr_t HostNotify(TLNmHdr* rec) override;
  void HostPostRunDeferred() override { posted++; }
  void HostInvalidate(const TLRect*) override { invalidations++; }
  void HostSetScroll(int bar, int maxValue, int page, int pos, bool) override;
  void HostScrolled(int) override {}
  int HostMeasureText(const char*, int length, bool bold) override { return length * (bold ? 8 : 7); }
  void HostForget(uint32_t, int) override {}
  void HostForgetLater(uint32_t, uint32_t) override {}
  uintptr_t HostWindow() override { return 0x1234; }

  // the state's checks: links, levels, rows and counts agree
  std::string Check() const;

 private:
  std::recursive_mutex m_mutex;
  std::thread::id m_windowThread = std::this_thread::get_id();
};

}  // namespace tltest
