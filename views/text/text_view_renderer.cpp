#include "views/text/text_view_renderer.h"

#include <algorithm>
#include <vector>

#include "ocrdoc/result/table_line_char.h"

namespace {

bool IsTraditionalLanguage(WORD id) { return id == 1028 || id == 3076 || id == 5124 || id == 4100; }

COLORREF ClassInk(BYTE cls) {
    if (cls == 'C') return kClassCInk;
    if (cls == 'D' || cls == 'E' || cls == 'F') return kDoubtfulInk;
    return CLR_INVALID;
}

// Selects the font of the language into dc; returns what was selected before.
CGdiObject* SelectLanguageFont(CDC* dc, CFont* font) {
    if (font) return dc->SelectObject(font);
    return dc->SelectStockObject(SYSTEM_FIXED_FONT);
}

}  // namespace

CTextViewRenderer::CTextViewRenderer() {
    m_fontGB.CreateFont(16, 0, 0, 0, FW_MEDIUM, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "SIMSUN");
    m_fontBig5.CreateFont(16, 0, 0, 0, FW_MEDIUM, 0, 0, 0, CHINESEBIG5_CHARSET, 0, 0, 0, 0, "MINGLIU");
    // Without the bitmap the strip is never drawn.
    m_bHasBitmap = m_bmpLineImage.CreateBitmap(kLineImageWidth, kLineImageHeight, 1, 1, nullptr) != FALSE;
}

CFont* CTextViewRenderer::FontFor(WORD languageId) {
    if (languageId == 1033) return &m_fontGB;
    if (IsTraditionalLanguage(languageId)) return &m_fontBig5;
    return nullptr;
}

SIZE CTextViewRenderer::MeasureCell(CDC* dc, WORD languageId) {
    CGdiObject* old = SelectLanguageFont(dc, FontFor(languageId));
    CSize cell = dc->GetTextExtent("A", 1);
    if (old) dc->SelectObject(old);
    if (cell.cx <= 0 || cell.cy <= 0) return SIZE{8, 16};
    return SIZE{cell.cx, cell.cy};
}

void CTextViewRenderer::PaintLine(CDC* dc, const CTextViewController& view, const TextLine& line, int row, int y,
                                  int visCols) {
    const SIZE cell = view.Cell();
    const RECT& area = view.TextArea();
    const int firstCol = view.firstCol();
    const int lastCol = firstCol + visCols;  // columns drawn: [firstCol, lastCol)

    // Display bytes of the columns drawn; a byte that is no character on its
    // own (a stray lead or 0x80 and above) shows as '?' so that it never pairs.
    std::vector<char> bytes(static_cast<std::size_t>(std::max(lastCol, 0)), ' ');
    std::vector<BYTE> classes(bytes.size(), 'A');
    std::vector<bool> starts(bytes.size(), false);
    for (const TextLineUnit& u : line.units) {
        if (u.col >= lastCol) break;
        if (u.col + u.width <= firstCol) continue;
        for (int i = 0; i < u.width && u.col + i < lastCol; ++i) {
            BYTE b = u.bytes[i];
            if (u.width == 1 && b >= 0x80) b = '?';
            bytes[static_cast<std::size_t>(u.col + i)] = static_cast<char>(b);
            classes[static_cast<std::size_t>(u.col + i)] = u.cls;
        }
        if (u.col >= firstCol) starts[static_cast<std::size_t>(u.col)] = true;
    }
    // A double-byte character cut by the left edge shows as blanks.
    for (const TextLineUnit& u : line.units) {
        if (u.col < firstCol && u.col + u.width > firstCol) {
            for (int c = firstCol; c < u.col + u.width && c < lastCol; ++c) bytes[static_cast<std::size_t>(c)] = ' ';
        }
        if (u.col >= firstCol) break;
    }
    // A double-byte character cut by the right edge too.
    if (!line.units.empty()) {
        for (const TextLineUnit& u : line.units) {
            if (u.col < lastCol && u.col + u.width > lastCol) bytes[static_cast<std::size_t>(u.col)] = ' ';
        }
    }

    // Selection runs on this row: [selFrom, selTo) in columns.
    int selFrom = 0, selTo = 0;
    if (view.HasSelection()) {
        int r0 = 0, c0 = 0, r1 = 0, c1 = 0;
        view.SelectionRange(&r0, &c0, &r1, &c1);
        if (row >= r0 && row <= r1) {
            selFrom = row == r0 ? c0 : 0;
            selTo = row == r1 ? c1 : lastCol;
        }
    }
    std::vector<INT> advances(bytes.size(), cell.cx);
    const int x0 = static_cast<int>(area.left) - firstCol * cell.cx;
    auto drawRun = [&](int from, int to, bool selected) {
        from = std::max(from, firstCol);
        to = std::min(to, lastCol);
        if (to <= from) return;
        const COLORREF paper = selected ? kSelectedPaper : kTextPaper;
        dc->FillSolidRect(x0 + from * cell.cx, y, (to - from) * cell.cx, cell.cy + 1, paper);
        dc->SetBkColor(paper);
        dc->SetTextColor(selected ? kSelectedInk : kTextInk);
        dc->ExtTextOut(x0 + from * cell.cx, y, 0, nullptr, bytes.data() + from, static_cast<UINT>(to - from),
                       advances.data());
        // Recognised characters of a doubtful or marked class again, in their colour.
        for (const TextLineUnit& u : line.units) {
            if (u.col < from || u.col >= to) continue;
            const COLORREF ink = ClassInk(u.cls);
            if (ink == CLR_INVALID || !starts[static_cast<std::size_t>(u.col)]) continue;
            const int width = std::min(u.width, lastCol - u.col);
            dc->FillSolidRect(x0 + u.col * cell.cx, y, width * cell.cx, cell.cy + 1, paper);
            dc->SetBkColor(paper);
            dc->SetTextColor(ink);
            dc->ExtTextOut(x0 + u.col * cell.cx, y, 0, nullptr, bytes.data() + u.col, static_cast<UINT>(width),
                           advances.data());
        }
    };
    // Runs split at the selection's columns, never inside a character.
    const int a = std::clamp(selFrom, 0, lastCol), b = std::clamp(selTo, 0, lastCol);
    if (b > a) {
        drawRun(0, a, false);
        drawRun(a, b, true);
        drawRun(b, lastCol, false);
    } else {
        drawRun(0, lastCol, false);
    }
}

