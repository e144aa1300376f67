// The toolbar resource header, tinting, packed DIBs, the drawing helpers
// and the file-dialog extension's import patch.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "toolkit/dibfx.h"
#include "toolkit/drawutil.h"
#include "toolkit/ofnhook.h"
#include "toolkit/toolbarnew.h"

namespace {

std::vector<uint8_t> Words(std::initializer_list<unsigned> w) {
  std::vector<uint8_t> out;
  for (unsigned v : w) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  }
  return out;
}

TEST(ToolbarResource, HeaderIsCheckedAgainstTheSize) {
  ToolbarResource r;
  std::vector<uint8_t> ok = Words({1, 16, 15, 3, 57601, 0, 32779});
  ASSERT_TRUE(ToolbarResourceParse(ok.data(), ok.size(), &r));
  EXPECT_EQ(16, r.width);
  EXPECT_EQ(15, r.height);
  EXPECT_EQ((std::vector<UINT>{57601, 0, 32779}), r.ids);
  // a count beyond the data, one short, a wrong version, no size, DWORDs
  EXPECT_FALSE(ToolbarResourceParse(ok.data(), ok.size() - 1, &r));
  std::vector<uint8_t> big = Words({1, 16, 15, 0xFFFF, 1});
  EXPECT_FALSE(ToolbarResourceParse(big.data(), big.size(), &r));
  std::vector<uint8_t> v2 = Words({2, 16, 15, 0});
  EXPECT_FALSE(ToolbarResourceParse(v2.data(), v2.size(), &r));
  std::vector<uint8_t> zero = Words({1, 0, 15, 0});
  EXPECT_FALSE(ToolbarResourceParse(zero.data(), zero.size(), &r));
  EXPECT_FALSE(ToolbarResourceParse(ok.data(), 6, &r));
  // what the resource compiler's TOOLBAR statement writes
  std::vector<uint8_t> dwords = Words({16, 0, 15, 0, 3, 0});
  EXPECT_FALSE(ToolbarResourceParse(dwords.data(), dwords.size(), &r));
}

TEST(DibTint, TowardsTheColourByLuminanceKeyKept) {
  EXPECT_EQ(RGB(0xDF, 0xDF, 0xDF), DibTintPixel(RGB(255, 255, 255), RGB(0xDF, 0xDF, 0xDF)));
  EXPECT_EQ(RGB(0x70, 0x70, 0x70), DibTintPixel(RGB(0, 0, 0), RGB(0xDF, 0xDF, 0xDF)));
  COLORREF red = DibTintPixel(RGB(255, 0, 0), RGB(0xDF, 0xDF, 0xDF));
  EXPECT_EQ(GetRValue(red), GetBValue(red));  // grey: the hue is gone
  void* bits = nullptr;
  HDIB dib = DibCreate(nullptr, 2, 1, 32, &bits);
  ASSERT_NE(nullptr, dib);
  uint32_t* p = static_cast<uint32_t*>(bits);
  p[0] = 0xC0C0C0;  // the mask colour
  p[1] = 0x000000;
  EXPECT_TRUE(DibTint(dib, 0, RGB(0xDF, 0xDF, 0xDF), RGB(0xC0, 0xC0, 0xC0)));
  EXPECT_EQ(0xC0C0C0u, p[0] & 0xFFFFFF);
  EXPECT_EQ(0x707070u, p[1] & 0xFFFFFF);
  DibFree(dib);
}

TEST(DibToDeviceBitmap, PackedImagesWithinTheirSize) {
  struct {
    BITMAPINFOHEADER h;
    uint32_t px[4];
  } img = {};
  img.h.biSize = sizeof img.h;
  img.h.biWidth = 2;
  img.h.biHeight = -2;
  img.h.biPlanes = 1;
  img.h.biBitCount = 32;
  img.px[0] = 0x80FF0000;
  HBITMAP b = DibToDeviceBitmap(&img, sizeof img, DIB_DEVICE_ALPHA, 0);
  ASSERT_NE(nullptr, b);
  DIBSECTION ds;
  ASSERT_EQ(static_cast<int>(sizeof ds), GetObjectA(b, sizeof ds, &ds));
  EXPECT_EQ(32, ds.dsBm.bmBitsPixel);
  EXPECT_EQ(0x80FF0000u, static_cast<uint32_t*>(ds.dsBm.bmBits)[0]);  // alpha kept
  DeleteObject(b);
  b = DibToDeviceBitmap(&img, sizeof img, DIB_DEVICE_COMPATIBLE, 0);
  EXPECT_NE(nullptr, b);
  DeleteObject(b);
  // pixels beyond the block, a huge width, a bad header size
  EXPECT_EQ(nullptr, DibToDeviceBitmap(&img, sizeof img - 1, DIB_DEVICE_ALPHA, 0));
  img.h.biWidth = 0x7FFFFFFF;
  EXPECT_EQ(nullptr, DibToDeviceBitmap(&img, sizeof img, DIB_DEVICE_ALPHA, 0));
  img.h.biWidth = 2;
  img.h.biSize = 0xFFFFFFFF;
  EXPECT_EQ(nullptr, DibToDeviceBitmap(&img, sizeof img, DIB_DEVICE_ALPHA, 0));
}

