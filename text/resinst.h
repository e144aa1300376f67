// The module whose resources (strings, dialogs, menus) the class layer loads.
#pragma once

#include <windows.h>

HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInst);
HINSTANCE AfxGetInstanceHandle();
