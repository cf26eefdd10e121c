// Text output and measuring; text is ANSI bytes, drawn through Qt in Unicode.
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstring>

#include "platform/afx/core/gdi_internal.h"
#include "platform/win/codepage.h"

using namespace afxgdi;

namespace {

struct Painter {
    explicit Painter(DC* dc) : m_dc(dc), m_target(Target(dc)) {
        if (!m_target) return;
        m_painter = std::make_unique<QPainter>(m_target);
        m_painter->setRenderHint(QPainter::TextAntialiasing, false);
        m_painter->setClipRegion(DrawableRegion(dc));
        m_painter->setFont(QtFont(dc));
        m_painter->setPen(QColor(ToRgb(dc->s.textColor)));
    }
    ~Painter() {
        m_painter.reset();
        Requantize(TargetBitmap(m_dc), m_touched);
    }
    QPainter* operator->() { return m_painter.get(); }
    bool Ok() const { return m_painter != nullptr; }
    void Touch(const QRect& r) { m_touched |= r; }

    DC* m_dc;
    QImage* m_target;
    std::unique_ptr<QPainter> m_painter;
    QRect m_touched;
};

// Draws a run of text with its cell's top-left corner at image point `at`.
void DrawRun(DC* dc, Painter& p, QPoint at, const QString& text, bool opaque) {
    QFontMetrics fm(p->font());
    QRect cell(at.x(), at.y(), fm.horizontalAdvance(text), fm.height());
    if (opaque) p->fillRect(cell, QColor(ToRgb(dc->s.bkColor)));
    p->drawText(QPoint(at.x(), at.y() + fm.ascent()), text);
    p.Touch(cell);
}

// Removes '&' prefixes ("&&" is one '&').
QString StripPrefixes(const QString& s) {
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('&')) {
            if (i + 1 < s.size() && s[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += s[i];
    }
    return out;
}

bool IsWide(QChar c) { return c.unicode() >= 0x2E80; }

// Breaks a line to fit `width`: at spaces, or between wide characters.
QStringList Wrap(const QString& line, const QFontMetrics& fm, int width) {
    QStringList out;
    QString rest = line;
    while (!rest.isEmpty() && fm.horizontalAdvance(rest) > width) {
        qsizetype fit = 0;
        for (qsizetype i = 1; i <= rest.size(); ++i) {
            if (fm.horizontalAdvance(rest.left(i)) > width) break;
            fit = i;
        }
        // Find the last break opportunity within `fit` characters.
        qsizetype cut = -1;
        for (qsizetype i = fit; i > 0; --i) {
            if (rest[i - 1] == QLatin1Char(' ') || (i < rest.size() && rest[i] == QLatin1Char(' '))) {
                cut = i;
                break;
            }
            if (i < rest.size() && (IsWide(rest[i - 1]) || IsWide(rest[i]))) {
                cut = i;
                break;
            }
        }
        if (cut <= 0 && IsWide(rest[0])) {
            cut = 1;  // a Chinese character wider than the line still has a line of its own
        } else if (cut <= 0) {
            // A word longer than the line stays whole up to its end.
            qsizetype end = rest.indexOf(QLatin1Char(' '), std::max<qsizetype>(fit, 1));
            cut = end < 0 ? rest.size() : end;
        }
        QString head = rest.left(cut);
        while (head.endsWith(QLatin1Char(' '))) head.chop(1);
        out << head;
        rest = rest.mid(cut);
        while (rest.startsWith(QLatin1Char(' '))) rest.remove(0, 1);
    }
    if (!rest.isEmpty() || out.isEmpty()) out << rest;
    return out;
}

}  // namespace

BOOL ExtTextOutA(HDC h, int x, int y, UINT options, LPCRECT rect, LPCSTR text, UINT length, const INT* dx) {
    DC* dc = AsDC(h);
    if (!dc) return FALSE;
    Painter p(dc);
    if (!p.Ok()) return TRUE;
    if (rect && (options & (ETO_OPAQUE | ETO_CLIPPED))) {
        QRect r(ToImage(dc, rect->left, rect->top), ToImage(dc, rect->right, rect->bottom) - QPoint(1, 1));
        if (options & ETO_OPAQUE) {
            p->fillRect(r, QColor(ToRgb(dc->s.bkColor)));
            p.Touch(r);
        }
        if (options & ETO_CLIPPED) p->setClipRect(r, Qt::IntersectClip);
    }
    if (!text || length == 0) return TRUE;
    const UINT codePage = TextCodePage(dc);
    QString s = FromAnsi(text, static_cast<int>(length), codePage);
    QFontMetrics fm(p->font());
    int width = fm.horizontalAdvance(s);
    if (dx) {
        width = 0;
        for (UINT i = 0; i < length; ++i) width += dx[i];
    }
    POINT origin{x, y};
    if (dc->s.textAlign & TA_UPDATECP) origin = dc->s.position;
    QPoint at = ToImage(dc, origin.x, origin.y);
    UINT horizontal = dc->s.textAlign & TA_CENTER;
    if (horizontal == TA_RIGHT) at.rx() -= width;
    else if (horizontal == TA_CENTER) at.rx() -= width / 2;
    UINT vertical = dc->s.textAlign & TA_BASELINE;
    if (vertical == TA_BASELINE) at.ry() -= fm.ascent();
    else if (vertical == TA_BOTTOM) at.ry() -= fm.height();
    const bool opaque = dc->s.bkMode == OPAQUE && !(options & ETO_OPAQUE);
    if (!dx) {
        DrawRun(dc, p, at, s, opaque);
    } else {
        // One advance a byte; a double-byte character takes the advances of both bytes.
        int pos = at.x();
        for (UINT i = 0; i < length;) {
            int n = (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[i])) && i + 1 < length) ? 2 : 1;
            int advance = 0;
            for (int k = 0; k < n; ++k) advance += dx[i + static_cast<UINT>(k)];
            DrawRun(dc, p, QPoint(pos, at.y()), FromAnsi(text + i, n, codePage), opaque);
            pos += advance;
            i += static_cast<UINT>(n);
        }
    }
    if (dc->s.textAlign & TA_UPDATECP) {
        if (horizontal == TA_LEFT) dc->s.position.x += width;
        else if (horizontal == TA_RIGHT) dc->s.position.x -= width;
    }
    return TRUE;
}

