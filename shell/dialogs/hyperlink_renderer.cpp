#include "shell/dialogs/hyperlink_renderer.h"

HyperlinkFonts HyperlinkFonts::Default() {
    HyperlinkFonts f;
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTA), &f.normal);
    f.hover = f.visited = f.normal;
    f.hover.lfUnderline = f.visited.lfUnderline = TRUE;
    return f;
}

LOGFONTA& HyperlinkFonts::Of(int which) {
    return which == CHyperlinkController::kHover ? hover : which == CHyperlinkController::kVisited ? visited : normal;
}

CSize CHyperlinkRenderer::Paint(CDC& dc, CHyperlinkController& link, const HyperlinkFonts& fonts) {
    const auto look = link.CurrentLook();
    const LOGFONTA& logFont = look == CHyperlinkController::Look::Hover     ? fonts.hover
                              : look == CHyperlinkController::Look::Visited ? fonts.visited
                                                                            : fonts.normal;
    CFont font;
    font.CreateFontIndirect(&logFont);
    CFont* old = dc.SelectObject(&font);
    const COLORREF colour = look == CHyperlinkController::Look::Normal && link.normalIsSystem_
                                ? GetSysColor(COLOR_WINDOWTEXT)
                                : link.Colour(look);
    dc.SetTextColor(colour);
    dc.SetBkMode(TRANSPARENT);
    const CString caption(link.Caption().c_str());
    dc.TextOut(0, 0, caption);
    const CSize size = dc.GetTextExtent(caption);
    dc.SelectObject(old);
    link.SetTextSize(size.cx, size.cy);
    return size;
}
