#include "text/resinst.h"

static HINSTANCE g_resourceHandle;

HINSTANCE AfxGetResourceHandle() {
  return g_resourceHandle ? g_resourceHandle : GetModuleHandleA(nullptr);
}

void AfxSetResourceHandle(HINSTANCE hInst) { g_resourceHandle = hInst; }

HINSTANCE AfxGetInstanceHandle() { return GetModuleHandleA(nullptr); }
