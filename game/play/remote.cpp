#include "game/play/remote.h"

#include "comm/serial.h"
#include "game/play/remote_parse.h"

namespace game {

namespace {

int OpenPort(uint32_t index) { return ComOpen(static_cast<int>(index), kRemoteBaud, NOPARITY, ONESTOPBIT, 8, 0); }

void RunRemote(view::RemoteShared& link) {
  RemoteParser parser;
  int64_t openIndex = -1;  // -1 forces an open
  int slot = -1;
  while (!link.stop.load()) {
    uint32_t index = static_cast<uint32_t>(link.port.load());
    if (static_cast<int64_t>(index) != openIndex) {
      ComClose(slot);
      openIndex = index;
      slot = OpenPort(index);
    } else if (!ComClearError(slot)) {
      ComClose(slot);
      slot = OpenPort(index);
    }
    if (slot < 0) {
      Sleep(kRemoteRetryMs);
      continue;
    }
    int commands[kRemoteMaxCommands];
    bool wantInput = false;
    int n = parser.Step(commands, &wantInput);
    for (int i = 0; i < n; ++i) PostMessageA(link.window.load(), WM_COMMAND, static_cast<WPARAM>(commands[i]), 0);
    if (!wantInput) continue;
    ComWaitInput(slot, kRemoteWaitMs);
    int waiting = ComGetInputCount(slot);
    if (waiting <= 0) continue;
    int got = ComRead(slot, parser.InputArea(), parser.InputSpace());
    if (got < 0) openIndex = -1;  // reopened by the next cycle
    else parser.Received(got);
  }
  ComClose(slot);
}

}  // namespace

DWORD WINAPI ComRemoteThread(LPVOID shared) {
  view::RemoteShared* link = static_cast<view::RemoteShared*>(shared);
  if (!link) return 0;
  RunRemote(*link);
  link->ack.store(1);
  link->Release();
  return 0;
}

}  // namespace game
