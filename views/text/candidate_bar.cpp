#include "views/text/candidate_bar.h"

#include "ocrdoc/document/ocr_doc.h"
#include "views/view_host.h"

const char* const kMsgImagePointerNull = "Image pointer is null!";

namespace {

// Every face the panel shows.
constexpr int kFaceIds[] = {kFaceCandidateHot,         kFaceImageFrame,          kFaceCandidatePressed,
                            kFaceCandidateNormal,      kFaceTextWindowOffNormal, kFaceTextWindowOffHot,
                            kFaceTextWindowOffPressed, kFaceLineImageOnNormal,   kFaceLineImageOnPressed,
                            kFaceLineImageOnHot,       kFaceTextWindowOnNormal,  kFaceTextWindowOnPressed,
                            kFaceTextWindowOnHot,      kFaceLineImageOffNormal,  kFaceLineImageOffPressed,
                            kFaceLineImageOffHot,      kFaceMoveNormal,          kFaceMoveHot,
                            kFaceMovePressed,          kFaceExpandNormal,        kFaceExpandHot,
                            kFaceExpandPressed};

// "宋体" in GBK.
constexpr const char kSongFace[] = "\xCB\xCE\xCC\xE5";

}  // namespace

BEGIN_MESSAGE_MAP(CCandidateBar, CWnd)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CCandidateBar::CCandidateBar() : m_layout([this](int id) { return FaceSize(id); }) {}

CCandidateBar::~CCandidateBar() {
    if (m_hWnd) DestroyWindow();
}

CBitmap* CCandidateBar::Face(int id) {
    auto it = m_faces.find(id);
    return it == m_faces.end() ? nullptr : it->second.get();
}

SIZE CCandidateBar::FaceSize(int id) {
    BITMAP info{};
    if (CBitmap* face = Face(id)) face->GetBitmap(&info);
    return SIZE{info.bmWidth, info.bmHeight};
}

BOOL CCandidateBar::Create(const RECT& rect, CWnd* parent) {
    for (int id : kFaceIds) {
        auto face = std::make_unique<CBitmap>();
        if (!face->LoadBitmap(MAKEINTRESOURCE(id))) return FALSE;
        m_faces[id] = std::move(face);
    }
    if (!m_font.GetSafeHandle()) {
        if (ViewHost().SystemLanguageId() == 1033) {
            m_font.CreateFont(-26, 0, 0, 0, FW_MEDIUM, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "SIMSUN");
        } else {
            m_font.CreateFont(-26, 0, 0, 0, FW_DONTCARE, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, kSongFace);
        }
    }
    if (!CreateEx(WS_EX_TOOLWINDOW, nullptr, "", WS_CHILD | WS_VISIBLE, rect, parent, 0)) return FALSE;
    CRect client;
    GetClientRect(&client);
    m_layout.SetClientSize(client.Width(), client.Height());
    m_layout.LayoutItems();
    SetTimer(kHoverTimer, kHoverTimerMs);
    m_bCreated = true;
    return TRUE;
}

void CCandidateBar::SetCharImage(const BYTE* image) {
    if (!image) {
        ViewHost().MessageBox(kMsgImagePointerNull, "", MB_OK);
        return;
    }
    m_layout.SetCharImage(image);
    // In the compact column the image is kept for the band.
    if (m_hWnd && !m_layout.IsCompact()) InvalidateRect(&m_layout.Item(0).rc, FALSE);
}

void CCandidateBar::SetCandidates(const WORD* codes, int count) {
    m_layout.SetCandidates(codes, count);
    if (m_hWnd) Invalidate(FALSE);
}

void CCandidateBar::Place(bool currentCompact, const RECT& rect) {
    if (!m_layout.Place(currentCompact)) return;
    if (m_hWnd) {
        MoveWindow(&rect);
        CRect client;
        GetClientRect(&client);
        m_layout.SetClientSize(client.Width(), client.Height());
        m_layout.LayoutItems();
        Invalidate(FALSE);
    }
}

void CCandidateBar::Reset() {
    m_layout.LayoutItems();
    if (m_hWnd) Invalidate(FALSE);
}

void CCandidateBar::PaintTo(CDC* dc) {
    m_painter.Paint(dc, m_layout, [this](int id) { return Face(id); }, &m_font);
}

void CCandidateBar::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty()) return;
    CDC memory;
    CBitmap surface;
    if (!memory.CreateCompatibleDC(&dc) || !surface.CreateCompatibleBitmap(&dc, client.Width(), client.Height())) return;
    CBitmap* old = memory.SelectObject(&surface);
    PaintTo(&memory);
    dc.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
}

BOOL CCandidateBar::OnEraseBkgnd(CDC*) { return TRUE; }

void CCandidateBar::OnLButtonDown(UINT, CPoint point) {
    if (!m_layout.ButtonDown(point)) return;
    SetCapture();
    Invalidate(FALSE);
}

void CCandidateBar::OnMouseMove(UINT, CPoint point) {
    if (m_layout.MouseMove(point)) Invalidate(FALSE);
}

void CCandidateBar::OnLButtonUp(UINT, CPoint point) {
    if (!m_layout.IsCaptured()) return;
    ReleaseCapture();
    const CandidateClick click = m_layout.ButtonUp(point);
    Invalidate(FALSE);
    if (click.request != 0 && GetParent()) GetParent()->SendMessage(WM_CANDIDATEBAR, click.code, click.request);
}

void CCandidateBar::OnTimer(UINT_PTR id) {
    if (id != kHoverTimer) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    CRect client;
    GetClientRect(&client);
    if (m_layout.Tick(client.PtInRect(cursor) != FALSE)) Invalidate(FALSE);
}

void CCandidateBar::OnSize(UINT, int cx, int cy) {
    m_layout.SetClientSize(cx, cy);
    m_layout.LayoutItems();
    Invalidate(FALSE);
}

void CCandidateBar::OnClose() {
    KillTimer(kHoverTimer);
    CWnd::OnClose();
}