void CTextViewRenderer::PaintStrip(CDC* dc, const CTextViewController& view, bool legacyPlatform) {
    const SIZE cell = view.Cell();
    const RECT& area = view.TextArea();
    const int caretRow = view.caretRow();
    TextLine line = view.FetchLine(caretRow);
    const int lineWidth = line.length * cell.cx;
    RECT strip{area.left, area.top + (caretRow - view.topRow()) * cell.cy, area.right,
               area.top + (caretRow - view.topRow() + kTextStripRows) * cell.cy};
    strip.bottom = std::min(strip.bottom, area.bottom);
    dc->FillSolidRect(&strip, kTextPaper);
    COcrDoc* doc = view.Document();
    if (!doc || !m_bHasBitmap) {
        m_sizeLineImageUsed = SIZE{0, 0};
        return;
    }
    StripSource source{caretRow, doc->m_nCaretOffset,
                       std::string(doc->Text().substr(line.start, line.end - line.start)), doc->m_pImage, 0};
    if (!(source.row == m_stripSource.row && source.caretOffset == m_stripSource.caretOffset &&
          source.line == m_stripSource.line && source.page == m_stripSource.page)) {
        SIZE rendered{0, 0};
        doc->RenderLineImage(static_cast<UINT>(caretRow), doc->m_pImage, m_bmpLineImage, kLineImageWidth,
                             kLineImageHeight, &rendered, &source.startCol);
        m_sizeLineImageUsed = rendered;
        m_stripSource = std::move(source);
    }
    const SIZE size = m_sizeLineImageUsed;
    const int startCol = m_stripSource.startCol;
    if (size.cy <= 0 || size.cx <= 0) return;
    const bool tableLine = std::any_of(line.units.begin(), line.units.end(), [](const TextLineUnit& u) {
        return u.width == 2 && IsTableLineChar(static_cast<WORD>((u.bytes[0] << 8) | u.bytes[1]));
    });
    const int width = tableLine ? static_cast<int>(static_cast<long long>(size.cx) * cell.cy / size.cy) : lineWidth;
    if (width <= 0) return;
    CDC image;
    if (!image.CreateCompatibleDC(dc)) return;
    CBitmap* old = image.SelectObject(&m_bmpLineImage);
    const int saved = dc->SaveDC();
    dc->IntersectClipRect(&strip);
    // Ink (set bits) in blue, paper in light yellow.
    dc->SetBkColor(kStripInk);
    dc->SetTextColor(kStripPaper);
    dc->SetStretchBltMode(legacyPlatform ? WHITEONBLACK : BLACKONWHITE);
    dc->StretchBlt(static_cast<int>(area.left) + (startCol - view.firstCol()) * cell.cx,
                   static_cast<int>(strip.top) + cell.cy / 2, width, cell.cy + 2, &image, 0, 0, size.cx, size.cy,
                   SRCCOPY);
    dc->RestoreDC(saved);
    image.SelectObject(old);
}

void CTextViewRenderer::Paint(CDC* dc, const CTextViewController& view, WORD languageId, bool legacyPlatform,
                              const RECT* clip) {
    const RECT& area = view.TextArea();
    m_bStripShown = false;
    if (!view.HasResult()) {
        dc->FillSolidRect(&area, kNoResultGrey);
        return;
    }
    CGdiObject* oldFont = SelectLanguageFont(dc, FontFor(languageId));
    const SIZE cell = view.Cell();
    const int width = static_cast<int>(area.right - area.left);
    const int visCols = width / std::max<int>(cell.cx, 1) + 2;
    int rows = view.VisibleRows();
    m_bStripShown = view.StripShown() && m_bHasBitmap;
    if (m_bStripShown) rows -= kTextStripRows;
    rows = std::min(rows, view.LineCount() - view.topRow());
    const int saved = dc->SaveDC();
    dc->IntersectClipRect(&area);
    dc->SetBkMode(OPAQUE);
    int bottom = static_cast<int>(area.top);
    for (int r = 0; r < rows; ++r) {
        const int row = view.topRow() + r;
        int y = static_cast<int>(area.top) + r * cell.cy;
        if (m_bStripShown && row >= view.caretRow()) y += kTextStripRows * cell.cy;
        bottom = y + cell.cy;
        if (clip && (y + cell.cy <= clip->top || y >= clip->bottom)) continue;
        PaintLine(dc, view, view.FetchLine(row), row, y, visCols);
    }
    if (m_bStripShown) PaintStrip(dc, view, legacyPlatform);
    if (bottom < area.bottom) dc->FillSolidRect(area.left, bottom, width, area.bottom - bottom, kTextPaper);
    dc->RestoreDC(saved);
    if (oldFont) dc->SelectObject(oldFont);
}
