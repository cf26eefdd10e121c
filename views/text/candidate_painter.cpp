#include "views/text/candidate_painter.h"

#include <array>

void CCandidatePainter::PaintCharImage(CDC* dc, const CCandidateLayout& layout, const RECT& frame) const {
    // 32 rows of 4 bytes: already the two-byte padded rows a bitmap takes. Set
    // bits are ink: white bits of a monochrome bitmap take the background colour.
    CBitmap image;
    if (!image.CreateBitmap(32, 32, 1, 1, layout.CharImage())) return;
    CDC source;
    if (!source.CreateCompatibleDC(dc)) return;
    CBitmap* old = source.SelectObject(&image);
    dc->SetBkColor(RGB(0, 0, 0));
    dc->SetTextColor(RGB(255, 255, 255));
    const int x = static_cast<int>(frame.left + frame.right - 32) / 2;
    const int y = static_cast<int>(frame.top + frame.bottom - 32) / 2;
    dc->BitBlt(x, y, 32, 32, &source, 0, 0, SRCCOPY);
    source.SelectObject(old);
}

void CCandidatePainter::Paint(CDC* dc, const CCandidateLayout& layout, const std::function<CBitmap*(int)>& face,
                              CFont* font) const {
    const SIZE client = layout.ClientSize();
    if (layout.IsCompact()) {
        dc->FillSolidRect(0, 0, client.cx, client.cy, kPanelGrey);
    } else {
        const int band = std::max<int>(client.cx - kPanelRightStrip, 0);
        dc->FillSolidRect(0, 0, band, client.cy, kPanelGrey);
        CRect frame(0, 0, band, client.cy);
        dc->Draw3dRect(&frame, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DDKSHADOW));
        frame.DeflateRect(3, 3);
        dc->Draw3dRect(&frame, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DHIGHLIGHT));
        dc->FillSolidRect(band, 0, client.cx - band, client.cy, kPanelGrey);
    }
    CDC source;
    if (!source.CreateCompatibleDC(dc)) return;
    CGdiObject* oldFont = font ? dc->SelectObject(font) : nullptr;
    for (int i = 0; i < kCandidateItems; ++i) {
        const CandidateItem& item = layout.Item(i);
        if (item.nKind == kItemEmpty) continue;
        if (CBitmap* bitmap = face(item.Face())) {
            BITMAP info{};
            bitmap->GetBitmap(&info);
            CBitmap* old = source.SelectObject(bitmap);
            dc->BitBlt(item.rc.left, item.rc.top, info.bmWidth, info.bmHeight, &source, 0, 0, SRCCOPY);
            source.SelectObject(old);
        }
        if (item.nKind == kItemImage && layout.HasCharImage()) PaintCharImage(dc, layout, item.rc);
        if (item.nKind == kItemCandidate) {
            const int inset = item.nState == kItemPressed ? 4 : 3;
            dc->SetBkMode(TRANSPARENT);
            dc->SetTextColor(RGB(0, 0, 0));
            dc->TextOut(item.rc.left + inset, item.rc.top + inset, reinterpret_cast<const char*>(item.text), 2);
        }
    }
    if (oldFont) dc->SelectObject(oldFont);
}
