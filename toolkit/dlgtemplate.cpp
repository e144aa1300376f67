#include "toolkit/dlgtemplate.h"

#include <stddef.h>
#include <string.h>

CDlgTemplate::CDlgTemplate(const char* caption, DWORD style, int cx, int cy) {
  DLGTEMPLATE t = {};
  t.style = style | DS_SETFONT;
  t.cx = (short)cx;
  t.cy = (short)cy;
  const WORD* w = (const WORD*)&t;
  m_data.assign(w, w + sizeof t / 2);
  m_countAt = offsetof(DLGTEMPLATE, cdit) / 2;
  Word(0);  // no menu
  Word(0);  // the dialog class
  Text(caption);
  Word(8);
  Text("MS Shell Dlg");
}

void CDlgTemplate::Text(const char* s) {
  // 8-bit Windows-1252 text to UTF-16
  int n = MultiByteToWideChar(1252, 0, s ? s : "", -1, nullptr, 0);
  std::vector<wchar_t> w(n > 0 ? n : 1, 0);
  if (n > 0) MultiByteToWideChar(1252, 0, s ? s : "", -1, w.data(), n);
  for (wchar_t c : w) Word((WORD)c);
  if (n <= 0) Word(0);
}

void CDlgTemplate::Align() {
  if (m_data.size() & 1) Word(0);  // items start on a DWORD boundary
}

void CDlgTemplate::AddItem(WORD id, DWORD style, int x, int y, int cx, int cy, WORD clsAtom, const char* text,
                           const char* className) {
  Align();
  DLGITEMTEMPLATE it = {};
  it.style = style | WS_CHILD | WS_VISIBLE;
  it.x = (short)x;
  it.y = (short)y;
  it.cx = (short)cx;
  it.cy = (short)cy;
  it.id = id;
  const WORD* w = (const WORD*)&it;
  m_data.insert(m_data.end(), w, w + sizeof it / 2);
  if (clsAtom) {
    Word(0xFFFF);
    Word(clsAtom);
  } else {
    Text(className);
  }
  Text(text);
  Word(0);  // no creation data
  m_data[m_countAt]++;
}

LPCDLGTEMPLATE CDlgTemplate::Get() { return (LPCDLGTEMPLATE)m_data.data(); }
