#include "game/view/orvalo_view.h"

#include "game/app/orvalo_doc.h"

IMPLEMENT_DYNCREATE(COrvaloView, CView)

BEGIN_MESSAGE_MAP(COrvaloView, CView)
END_MESSAGE_MAP()

COrvaloView::COrvaloView() = default;
COrvaloView::~COrvaloView() = default;

COrvaloDoc* COrvaloView::GetDocument() const { return static_cast<COrvaloDoc*>(m_pDocument); }

BOOL COrvaloView::PreCreateWindow(CREATESTRUCTA& cs) { return CView::PreCreateWindow(cs); }

void COrvaloView::OnDraw(CDC*) {}

void COrvaloView::SetInfoPath(const char* lpszPath) {
  m_strInfoPath = lpszPath;
  while (m_strInfoPath.GetLength() > 1) {
    char last = m_strInfoPath[m_strInfoPath.GetLength() - 1];
    if (last != '\\' && last != '/') break;
    // a drive root keeps its separator
    if (m_strInfoPath.GetLength() == 3 && m_strInfoPath[1] == ':') break;
    m_strInfoPath.Delete(m_strInfoPath.GetLength() - 1);
  }
}
