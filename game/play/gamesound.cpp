#include "game/play/gamesound.h"

#include <windows.h>
#include <mmsystem.h>

namespace game {

namespace {

constexpr SIZE_T kSoundStack = 32768;

DWORD WINAPI SoundThread(LPVOID name) {
  PlaySoundA(static_cast<const char*>(name), GetModuleHandleA(nullptr), SND_RESOURCE | SND_ASYNC);
  return 0;
}

}  // namespace

void PlaySoundAsync(const char* name) {
  HANDLE h = CreateThread(nullptr, kSoundStack, SoundThread, const_cast<char*>(name), 0, nullptr);
  if (h) CloseHandle(h);
}

}  // namespace game
