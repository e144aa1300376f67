// CDirectoryList without a shell (native build): no virtual root, no
// shortcuts, no icons.
#include "files/dirlist.h"

bool CDirectoryList::ListVirtualRoot() { return false; }

bool CDirectoryList::ResolveLink(const char*, std::string&) { return false; }

int CDirectoryList::ShellIconIndex(DirEntry*, unsigned) { return -1; }

bool CDirectoryList::ResolveDisplayPath(const char*, std::string&) { return false; }
