// The viewer under Windows: a round page from Navigate2 to DocumentComplete
// against reading its files and decoding its pictures, and the repaint of a
// text page against ExtTextOutW of the same runs.
#include <windows.h>

#include <exdispid.h>

#include <string>
#include <vector>

#include "bench/benchlib.h"
#include "framework/eventsink.h"
#include "htmlview/htmlbrowser.h"
#include "htmlview/htmlpaint.h"
#include "image/imgfile.h"
#include "image/picture.h"

namespace {

struct Counter : CEventSinkOwner {
  int documents = 0;
  HRESULT OnSinkEvent(DISPID id, DISPPARAMS*) override {
    if (id == DISPID_DOCUMENTCOMPLETE) ++documents;
    return S_OK;
  }
};

std::string Folder() {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::string dir = std::string(tmp) + "orvbench-page";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

void WriteAll(const std::string& path, const void* data, size_t size) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done;
  WriteFile(h, data, static_cast<DWORD>(size), &done, nullptr);
  CloseHandle(h);
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::vector<uint8_t> out;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return out;
  out.resize(GetFileSize(h, nullptr));
  DWORD done = 0;
  ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &done, nullptr);
  CloseHandle(h);
  return out;
}

// A round's page: its target comments, a title, text and two pictures.
std::string MakeRoundPage(const std::string& dir) {
  CPicture map, flag;
  map.Create(24, 640, 480, 0x6090C0);
  for (int y = 0; y < 480; y += 4) map.FillRect(0, y, 640, 1, 0x80A060 + y);
  flag.Create(24, 200, 120, 0xCC2020);
  ImgSaveFile((dir + "\\karte.png").c_str(), map);
  ImgSaveFile((dir + "\\flagge.jpg").c_str(), flag);
  std::string page = "<!--REFX 12.4964--><!--REFY 41.9028--><!--NAME Rom -->\n<html><head><meta charset=utf-8>"
                     "<title>Spiel 1</title></head><body bgcolor=#fffff0><h1 align=center>Wo liegt Rom?</h1>"
                     "<p align=center><img src=karte.png width=640><br><img src=flagge.jpg></p>";
  for (int i = 0; i < 12; ++i)
    page += "<p>Die Hauptstadt liegt am Tiber; ihre <b>sieben H\xc3\xbcgel</b> und das <i>Forum</i> geben Hinweise.</p>";
  page += "</body></html>";
  std::string path = dir + "\\Info.html";
  WriteAll(path, page.data(), page.size());
  return path;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  OleInitialize(nullptr);
  std::string dir = Folder();
  std::string page = MakeRoundPage(dir);
  HWND host = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 1040, 800, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  HtmlBrowser* browser = HtmlBrowser::Create();
  RECT rc = {0, 0, 1024, 768};
  browser->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, host, &rc);
  Counter counter;
  CEventSink* sink = CEventSink::Create(DIID_DWebBrowserEvents2, &counter);
  sink->Connect(static_cast<IWebBrowser2*>(browser));
  std::wstring wpage(page.begin(), page.end());
  auto load = [&](long n) {
    for (long i = 0; i < n; ++i) {
      int before = counter.documents;
      VARIANT url;
      V_VT(&url) = VT_BSTR;
      V_BSTR(&url) = SysAllocString(wpage.c_str());
      browser->Navigate2(&url, nullptr, nullptr, nullptr, nullptr);
      VariantClear(&url);
      while (counter.documents == before) Pump();
    }
    return static_cast<double>(counter.documents);
  };
  auto readDecode = [&](long n) {
    double sum = 0;
    for (long i = 0; i < n; ++i) {
      std::vector<uint8_t> html = ReadAll(page);
      sum += html.size();
      for (const char* name : {"\\karte.png", "\\flagge.jpg"}) {
        std::vector<uint8_t> data = ReadAll(dir + name);
        CPicture pic;
        ImgLoadMemory(data.data(), data.size(), pic, 0);
        sum += pic.Width();
      }
    }
    return sum;
  };
  orvbench::Compare("htmlview.round_page", "Navigate2..DocumentComplete", load, "read+decode files", readDecode);

  // repaint of a text page, the visible part
  std::string text = "<h1>Spielregeln</h1>";
  for (int i = 0; i < 80; ++i)
    text += "<p>Jeder Spieler klickt der Reihe nach seinen <b>Tipp</b> auf die Karte, bevor die Zeit abl\xc3\xa4uft; "
            "die Entfernung zum <i>Ziel</i> z\xc3\xa4hlt.</p>";
  HtmlDocument doc;
  HtmlParseBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size(), doc);
  HtmlGdiFonts fonts;
  HtmlLayout lay;
  HtmlLayoutPage(doc, 1024, fonts, nullptr, lay);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 1024, 768);
  ReleaseDC(nullptr, screen);
  SelectObject(dc, bmp);
  RECT view = {0, 0, 1024, 768};
  auto repaint = [&](long n) {
    for (long i = 0; i < n; ++i) HtmlPaint(dc, view, lay, fonts, nullptr, 0);
    GdiFlush();
    return static_cast<double>(n);
  };
  std::vector<const HtmlItem*> runs;
  for (const HtmlItem& it : lay.items)
    if (it.kind == HtmlItem::kText && it.y < 768) runs.push_back(&it);
  auto plain = [&](long n) {
    for (long i = 0; i < n; ++i) {
      SetBkColor(dc, RGB(255, 255, 255));
      ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &view, nullptr, 0, nullptr);
      SetBkMode(dc, TRANSPARENT);
      for (const HtmlItem* it : runs) {
        SelectObject(dc, fonts.Font(it->font));
        SetTextColor(dc, RGB(0, 0, 0));
        ExtTextOutW(dc, it->x, it->y, 0, nullptr, it->text.data(), static_cast<UINT>(it->text.size()), nullptr);
      }
    }
    GdiFlush();
    return static_cast<double>(n);
  };
  orvbench::Compare("htmlview.repaint", "HtmlPaint", repaint, "ExtTextOutW of the runs", plain);
  sink->Disconnect();
  browser->Close(OLECLOSE_NOSAVE);
  browser->Release();
  DestroyWindow(host);
  return 0;
}