TEST(DibFrom, IconAndBitmapGiveTheirPixels) {
  HDIB src = DibCreate(nullptr, 8, 4, 32, nullptr);
  uint32_t* sp = static_cast<uint32_t*>(DibGetBits(src));
  for (int i = 0; i < 32; i++) sp[i] = 0x404040;  // no alpha: the mask decides
  HBITMAP copy = DibCopyToBitmap(src);
  ASSERT_NE(nullptr, copy);
  SIZE size;
  HDIB back = DibFromBitmap(nullptr, copy, &size);
  ASSERT_NE(nullptr, back);
  EXPECT_EQ(8, size.cx);
  EXPECT_EQ(0x404040u, static_cast<uint32_t*>(DibGetBits(back))[31] & 0xFFFFFF);
  DibFree(back);
  // an icon: mask set (and colour black, as icons have it) on the left
  // half, so the key shows there
  for (int i = 0; i < 32; i++)
    if (i % 8 < 4) sp[i] = 0;
  DeleteObject(copy);
  copy = DibCopyToBitmap(src);
  BYTE andBits[4 * 4] = {};
  for (int y = 0; y < 4; y++) andBits[y * 4] = 0xF0;
  ICONINFO ii = {TRUE, 0, 0, CreateBitmap(8, 4, 1, 1, andBits), copy};
  HICON icon = CreateIconIndirect(&ii);
  ASSERT_NE(nullptr, icon);
  HDIB fromIcon = DibFromIcon(nullptr, icon, &size, RGB(0xC0, 0xC0, 0xC0));
  ASSERT_NE(nullptr, fromIcon);
  uint32_t* px = static_cast<uint32_t*>(DibGetBits(fromIcon));
  EXPECT_EQ(0xC0C0C0u, px[0] & 0xFFFFFF);
  EXPECT_EQ(0x404040u, px[7] & 0xFFFFFF);
  DibFree(fromIcon);
  DestroyIcon(icon);
  DeleteObject(ii.hbmMask);
  DeleteObject(copy);
  DibFree(src);
}

TEST(Draw, BoxEdgesAndCheckGlyph) {
  HDIB dib = DibCreate(nullptr, 20, 20, 32, nullptr);
  HDC dc = DibGetDC(dib);
  RECT all = {0, 0, 20, 20}, box = {2, 2, 18, 18};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawBox3D(dc, &box, DRAW_BOX_SUNKEN);
  EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), GetPixel(dc, 2, 10));  // sunken: dark above and left
  EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), GetPixel(dc, 17, 10));
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawGlyph(dc, &all, DRAW_GLYPH_CHECK, 1);  // black
  int dark = 0;
  for (int y = 0; y < 20; y++)
    for (int x = 0; x < 20; x++) dark += GetPixel(dc, x, y) == 0;
  EXPECT_GT(dark, 15);
  DibFree(dib);
}

TEST(OfnHook, KindAndImportPatch) {
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrDefExt = "*.GPX";
  EXPECT_EQ("gpx", OfnFolderKind(&ofn));
  ofn.lpstrDefExt = nullptr;
  ofn.lpstrFilter = "Trackdateien\0*.kml;*.gpx\0Alle\0*.*\0";
  EXPECT_EQ("kml", OfnFolderKind(&ofn));
  ofn.lpstrFilter = "Alle\0*.*\0";
  EXPECT_EQ("", OfnFolderKind(&ofn));
  ofn.lpstrDefExt = "..\\x";
  EXPECT_EQ("", OfnFolderKind(&ofn));  // no value names from paths
  // this program imports the dialogs; installing twice changes nothing more
  volatile auto keep = &GetOpenFileNameA;
  (void)keep;
  int first = DlgInstallOfnHook(nullptr);
  EXPECT_GE(first, 1);
  EXPECT_EQ(first, DlgInstallOfnHook(nullptr));
}

std::string g_seenDir;
const char* g_pick = nullptr;
BOOL WINAPI FakeDialog(OPENFILENAMEA* ofn) {
  g_seenDir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "";
  if (!g_pick) return FALSE;  // cancelled
  strcpy(ofn->lpstrFile, g_pick);
  ofn->nFileOffset = static_cast<WORD>(strrchr(g_pick, '\\') - g_pick + 1);
  return TRUE;
}

TEST(OfnHook, EachKindOpensWhereItWasLastUsed) {
  RegDeleteKeyA(HKEY_CURRENT_USER, OFN_FOLDERS_KEY);
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  std::string dir = std::string(tmp) + "ofn_gpx_folder";
  CreateDirectoryA(dir.c_str(), nullptr);
  std::string file = dir + "\\track.gpx";
  char buf[MAX_PATH] = "";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = buf;
  ofn.nMaxFile = sizeof buf;
  ofn.lpstrDefExt = "*.gpx";
  g_pick = file.c_str();
  ASSERT_TRUE(OfnRunWithFolders(&ofn, FakeDialog));
  EXPECT_EQ("", g_seenDir);  // nothing remembered yet
  buf[0] = 0;
  g_pick = nullptr;
  EXPECT_FALSE(OfnRunWithFolders(&ofn, FakeDialog));
  EXPECT_EQ(dir, g_seenDir);
  EXPECT_EQ(nullptr, ofn.lpstrInitialDir);  // the caller's structure as it was
  // another kind has its own folder; a folder given by the caller wins
  ofn.lpstrDefExt = "kml";
  OfnRunWithFolders(&ofn, FakeDialog);
  EXPECT_EQ("", g_seenDir);
  ofn.lpstrDefExt = "gpx";
  ofn.lpstrInitialDir = "C:\\";
  OfnRunWithFolders(&ofn, FakeDialog);
  EXPECT_EQ("C:\\", g_seenDir);
  // a remembered folder that is gone is not offered
  ofn.lpstrInitialDir = nullptr;
  RemoveDirectoryA(dir.c_str());
  OfnRunWithFolders(&ofn, FakeDialog);
  EXPECT_EQ("", g_seenDir);
  RegDeleteKeyA(HKEY_CURRENT_USER, OFN_FOLDERS_KEY);
}

}  // namespace
