// The in-memory dialog template read back by the extended template's
// published layout: the font block.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "toolkit/dlgtemplate.h"

namespace {

struct Reader {
  const BYTE* p;
  WORD Word() {
    WORD w = (WORD)(p[0] | p[1] << 8);
    p += 2;
    return w;
  }
  DWORD Dword() {
    DWORD lo = Word();
    return lo | (DWORD)Word() << 16;
  }
  std::string Text() {  // the templates here hold ASCII only
    std::string s;
    for (WORD c; (c = Word()) != 0;) s += (char)c;
    return s;
  }
};

struct Header {
  DWORD style;
  WORD items, cx, cy;
  std::string caption, face;
  WORD points;
};

Header ReadHeader(const BYTE* t) {
  Reader r{t};
  Header h;
  EXPECT_EQ(r.Word(), 1);       // dlgVer
  EXPECT_EQ(r.Word(), 0xFFFF);  // extended form
  r.Dword();                    // help id
  r.Dword();                    // extended style
  h.style = r.Dword();
  h.items = r.Word();
  r.Word();
  r.Word();
  h.cx = r.Word();
  h.cy = r.Word();
  EXPECT_EQ(r.Word(), 0);  // menu
  EXPECT_EQ(r.Word(), 0);  // class
  h.caption = r.Text();
  h.points = r.Word();
  r.Word();  // weight
  r.Word();  // italic, charset
  h.face = r.Text();
  return h;
}

TEST(DlgTemplate, FontNameAndSizeAreWritten) {
  char face[32];
  strcpy(face, "MS Sans Serif");
  CDlgTemplate t("Dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 186, 90);
  t.SetFont(face, 9);
  strcpy(face, "overwritten");  // the builder keeps its own copy
  Header h = ReadHeader((const BYTE*)t.Get());
  EXPECT_EQ(h.face, "MS Sans Serif");
  EXPECT_EQ(h.points, 9);
  EXPECT_EQ(h.caption, "Dialog");
  EXPECT_EQ(h.items, 0);
  EXPECT_EQ(h.cx, 186);
  EXPECT_EQ(h.cy, 90);
  EXPECT_EQ(h.style, (DWORD)(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT));

  CDlgTemplate d("Frage", WS_POPUP, 100, 50);
  Header hd = ReadHeader((const BYTE*)d.Get());
  EXPECT_EQ(hd.face, "MS Shell Dlg");  // without a name, as before
  EXPECT_EQ(hd.points, 8);
}

}  // namespace
