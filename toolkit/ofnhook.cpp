#include "toolkit/ofnhook.h"

#include <ctype.h>
#include <string.h>

#include "files/regkey.h"

namespace {

typedef BOOL(WINAPI* OfnProc)(OPENFILENAMEA*);
OfnProc g_realOpen = nullptr;
OfnProc g_realSave = nullptr;

OfnProc RealProc(const char* name) {
  HMODULE dll = GetModuleHandleA("comdlg32.dll");
  if (!dll) dll = LoadLibraryA("comdlg32.dll");
  return dll ? reinterpret_cast<OfnProc>(reinterpret_cast<void*>(GetProcAddress(dll, name))) : nullptr;
}

std::string KindFromPattern(const char* p, size_t n) {
  std::string s(p, n);
  size_t cut = s.find(';');
  if (cut != std::string::npos) s.resize(cut);
  size_t dot = s.rfind('.');
  if (dot != std::string::npos) s = s.substr(dot + 1);
  while (!s.empty() && (s[0] == '*' || s[0] == '.')) s.erase(0, 1);
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  if (s.empty() || s.find_first_of("*?\\/:") != std::string::npos || s.size() > 32) return std::string();
  return s;
}

bool ReadFolder(const std::string& kind, char* out, int size) {
  CRegistryKey key;
  out[0] = 0;
  if (!key.Open(HKEY_CURRENT_USER, OFN_FOLDERS_KEY, REGKEY_READ)) return false;
  if (!key.ReadValue(out, size, kind.c_str(), REG_SZ) || !out[0]) return false;
  DWORD attr = GetFileAttributesA(out);
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteFolder(const std::string& kind, const OPENFILENAMEA* ofn) {
  if (!ofn->lpstrFile || ofn->nFileOffset == 0) return;
  size_t len = strnlen(ofn->lpstrFile, ofn->nMaxFile);
  if (ofn->nFileOffset > len) return;
  std::string folder(ofn->lpstrFile, ofn->nFileOffset);
  // with several files the folder stands alone, ended by its zero
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '\0')) folder.pop_back();
  if (folder.empty()) return;
  CRegistryKey key;
  if (key.Open(HKEY_CURRENT_USER, OFN_FOLDERS_KEY, REGKEY_CREATE))
    key.WriteValue(folder.c_str(), static_cast<int>(folder.size()), kind.c_str(), REG_SZ);
}

}  // namespace

BOOL OfnRunWithFolders(OPENFILENAMEA* ofn, BOOL(WINAPI* real)(OPENFILENAMEA*)) {
  if (!real) return FALSE;
  if (!ofn) return real(ofn);
  std::string kind = OfnFolderKind(ofn);
  char folder[MAX_PATH];
  const char* oldDir = ofn->lpstrInitialDir;
  bool fileHasFolder = ofn->lpstrFile && strpbrk(ofn->lpstrFile, "\\/:");
  if (!kind.empty() && (!oldDir || !oldDir[0]) && !fileHasFolder && ReadFolder(kind, folder, sizeof folder))
    ofn->lpstrInitialDir = folder;
  BOOL ok = real(ofn);
  ofn->lpstrInitialDir = oldDir;
  if (ok && !kind.empty()) WriteFolder(kind, ofn);
  return ok;
}

namespace {

// Points the module's import of dll!name at hook; counts entries that do so.
int PatchImport(HMODULE module, const char* name, void* real, void* hook) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return 0;
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return 0;
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return 0;
  int count = 0;
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; imp++) {
    if (_stricmp(reinterpret_cast<const char*>(base + imp->Name), "comdlg32.dll") != 0) continue;
    auto* iat = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    auto* names = imp->OriginalFirstThunk ? reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk)
                                          : nullptr;
    for (int i = 0; iat[i].u1.Function; i++) {
      void* current = reinterpret_cast<void*>(iat[i].u1.Function);
      bool match = current == real || current == hook;
      if (!match && names && !IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) {
        auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
        match = strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0;
      }
      if (!match) continue;
      if (current != hook) {
        DWORD old;
        if (!VirtualProtect(&iat[i].u1.Function, sizeof iat[i].u1.Function, PAGE_READWRITE, &old)) continue;
        iat[i].u1.Function = reinterpret_cast<ULONG_PTR>(hook);
        VirtualProtect(&iat[i].u1.Function, sizeof iat[i].u1.Function, old, &old);
      }
      count++;
    }
  }
  return count;
}

}  // namespace

std::string OfnFolderKind(const OPENFILENAMEA* ofn) {
  if (!ofn) return std::string();
  if (ofn->lpstrDefExt && ofn->lpstrDefExt[0]) return KindFromPattern(ofn->lpstrDefExt, strlen(ofn->lpstrDefExt));
  const char* f = ofn->lpstrFilter;
  if (!f || !f[0]) return std::string();
  const char* pattern = f + strlen(f) + 1;  // "name\0pattern\0..."
  return KindFromPattern(pattern, strlen(pattern));
}

BOOL WINAPI OfnGetOpenFileName(OPENFILENAMEA* ofn) {
  if (!g_realOpen) g_realOpen = RealProc("GetOpenFileNameA");
  return OfnRunWithFolders(ofn, g_realOpen);
}

BOOL WINAPI OfnGetSaveFileName(OPENFILENAMEA* ofn) {
  if (!g_realSave) g_realSave = RealProc("GetSaveFileNameA");
  return OfnRunWithFolders(ofn, g_realSave);
}

int DlgInstallOfnHook(HMODULE module) {
  if (!module) module = GetModuleHandleA(nullptr);
  if (!g_realOpen) g_realOpen = RealProc("GetOpenFileNameA");
  if (!g_realSave) g_realSave = RealProc("GetSaveFileNameA");
  return PatchImport(module, "GetOpenFileNameA", reinterpret_cast<void*>(g_realOpen),
                     reinterpret_cast<void*>(&OfnGetOpenFileName)) +
         PatchImport(module, "GetSaveFileNameA", reinterpret_cast<void*>(g_realSave),
                     reinterpret_cast<void*>(&OfnGetSaveFileName));
}