BOOL TextOutA(HDC h, int x, int y, LPCSTR text, int length) {
    if (length < 0) return FALSE;
    return ExtTextOutA(h, x, y, 0, nullptr, text, static_cast<UINT>(length), nullptr);
}

BOOL GetTextExtentPoint32A(HDC h, LPCSTR text, int length, SIZE* size) {
    DC* dc = AsDC(h);
    if (!dc || !size || length < 0 || (!text && length > 0)) return FALSE;
    QFontMetrics fm(QtFont(dc));
    *size = SIZE{fm.horizontalAdvance(FromAnsi(text, length, TextCodePage(dc))), fm.height()};
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC h, const WCHAR* text, int length, SIZE* size) {
    DC* dc = AsDC(h);
    if (!dc || !size || length < 0 || (!text && length > 0)) return FALSE;
    QFontMetrics fm(QtFont(dc));
    QString s = QString::fromUtf16(text, length);
    *size = SIZE{fm.horizontalAdvance(s), fm.height()};
    return TRUE;
}

BOOL SystemParametersInfoA(UINT action, UINT param, LPVOID value, UINT) {
    if (action != SPI_GETNONCLIENTMETRICS || !value) return FALSE;
    auto* metrics = static_cast<NONCLIENTMETRICSA*>(value);
    if (metrics->cbSize != sizeof(NONCLIENTMETRICSA) || (param != 0 && param != sizeof(NONCLIENTMETRICSA))) return FALSE;
    // Every font of the frame is the dialog font; sizes are the system metrics.
    LOGFONTA font{};
    if (::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font) != sizeof font) {
        font = LOGFONTA{};
        font.lfHeight = -12;
        font.lfWeight = FW_NORMAL;
        font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
        std::strcpy(font.lfFaceName, "MS Shell Dlg");
    }
    metrics->iBorderWidth = 1;
    metrics->iScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
    metrics->iScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
    metrics->iCaptionWidth = metrics->iCaptionHeight = GetSystemMetrics(SM_CYCAPTION);
    metrics->lfCaptionFont = font;
    metrics->lfCaptionFont.lfWeight = FW_BOLD;
    metrics->iSmCaptionWidth = metrics->iSmCaptionHeight = GetSystemMetrics(SM_CYCAPTION) - 3;
    metrics->lfSmCaptionFont = font;
    metrics->iMenuWidth = metrics->iMenuHeight = GetSystemMetrics(SM_CYMENU);
    metrics->lfMenuFont = font;
    metrics->lfStatusFont = font;
    metrics->lfMessageFont = font;
    return TRUE;
}

