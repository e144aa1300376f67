// Numbers of the folder dialog and its controls that more than one file uses.
#pragma once

enum : int {
  // the longest path any of the folder controls takes, shows or returns:
  // OK reads it from the path combo, whose field holds this many characters
  FOLDER_MAX_PATH = 251,
  FOLDER_MAX_SEGMENTS = 32,  // breadcrumb segments of the path combo
  FOLDER_RECENT_LIMIT = 16,  // recent folders kept
  FOLDER_RECENT_READ = 32,   // entries of a stored recent list taken
};

// Icon flags of listed entries: small, from the attributes alone (reading
// each folder's own icon costs tens of milliseconds apiece under Wine).
enum : unsigned { FOLDER_ICON_FLAGS = 0x11 };

// Messages and notifications.
enum : unsigned {
  PCN_PATHSET = 0x1208,   // WM_NOTIFY: the user set the path combo's path
  PCN_DRAGPATH = 0x1209,  // WM_NOTIFY: before and after a drag of the path
  DTN_SELMOVED = 0x1204,  // WM_NOTIFY of the directory tree: selection moved
  DTN_DRAGPATH = 0x1205,
  DTN_ACTIVATED = 0x1206,
  PATHDLG_WM_DROPPED = 0x523,  // a file dropped: wParam the drop handle
};
