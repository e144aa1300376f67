// Menu items of the main window for the rest of the program: images and
// texts of owner-drawn items, whole popups added to or removed from the
// menu bar. Each function finds the main frame through the application and
// returns 0 when there is none.
#pragma once

#include <windows.h>

#include "game/frame/ownermenu.h"

// The frame's private messages.
#define WM_MENU_FREE_RECORD 0x5E96   // wParam position, lParam HMENU: frees that item's record
#define WM_MENU_OWNERDRAW_QUERY 0x5E97
#define MENU_OWNERDRAW_ANSWER 0x12345678
// data word of a menu-bar entry whose popup MenuInsertPopup made
#define MENU_INSERTED_POPUP_DATA 0xFF55AA88u

LRESULT MenuSendToMainWnd(UINT message, WPARAM wParam);
// The record of the owner-drawn string item with that command (recent-file
// entries excluded); menu and position (may be null) tell where it stands.
MenuItemRecord* MenuFindItemByCommand(UINT command, HMENU* menu = nullptr, int* position = nullptr);
int MenuSetItemImage(UINT command, int image);
int MenuGetItemImage(UINT command);  // -1 when none or not found
// The whole text, or only the accelerator part when text starts with a tab.
int MenuSetItemText(UINT command, const char* text);
// Puts a copy of popup into the menu bar at position (clamped; negative:
// before the last entry) under command, replacing one with that command.
int MenuInsertPopup(UINT command, HMENU popup, const char* text, int position);
int MenuRemovePopup(UINT command);