BOOL GetTextMetricsA(HDC h, TEXTMETRICA* tm) {
    DC* dc = AsDC(h);
    if (!dc || !tm) return FALSE;
    QFont f = QtFont(dc);
    QFontMetrics fm(f);
    std::memset(tm, 0, sizeof *tm);
    tm->tmHeight = fm.height();
    tm->tmAscent = fm.ascent();
    tm->tmDescent = fm.descent();
    tm->tmInternalLeading = std::max(0, fm.height() - f.pixelSize());
    tm->tmExternalLeading = std::max(0, fm.leading());
    tm->tmAveCharWidth = fm.averageCharWidth();
    tm->tmMaxCharWidth = fm.maxWidth();
    tm->tmWeight = f.weight();
    tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = 96;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFF;
    tm->tmDefaultChar = '?';
    tm->tmBreakChar = ' ';
    tm->tmItalic = f.italic();
    tm->tmUnderlined = f.underline();
    tm->tmStruckOut = f.strikeOut();
    // Bit 0 set means a variable pitch font.
    tm->tmPitchAndFamily = static_cast<BYTE>((f.fixedPitch() ? 0 : 1) | 0x06);
    const UINT codePage = TextCodePage(dc);
    tm->tmCharSet = codePage == 950 ? CHINESEBIG5_CHARSET : codePage == 936 ? GB2312_CHARSET : ANSI_CHARSET;
    return TRUE;
}

int GetTextFaceA(HDC h, int size, LPSTR face) {
    DC* dc = AsDC(h);
    Font* f = dc ? AsFont(dc->s.font) : nullptr;
    if (!f || !face || size <= 0) return 0;
    std::strncpy(face, f->lf.lfFaceName, static_cast<size_t>(size - 1));
    face[size - 1] = '\0';
    return static_cast<int>(std::strlen(face));
}

int DrawTextA(HDC h, LPCSTR text, int length, LPRECT rect, UINT format) {
    DC* dc = AsDC(h);
    if (!dc || !rect || !text) return 0;
    QString s = FromAnsi(text, length, TextCodePage(dc));
    if (!(format & DT_NOPREFIX)) s = StripPrefixes(s);
    QFontMetrics fm(QtFont(dc));
    if (format & DT_EXPANDTABS) {
        int tab = 8 * std::max(1, fm.averageCharWidth());
        QString out;
        for (QChar c : s) {
            if (c == QLatin1Char('\t')) {
                do out += QLatin1Char(' ');
                while (fm.horizontalAdvance(out) % tab != 0 && out.size() < 4096);
            } else {
                out += c;
            }
        }
        s = out;
    }
    const int width = rect->right - rect->left;
    QStringList lines;
    if (format & DT_SINGLELINE) {
        QString one = s;
        one.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '))
            .replace(QLatin1Char('\r'), QLatin1Char(' '));
        lines << one;
    } else {
        QString t = s;
        t.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        for (const QString& l : t.split(QLatin1Char('\n'))) {
            if (format & DT_WORDBREAK) lines << Wrap(l, fm, std::max(1, width));
            else lines << l;
        }
    }
    if (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) {
        Qt::TextElideMode mode = (format & DT_PATH_ELLIPSIS) ? Qt::ElideMiddle : Qt::ElideRight;
        for (QString& l : lines) l = fm.elidedText(l, mode, std::max(0, width));
    }
    const int lineHeight = fm.height();
    const int total = lineHeight * static_cast<int>(lines.size());
    int widest = 0;
    for (const QString& l : lines) widest = std::max(widest, fm.horizontalAdvance(l));

    if (format & DT_CALCRECT) {
        if (!(format & DT_WORDBREAK) || widest > width) rect->right = rect->left + widest;
        else rect->right = rect->left + std::min(width, widest);
        rect->bottom = rect->top + total;
        return total;
    }
    int top = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) top = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
        else if (format & DT_BOTTOM) top = rect->bottom - lineHeight;
    }
    Painter p(dc);
    if (!p.Ok()) return total;
    if (!(format & DT_NOCLIP)) {
        QRect clip(ToImage(dc, rect->left, rect->top), ToImage(dc, rect->right, rect->bottom) - QPoint(1, 1));
        p->setClipRect(clip, Qt::IntersectClip);
    }
    for (int i = 0; i < lines.size(); ++i) {
        int w = fm.horizontalAdvance(lines[i]);
        int left = rect->left;
        if (format & DT_CENTER) left = rect->left + (width - w) / 2;
        else if (format & DT_RIGHT) left = rect->right - w;
        DrawRun(dc, p, ToImage(dc, left, top + i * lineHeight), lines[i], dc->s.bkMode == OPAQUE);
    }
    return (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) ? top - rect->top + lineHeight : total;
}
