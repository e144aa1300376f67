// The viewer's window: shows one laid-out page, scrolls, follows the mouse
// over links and hands clicks and hovering to its host.
#pragma once

#include <windows.h>

#include <memory>

#include "htmlview/htmldom.h"
#include "htmlview/htmlimages.h"
#include "htmlview/htmlpaint.h"

class HtmlWindowHost {
 public:
  virtual void OnLinkHover(const HtmlString& url) = 0;  // empty: the mouse left the link
  virtual void OnLinkClick(const HtmlString& url) = 0;  // resolved against the page
  virtual void OnContinue(WPARAM token) = 0;            // the message PostContinue sent

 protected:
  ~HtmlWindowHost() = default;
};

class HtmlWindow {
 public:
  HtmlWindow();
  ~HtmlWindow();
  HtmlWindow(const HtmlWindow&) = delete;
  HtmlWindow& operator=(const HtmlWindow&) = delete;

  bool Create(HWND parent, const RECT& rect, HtmlWindowHost* host);
  void Destroy();
  HWND Handle() const { return m_hWnd; }

  // Shows a parsed page from url: loads its images, lays it out for the
  // window's width and scrolls to the top.
  void ShowPage(std::unique_ptr<HtmlDocument> doc, const HtmlString& url);
  const HtmlString& Url() const { return m_url; }
  const HtmlDocument* Document() const { return m_doc.get(); }
  // The page text on the clipboard (CF_UNICODETEXT); false when it failed.
  bool CopyText() const;
  // Posts a message to this window that comes back as OnContinue(token).
  bool PostContinue(WPARAM token) const;
  int ScrollPos() const { return m_scroll; }
  // Lays the page out again at zoom percent (10..1000), keeping the place
  // shown; later pages keep the zoom.
  void SetZoom(int percent);
  int Zoom() const { return m_zoom; }
  const HtmlLayout& Layout() const { return m_layout; }

 private:
  static LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void Relayout();
  void ScrollTo(int64_t y);
  void UpdateScrollBar();
  void Paint();
  void OnMouseMove(int x, int y);
  int PageHeight() const;

  HWND m_hWnd = nullptr;
  HtmlWindowHost* m_host = nullptr;
  std::unique_ptr<HtmlDocument> m_doc;
  HtmlString m_url;
  HtmlImages m_images;
  HtmlGdiFonts m_fonts;
  HtmlLayout m_layout;
  int m_layoutWidth = -1;
  int m_zoom = 100, m_layoutZoom = 100;
  int m_scroll = 0;
  int m_hoverLink = -1;
  int m_pressedLink = -1;
  HBITMAP m_buffer = nullptr;
  SIZE m_bufferSize = {0, 0};
};
