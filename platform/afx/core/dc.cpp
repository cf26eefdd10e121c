// Device contexts: state, coordinates, clipping, and the pixel primitives.
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "platform/afx/core/dc_qt.h"
#include "platform/afx/core/gdi_internal.h"

namespace afxgdi {

QImage* Target(DC* dc) {
    if (!dc) return nullptr;
    if (dc->surface == Surface::Image) return dc->image;
    if (dc->surface == Surface::Memory) {
        Bitmap* b = AsBitmap(dc->s.bitmap);
        return b ? &b->image : nullptr;
    }
    return nullptr;
}

Bitmap* TargetBitmap(DC* dc) { return (dc && dc->surface == Surface::Memory) ? AsBitmap(dc->s.bitmap) : nullptr; }

QRegion DrawableRegion(DC* dc) {
    QImage* t = Target(dc);
    if (!t || t->isNull()) return QRegion();
    QRegion r(t->rect());
    if (dc->surface == Surface::Image) r &= dc->bounds;
    if (dc->s.clipped) r &= dc->s.clip.translated(dc->offset);
    return r;
}

QPoint ToImage(DC* dc, int x, int y) {
    return QPoint(x - dc->s.windowOrg.x() + dc->s.viewportOrg.x() + dc->offset.x(),
                  y - dc->s.windowOrg.y() + dc->s.viewportOrg.y() + dc->offset.y());
}

namespace {
Font* CurrentFont(DC* dc) {
    Font* f = AsFont(dc->s.font);
    return f ? f : AsFont(GetStockObject(SYSTEM_FONT));
}
}  // namespace

QFont QtFont(DC* dc) { return FontOf(CurrentFont(dc)); }

UINT TextCodePage(DC* dc) {
    switch (CurrentFont(dc)->lf.lfCharSet) {
    case GB2312_CHARSET: return 936;
    case CHINESEBIG5_CHARSET: return 950;
    default: return GetACP();
    }
}

namespace {

// Applies a binary raster operation to each 8-bit channel at once.
QRgb Rop2(int rop, QRgb p, QRgb d) {
    const DWORD P = p & 0xFFFFFF, D = d & 0xFFFFFF;
    DWORD r = 0;
    const int table = rop - 1;  // bit (2P + D) of the table gives the result bit
    if (table & 1) r |= ~P & ~D;
    if (table & 2) r |= ~P & D;
    if (table & 4) r |= P & ~D;
    if (table & 8) r |= P & D;
    return (r & 0xFFFFFF) | 0xFF000000u;
}

}  // namespace

QRgb Rop3(BYTE code, QRgb p, QRgb s, QRgb d) {
    const DWORD P = p & 0xFFFFFF, S = s & 0xFFFFFF, D = d & 0xFFFFFF;
    DWORD r = 0;
    for (int i = 0; i < 8; ++i) {
        if (!((code >> i) & 1)) continue;
        r |= ((i & 4) ? P : ~P) & ((i & 2) ? S : ~S) & ((i & 1) ? D : ~D);
    }
    return (r & 0xFFFFFF) | 0xFF000000u;
}

// The part of `box` (image pixels) the DC may draw into: shapes may reach far
// past the image, but only this part is ever gathered or visited.
QRect VisiblePart(DC* dc, const QRect& box) { return box.intersected(DrawableRegion(dc).boundingRect()); }

// The pixels a primitive covers, within a box, before clipping.
class Coverage {
public:
    // Only the part of `box` the DC may draw into is kept.
    Coverage(DC* dc, const QRect& box)
        : m_box(VisiblePart(dc, box)),
          m_bits(static_cast<size_t>(std::max(0, m_box.width())) * static_cast<size_t>(std::max(0, m_box.height())), 0) {}
    void Set(int x, int y) {
        if (!m_box.contains(x, y)) return;
        m_bits[Index(x, y)] = 1;
    }
    void SetRect(const QRect& r) {
        QRect c = r.intersected(m_box);
        for (int y = c.top(); y <= c.bottom(); ++y) {
            for (int x = c.left(); x <= c.right(); ++x) m_bits[Index(x, y)] = 1;
        }
    }
    bool Get(int x, int y) const { return m_box.contains(x, y) && m_bits[Index(x, y)]; }
    // Drops the pixels `other` (over the same box) covers.
    void Subtract(const Coverage& other) {
        for (size_t i = 0; i < m_bits.size() && i < other.m_bits.size(); ++i) {
            if (other.m_bits[i]) m_bits[i] = 0;
        }
    }
    const QRect& Box() const { return m_box; }
    // Takes the set pixels of a painted mask whose (0, 0) is the box's corner.
    void FromMask(const QImage& mask) {
        for (int y = 0; y < mask.height() && y < m_box.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
            for (int x = 0; x < mask.width() && x < m_box.width(); ++x) {
                if (qAlpha(row[x]) >= 128) m_bits[static_cast<size_t>(y) * static_cast<size_t>(m_box.width()) + static_cast<size_t>(x)] = 1;
            }
        }
    }

    // Calls fn(x, y, pixel&) for every covered pixel the DC may draw.
    template <class Fn>
    void Apply(DC* dc, Fn fn) const {
        QImage* t = Target(dc);
        if (!t || m_box.isEmpty()) return;
        Bitmap* depth = TargetBitmap(dc);
        QRegion where = DrawableRegion(dc) & m_box;
        for (const QRect& r : where) {
            for (int y = r.top(); y <= r.bottom(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(t->scanLine(y));
                for (int x = r.left(); x <= r.right(); ++x) {
                    if (!m_bits[Index(x, y)]) continue;
                    QRgb v = fn(x, y, row[x]);
                    row[x] = MapToDepth(depth, v);
                }
            }
        }
    }

private:
    size_t Index(int x, int y) const {
        return static_cast<size_t>(y - m_box.top()) * static_cast<size_t>(m_box.width()) + static_cast<size_t>(x - m_box.left());
    }
    QRect m_box;
    std::vector<std::uint8_t> m_bits;
};

// The brush's colour at an image pixel, as the target stores it; false for a hollow brush.
bool BrushPixel(DC* dc, const Brush* b, int x, int y, QRgb& out) {
    if (!b || b->lb.lbStyle == BS_NULL) return false;
    Bitmap* depth = TargetBitmap(dc);
    QRgb c;
    if (b->lb.lbStyle == BS_SOLID) {
        c = ToRgb(b->lb.lbColor);
    } else if (b->lb.lbStyle == BS_HATCHED) {
        int px = ((x - dc->s.brushOrg.x() - dc->offset.x()) % 8 + 8) % 8;
        int py = ((y - dc->s.brushOrg.y() - dc->offset.y()) % 8 + 8) % 8;
        bool on = false;
        switch (b->lb.lbHatch) {
        case HS_HORIZONTAL: on = py == 7; break;
        case HS_VERTICAL: on = px == 7; break;
        case HS_FDIAGONAL: on = px == py; break;
        case HS_BDIAGONAL: on = px == 7 - py; break;
        case HS_CROSS: on = px == 7 || py == 7; break;
        default: on = px == py || px == 7 - py; break;
        }
        c = on ? ToRgb(b->lb.lbColor) : ToRgb(dc->s.bkColor);
    } else {
        const QImage& pat = b->pattern;
        if (pat.isNull()) return false;
        int px = ((x - dc->s.brushOrg.x() - dc->offset.x()) % pat.width() + pat.width()) % pat.width();
        int py = ((y - dc->s.brushOrg.y() - dc->offset.y()) % pat.height() + pat.height()) % pat.height();
        c = pat.pixel(px, py);
        if (b->patternMono && !(depth && depth->bpp == 1)) {
            c = (qRed(c) | qGreen(c) | qBlue(c)) ? ToRgb(dc->s.bkColor) : ToRgb(dc->s.textColor);
        }
    }
    out = MapToDepth(depth, c);
    return true;
}

namespace {

void Bresenham(int x0, int y0, int x1, int y1, bool includeLast, const std::function<void(int, int)>& plot) {
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        if (x0 == x1 && y0 == y1) {
            if (includeLast) plot(x0, y0);
            return;
        }
        plot(x0, y0);
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

// Dash patterns of single-pixel styled pens (on, off, on, off...).
const std::vector<int>& DashPattern(UINT style) {
    static const std::vector<int> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3}, solid{};
    switch (style) {
    case PS_DASH: return dash;
    case PS_DOT: return dot;
    case PS_DASHDOT: return dashDot;
    case PS_DASHDOTDOT: return dashDotDot;
    default: return solid;
    }
}

struct PenInfo {
    bool none = true;
    int width = 1;
    UINT style = PS_SOLID;
    QRgb colour = 0;
};

PenInfo CurrentPen(DC* dc) {
    PenInfo info;
    Pen* p = AsPen(dc->s.pen);
    if (!p) return info;
    info.style = p->lp.lopnStyle & PS_STYLE_MASK;
    info.none = info.style == PS_NULL;
    info.width = std::max(1, static_cast<int>(p->lp.lopnWidth.x));
    info.colour = ToRgb(p->lp.lopnColor);
    if (info.width > 1 && info.style != PS_INSIDEFRAME) info.style = PS_SOLID;  // wide pens are solid
    return info;
}

void PaintWithPen(DC* dc, const Coverage& c, QRgb colour) {
    Bitmap* depth = TargetBitmap(dc);
    QRgb p = MapToDepth(depth, colour);
    int rop = dc->s.rop2;
    c.Apply(dc, [&](int, int, QRgb d) { return Rop2(rop, p, d); });
}

void PaintWithBrush(DC* dc, const Coverage& c) {
    Brush* b = AsBrush(dc->s.brush);
    if (!b || b->lb.lbStyle == BS_NULL) return;
    int rop = dc->s.rop2;
    c.Apply(dc, [&](int x, int y, QRgb d) {
        QRgb p;
        if (!BrushPixel(dc, b, x, y, p)) return d;
        return Rop2(rop, p, d);
    });
}

QRect LineBox(QPoint a, QPoint b, int width) {
    int pad = width / 2 + 1;
    return QRect(QPoint(std::min(a.x(), b.x()) - pad, std::min(a.y(), b.y()) - pad),
                 QPoint(std::max(a.x(), b.x()) + pad, std::max(a.y(), b.y()) + pad));
}

void StampDisc(Coverage& c, int cx, int cy, int width) {
    int r0 = -(width / 2), r1 = r0 + width - 1;
    double rad = width / 2.0;
    for (int dy = r0; dy <= r1; ++dy) {
        for (int dx = r0; dx <= r1; ++dx) {
            double fx = dx + 0.5 - (width % 2 ? 0.5 : 0.0), fy = dy + 0.5 - (width % 2 ? 0.5 : 0.0);
            if (fx * fx + fy * fy <= rad * rad + 0.25) c.Set(cx + dx, cy + dy);
        }
    }
}

// Strokes the path through image points `points` with the current pen (a
// closed path goes back to its first point). Each segment leaves out its last
// pixel unless `includeLast`, as callers expect of lines; wide pens are solid
// and keep their ends. A styled one-pixel pen dashes along the whole path,
// its gaps in the background colour when the DC is opaque. Every pixel is
// combined once, however often the path crosses it.
void StrokePath(DC* dc, const std::vector<QPoint>& points, bool closed, bool includeLast) {
    PenInfo pen = CurrentPen(dc);
    if (pen.none || points.size() < 2) return;
    QRect box;
    for (const QPoint& p : points) box |= LineBox(p, p, pen.width);
    Coverage on(dc, box);
    Coverage off(dc, box);
    const std::vector<int>& pattern = DashPattern(pen.style);
    int period = 0;
    for (int v : pattern) period += v;
    int dashPos = 0;
    const size_t segments = closed ? points.size() : points.size() - 1;
    for (size_t i = 0; i < segments; ++i) {
        const QPoint a = points[i], b = points[(i + 1) % points.size()];
        Bresenham(a.x(), a.y(), b.x(), b.y(), includeLast || pen.width > 1, [&](int x, int y) {
            if (pen.width > 1) {
                StampDisc(on, x, y, pen.width);
                return;
            }
            bool draw = true;
            if (period) {
                int at = dashPos % period, k = 0;
                while (at >= pattern[static_cast<size_t>(k)]) at -= pattern[static_cast<size_t>(k++)];
                draw = k % 2 == 0;
            }
            ++dashPos;
            (draw ? on : off).Set(x, y);
        });
    }
    PaintWithPen(dc, on, pen.colour);
    if (period && dc->s.bkMode == OPAQUE) {
        off.Subtract(on);
        PaintWithPen(dc, off, ToRgb(dc->s.bkColor));
    }
}

QRect NormalRect(QPoint a, QPoint b) {
    // Right and bottom are outside: [a, b).
    int l = std::min(a.x(), b.x()), r = std::max(a.x(), b.x());
    int t = std::min(a.y(), b.y()), bt = std::max(a.y(), b.y());
    return QRect(l, t, r - l, bt - t);
}

// A shape painted with QPainter into a mask over `box`.
template <class Draw>
Coverage MaskOf(DC* dc, const QRect& shapeBox, Draw draw) {
    Coverage c(dc, shapeBox);
    const QRect& box = c.Box();
    if (box.isEmpty()) return c;
    QImage mask(box.size(), QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.translate(-box.left(), -box.top());
        draw(p);
    }
    c.FromMask(mask);
    return c;
}

}  // namespace

DC* NewMemoryDC() {
    auto* dc = new DC;
    dc->surface = Surface::Memory;
    dc->s.pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
    dc->s.brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    dc->s.font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    dc->defaultBitmap = CreateBitmap(1, 1, 1, 1, nullptr);
    Bitmap* b = AsBitmap(dc->defaultBitmap);
    b->image.fill(qRgb(255, 255, 255));
    b->selected = 1;
    dc->s.bitmap = dc->defaultBitmap;
    return dc;
}

}  // namespace afxgdi

using namespace afxgdi;

// ---------------------------------------------------------------------------
// Creation

HDC CreateCompatibleDC(HDC) { return RegisterDC(NewMemoryDC()); }

HDC AfxCreateImageDC(QImage* image, QPoint origin, QRect bounds) {
    if (!image) return nullptr;
    DC* dc = NewMemoryDC();
    Bitmap* b = AsBitmap(dc->defaultBitmap);
    b->selected = 0;
    dc->s.bitmap = nullptr;
    dc->surface = Surface::Image;
    dc->image = image;
    dc->offset = origin;
    dc->bounds = bounds.isValid() ? bounds : image->rect();
    return RegisterDC(dc);
}

HDC AfxGetScreenDC() {
    static HDC screen = [] {
        DC* dc = NewMemoryDC();
        AsBitmap(dc->defaultBitmap)->selected = 0;
        dc->s.bitmap = nullptr;
        dc->surface = Surface::Screen;
        return RegisterDC(dc);
    }();
    return screen;
}

QImage* AfxDCImage(HDC h) { return Target(AsDC(h)); }

BOOL AfxDrawImage(HDC h, int x, int y, const QImage& image) {
    DC* dc = AsDC(h);
    QImage* target = dc ? Target(dc) : nullptr;
    if (!target || image.isNull()) return FALSE;
    QPoint at = ToImage(dc, x, y);
    {
        QPainter p(target);
        p.setClipRegion(DrawableRegion(dc));
        p.drawImage(at, image);
    }
    if (Bitmap* b = TargetBitmap(dc)) Requantize(b, QRect(at, image.size()) & target->rect());
    return TRUE;
}

QFont AfxDCFont(HDC h) {
    DC* dc = AsDC(h);
    return dc ? QtFont(dc) : QFont();
}

QFont AfxFontOf(HFONT font) {
    Font* f = AsFont(font);
    return f ? FontOf(f) : QFont();
}

QImage AfxBitmapImage(HBITMAP bitmap) {
    Bitmap* b = AsBitmap(bitmap);
    return b ? b->image : QImage();
}

HBITMAP AfxBitmapFromImage(const QImage& image) {
    if (image.isNull()) return nullptr;
    Bitmap* b = NewBitmap(image.width(), image.height(), 32);
    if (!b) return nullptr;
    b->image = image.convertToFormat(QImage::Format_RGB32);
    return static_cast<HBITMAP>(Register(b));
}

BOOL DeleteDC(HDC h) {
    DC* dc = AsDC(h);
    if (!dc || h == AfxGetScreenDC()) return FALSE;
    UnregisterDC(dc);
    if (Bitmap* b = AsBitmap(dc->s.bitmap)) --b->selected;
    ReleaseDeleted(dc->s);
    for (const State& s : dc->saved) ReleaseDeleted(s);
    if (Bitmap* d = AsBitmap(dc->defaultBitmap)) {
        d->selected = 0;
        DeleteObject(dc->defaultBitmap);
    }
    delete dc;
    return TRUE;
}

HGDIOBJ SelectObject(HDC h, HGDIOBJ object) {
    DC* dc = AsDC(h);
    Object* o = Lookup(object);
    if (!dc || !o) return nullptr;
    // The previous pen, brush or font goes now if it was deleted while selected.
    auto swap = [](auto& slot, HGDIOBJ now) {
        HGDIOBJ before = std::exchange(slot, static_cast<std::remove_reference_t<decltype(slot)>>(now));
        ReleaseIfDeleted(before);
        return before;
    };
    switch (o->kind) {
    case OBJ_PEN: return swap(dc->s.pen, object);
    case OBJ_BRUSH: return swap(dc->s.brush, object);
    case OBJ_FONT: return swap(dc->s.font, object);
    case OBJ_BITMAP: {
        if (dc->surface != Surface::Memory) return nullptr;
        auto* b = static_cast<Bitmap*>(o);
        if (b->selected > 0 && dc->s.bitmap != object) return nullptr;  // one DC at a time
        if (Bitmap* old = AsBitmap(dc->s.bitmap)) --old->selected;
        ++b->selected;
        dc->s.clipped = false;  // a new bitmap starts unclipped
        return std::exchange(dc->s.bitmap, static_cast<HBITMAP>(object));
    }
    case OBJ_REGION: return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(SelectClipRgn(h, static_cast<HRGN>(object))));
    default: return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC h, UINT type) {
    DC* dc = AsDC(h);
    if (!dc) return nullptr;
    switch (type) {
    case OBJ_PEN: return dc->s.pen;
    case OBJ_BRUSH: return dc->s.brush;
    case OBJ_FONT: return dc->s.font;
    case OBJ_BITMAP: return dc->s.bitmap;
    default: return nullptr;
    }
}

// ---------------------------------------------------------------------------
// Clipping (regions are in device units of the DC)

namespace {
QRect DeviceRect(DC* dc, int l, int t, int r, int b) {
    QPoint a = ToImage(dc, l, t) - dc->offset, c = ToImage(dc, r, b) - dc->offset;
    return NormalRect(a, c);
}
QRegion WholeDevice(DC* dc) {
    QImage* t = Target(dc);
    if (dc->surface == Surface::Image) return QRegion(dc->bounds.translated(-dc->offset));
    return t ? QRegion(t->rect()) : QRegion();
}
int ClipComplexity(DC* dc) {
    QRegion r = dc->s.clipped ? dc->s.clip : WholeDevice(dc);
    if (r.isEmpty()) return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
}  // namespace

int SelectClipRgn(HDC h, HRGN region) {
    DC* dc = AsDC(h);
    if (!dc) return ERROR;
    if (!region) {
        dc->s.clipped = false;
        dc->s.clip = QRegion();
        return SIMPLEREGION;
    }
    Region* r = AsRegion(region);
    if (!r) return ERROR;
    dc->s.clipped = true;
    dc->s.clip = r->region;
    return ClipComplexity(dc);
}

int IntersectClipRect(HDC h, int left, int top, int right, int bottom) {
    DC* dc = AsDC(h);
    if (!dc) return ERROR;
    QRegion current = dc->s.clipped ? dc->s.clip : WholeDevice(dc);
    dc->s.clip = current & DeviceRect(dc, left, top, right, bottom);
    dc->s.clipped = true;
    return ClipComplexity(dc);
}

int ExcludeClipRect(HDC h, int left, int top, int right, int bottom) {
    DC* dc = AsDC(h);
    if (!dc) return ERROR;
    QRegion current = dc->s.clipped ? dc->s.clip : WholeDevice(dc);
    dc->s.clip = current.subtracted(DeviceRect(dc, left, top, right, bottom));
    dc->s.clipped = true;
    return ClipComplexity(dc);
}

int GetClipBox(HDC h, LPRECT rect) {
    DC* dc = AsDC(h);
    if (!dc || !rect) return ERROR;
    QRegion r = dc->s.clipped ? dc->s.clip & WholeDevice(dc) : WholeDevice(dc);
    QRect b = r.boundingRect();
    if (r.isEmpty()) {
        *rect = RECT{0, 0, 0, 0};
        return NULLREGION;
    }
    // Back to logical units.
    QPoint shift = dc->s.windowOrg - dc->s.viewportOrg;
    *rect = RECT{b.left() + shift.x(), b.top() + shift.y(), b.right() + 1 + shift.x(), b.bottom() + 1 + shift.y()};
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

BOOL PtVisible(HDC h, int x, int y) {
    DC* dc = AsDC(h);
    return dc && DrawableRegion(dc).contains(ToImage(dc, x, y));
}

BOOL RectVisible(HDC h, LPCRECT rect) {
    DC* dc = AsDC(h);
    if (!dc || !rect) return FALSE;
    QRect r = NormalRect(ToImage(dc, rect->left, rect->top), ToImage(dc, rect->right, rect->bottom));
    return !r.isEmpty() && DrawableRegion(dc).intersects(r);
}

int SaveDC(HDC h) {
    DC* dc = AsDC(h);
    if (!dc) return 0;
    dc->saved.push_back(dc->s);
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC h, int saved) {
    DC* dc = AsDC(h);
    if (!dc || dc->saved.empty()) return FALSE;
    int n = static_cast<int>(dc->saved.size());
    int target = saved < 0 ? n + saved + 1 : saved;
    if (target < 1 || target > n) return FALSE;
    State s = dc->saved[static_cast<size_t>(target - 1)];
    std::vector<State> dropped(dc->saved.begin() + (target - 1), dc->saved.end());
    dc->saved.resize(static_cast<size_t>(target - 1));
    if (s.bitmap != dc->s.bitmap) {
        Bitmap* now = AsBitmap(dc->s.bitmap);
        Bitmap* then = AsBitmap(s.bitmap);
        if (!then) s.bitmap = dc->s.bitmap;  // the saved bitmap has gone: keep the current one
        else {
            if (now) --now->selected;
            ++then->selected;
        }
    }
    // Objects deleted since the save fall back to the stock ones.
    if (!AsPen(s.pen)) s.pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
    if (!AsBrush(s.brush)) s.brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    if (!AsFont(s.font)) s.font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    const State before = std::exchange(dc->s, s);
    ReleaseDeleted(before);
    for (const State& d : dropped) ReleaseDeleted(d);
    return TRUE;
}

int GetDeviceCaps(HDC h, int index) {
    DC* dc = AsDC(h);
    if (!dc) return 0;
    QImage* t = Target(dc);
    Bitmap* b = TargetBitmap(dc);
    int bpp = b ? b->bpp : 32;
    switch (index) {
    case HORZRES: return dc->surface == Surface::Screen ? GetSystemMetrics(SM_CXSCREEN) : (t ? t->width() : 0);
    case VERTRES: return dc->surface == Surface::Screen ? GetSystemMetrics(SM_CYSCREEN) : (t ? t->height() : 0);
    case HORZSIZE: return (dc->surface == Surface::Screen ? GetSystemMetrics(SM_CXSCREEN) : (t ? t->width() : 0)) * 254 / 960;
    case VERTSIZE: return (dc->surface == Surface::Screen ? GetSystemMetrics(SM_CYSCREEN) : (t ? t->height() : 0)) * 254 / 960;
    case BITSPIXEL: return bpp;
    case PLANES: return 1;
    case NUMCOLORS: return bpp <= 8 ? (1 << bpp) : -1;
    case LOGPIXELSX: case LOGPIXELSY: return 96;
    case SIZEPALETTE: return 0;
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT | RC_DI_BITMAP | RC_STRETCHDIB;
    default: return 0;
    }
}

// ---------------------------------------------------------------------------
// Attributes

#define AFX_DC_ATTRIBUTE(Type, SetName, GetName, field, bad)  \
    Type SetName(HDC h, Type v) {                              \
        DC* dc = AsDC(h);                                      \
        if (!dc) return bad;                                   \
        return std::exchange(dc->s.field, v);                  \
    }                                                          \
    Type GetName(HDC h) {                                      \
        DC* dc = AsDC(h);                                      \
        return dc ? dc->s.field : bad;                         \
    }
AFX_DC_ATTRIBUTE(COLORREF, SetBkColor, GetBkColor, bkColor, CLR_INVALID)
AFX_DC_ATTRIBUTE(COLORREF, SetTextColor, GetTextColor, textColor, CLR_INVALID)
AFX_DC_ATTRIBUTE(UINT, SetTextAlign, GetTextAlign, textAlign, GDI_ERROR)
#undef AFX_DC_ATTRIBUTE

namespace {
// Sets a mode of the DC when it is a valid one; returns the previous mode, or 0.
int SetMode(HDC h, int State::*field, int mode, bool valid) {
    DC* dc = AsDC(h);
    if (!dc || !valid) return 0;
    return std::exchange(dc->s.*field, mode);
}
int GetMode(HDC h, int State::*field) {
    DC* dc = AsDC(h);
    return dc ? dc->s.*field : 0;
}
}  // namespace

int SetROP2(HDC h, int mode) { return SetMode(h, &State::rop2, mode, mode >= R2_BLACK && mode <= R2_WHITE); }
int GetROP2(HDC h) { return GetMode(h, &State::rop2); }
int SetBkMode(HDC h, int mode) { return SetMode(h, &State::bkMode, mode, mode == TRANSPARENT || mode == OPAQUE); }
int GetBkMode(HDC h) { return GetMode(h, &State::bkMode); }
int SetStretchBltMode(HDC h, int mode) {
    return SetMode(h, &State::stretchMode, mode, mode >= BLACKONWHITE && mode <= HALFTONE);
}
int GetStretchBltMode(HDC h) { return GetMode(h, &State::stretchMode); }
// Every mapping mode is kept, but drawing scales as MM_TEXT.
int SetMapMode(HDC h, int mode) { return SetMode(h, &State::mapMode, mode, mode >= MM_TEXT && mode <= MM_ANISOTROPIC); }
int GetMapMode(HDC h) { return GetMode(h, &State::mapMode); }
int SetPolyFillMode(HDC h, int mode) {
    return SetMode(h, &State::polyFillMode, mode, mode == ALTERNATE || mode == WINDING);
}

namespace {
BOOL SetOrigin(HDC h, QPoint State::*field, int x, int y, bool relative, LPPOINT old) {
    DC* dc = AsDC(h);
    if (!dc) return FALSE;
    QPoint& o = dc->s.*field;
    if (old) *old = POINT{o.x(), o.y()};
    o = relative ? o + QPoint(x, y) : QPoint(x, y);
    return TRUE;
}
BOOL GetOrigin(HDC h, QPoint State::*field, LPPOINT out) {
    DC* dc = AsDC(h);
    if (!dc || !out) return FALSE;
    *out = POINT{(dc->s.*field).x(), (dc->s.*field).y()};
    return TRUE;
}
}  // namespace

BOOL SetViewportOrgEx(HDC h, int x, int y, LPPOINT old) { return SetOrigin(h, &State::viewportOrg, x, y, false, old); }
BOOL OffsetViewportOrgEx(HDC h, int x, int y, LPPOINT old) { return SetOrigin(h, &State::viewportOrg, x, y, true, old); }
BOOL GetViewportOrgEx(HDC h, LPPOINT out) { return GetOrigin(h, &State::viewportOrg, out); }
BOOL SetWindowOrgEx(HDC h, int x, int y, LPPOINT old) { return SetOrigin(h, &State::windowOrg, x, y, false, old); }
BOOL OffsetWindowOrgEx(HDC h, int x, int y, LPPOINT old) { return SetOrigin(h, &State::windowOrg, x, y, true, old); }
BOOL GetWindowOrgEx(HDC h, LPPOINT out) { return GetOrigin(h, &State::windowOrg, out); }
BOOL SetBrushOrgEx(HDC h, int x, int y, LPPOINT old) { return SetOrigin(h, &State::brushOrg, x, y, false, old); }

BOOL LPtoDP(HDC h, LPPOINT points, int count) {
    DC* dc = AsDC(h);
    if (!dc || !points) return FALSE;
    for (int i = 0; i < count; ++i) {
        QPoint p = ToImage(dc, points[i].x, points[i].y) - dc->offset;
        points[i] = POINT{p.x(), p.y()};
    }
    return TRUE;
}

BOOL DPtoLP(HDC h, LPPOINT points, int count) {
    DC* dc = AsDC(h);
    if (!dc || !points) return FALSE;
    QPoint shift = dc->s.windowOrg - dc->s.viewportOrg;
    for (int i = 0; i < count; ++i) points[i] = POINT{points[i].x + shift.x(), points[i].y + shift.y()};
    return TRUE;
}

// ---------------------------------------------------------------------------
// Lines and shapes

BOOL MoveToEx(HDC h, int x, int y, LPPOINT old) {
    DC* dc = AsDC(h);
    if (!dc) return FALSE;
    if (old) *old = dc->s.position;
    dc->s.position = POINT{x, y};
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC h, LPPOINT pos) {
    DC* dc = AsDC(h);
    if (!dc || !pos) return FALSE;
    *pos = dc->s.position;
    return TRUE;
}

BOOL LineTo(HDC h, int x, int y) {
    DC* dc = AsDC(h);
    if (!dc) return FALSE;
    StrokePath(dc, {ToImage(dc, dc->s.position.x, dc->s.position.y), ToImage(dc, x, y)}, false, false);
    dc->s.position = POINT{x, y};
    return TRUE;
}

BOOL Polyline(HDC h, const POINT* points, int count) {
    DC* dc = AsDC(h);
    if (!dc || !points || count < 2) return FALSE;
    std::vector<QPoint> path;
    path.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) path.push_back(ToImage(dc, points[i].x, points[i].y));
    StrokePath(dc, path, false, false);
    return TRUE;
}

BOOL Polygon(HDC h, const POINT* points, int count) {
    DC* dc = AsDC(h);
    if (!dc || !points || count < 2) return FALSE;
    QPolygon poly;
    QRect box;
    PenInfo pen = CurrentPen(dc);
    for (int i = 0; i < count; ++i) {
        QPoint p = ToImage(dc, points[i].x, points[i].y);
        poly << p;
        box |= LineBox(p, p, pen.width);
    }
    Qt::FillRule rule = dc->s.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
    Coverage fill = MaskOf(dc, box, [&](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(poly, rule);
    });
    PaintWithBrush(dc, fill);
    StrokePath(dc, std::vector<QPoint>(poly.begin(), poly.end()), true, true);
    return TRUE;
}

BOOL Rectangle(HDC h, int left, int top, int right, int bottom) {
    DC* dc = AsDC(h);
    if (!dc) return FALSE;
    QRect r = NormalRect(ToImage(dc, left, top), ToImage(dc, right, bottom));
    if (r.width() < 2 || r.height() < 2) return TRUE;
    PenInfo pen = CurrentPen(dc);
    if (pen.none) {
        // Without a pen the filled area is one pixel smaller on the right and bottom.
        Coverage fill(dc, r);
        fill.SetRect(r.adjusted(0, 0, -1, -1));
        PaintWithBrush(dc, fill);
        return TRUE;
    }
    if (pen.width == 1 && !DashPattern(pen.style).empty()) {
        // A styled frame: the inside filled, the edges dashed around from the top-left corner.
        Coverage fill(dc, r);
        fill.SetRect(r.adjusted(1, 1, -1, -1));
        PaintWithBrush(dc, fill);
        StrokePath(dc, {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()}, true, true);
        return TRUE;
    }
    int w = pen.width;
    QRect outer = pen.style == PS_INSIDEFRAME ? r : r.adjusted(-(w / 2), -(w / 2), w - 1 - w / 2, w - 1 - w / 2);
    QRect inner = outer.adjusted(w, w, -w, -w);
    Coverage frame(dc, outer);
    Coverage fill(dc, outer);
    if (inner.isValid()) {
        fill.SetRect(inner);
        const QRect& box = frame.Box();
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                if (!inner.contains(x, y)) frame.Set(x, y);
            }
        }
    } else {
        frame.SetRect(outer);
    }
    PaintWithBrush(dc, fill);
    PaintWithPen(dc, frame, pen.colour);
    return TRUE;
}

namespace {
// A closed curved shape in the box [l, r) x [t, b): filled with the brush,
// outlined with the pen, both through the raster operation.
BOOL CurvedShape(HDC h, int left, int top, int right, int bottom,
                 const std::function<void(QPainter&, const QRectF&)>& shape) {
    DC* dc = AsDC(h);
    if (!dc) return FALSE;
    QRect r = NormalRect(ToImage(dc, left, top), ToImage(dc, right, bottom));
    if (r.width() < 2 || r.height() < 2) return TRUE;
    QRectF path(r.left(), r.top(), r.width() - 1, r.height() - 1);
    Coverage fill = MaskOf(dc, r, [&](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        shape(p, path);
    });
    PaintWithBrush(dc, fill);
    PenInfo pen = CurrentPen(dc);
    if (!pen.none) {
        Coverage outline = MaskOf(dc, r, [&](QPainter& p) {
            p.setPen(QPen(Qt::black, pen.width > 1 ? pen.width : 0));
            p.setBrush(Qt::NoBrush);
            shape(p, path);
        });
        PaintWithPen(dc, outline, pen.colour);
    }
    return TRUE;
}
}  // namespace

BOOL RoundRect(HDC h, int left, int top, int right, int bottom, int width, int height) {
    return CurvedShape(h, left, top, right, bottom, [&](QPainter& p, const QRectF& box) {
        p.drawRoundedRect(box, width / 2.0, height / 2.0);
    });
}

BOOL Ellipse(HDC h, int left, int top, int right, int bottom) {
    return CurvedShape(h, left, top, right, bottom, [](QPainter& p, const QRectF& box) { p.drawEllipse(box); });
}

COLORREF SetPixel(HDC h, int x, int y, COLORREF color) {
    DC* dc = AsDC(h);
    QImage* t = Target(dc);
    if (!t) return CLR_INVALID;
    QPoint p = ToImage(dc, x, y);
    if (!DrawableRegion(dc).contains(p)) return CLR_INVALID;
    QRgb v = MapToDepth(TargetBitmap(dc), ToRgb(color));
    reinterpret_cast<QRgb*>(t->scanLine(p.y()))[p.x()] = v;
    return ToColorRef(v);
}

COLORREF GetPixel(HDC h, int x, int y) {
    DC* dc = AsDC(h);
    QImage* t = Target(dc);
    if (!t) return CLR_INVALID;
    QPoint p = ToImage(dc, x, y);
    if (!DrawableRegion(dc).contains(p)) return CLR_INVALID;
    return ToColorRef(reinterpret_cast<const QRgb*>(t->constScanLine(p.y()))[p.x()]);
}

namespace {
// Fills image pixels of `r` with a brush, replacing what is there.
void FillImageRect(DC* dc, const QRect& r, Brush* b) {
    Coverage c(dc, r);
    c.SetRect(r);
    c.Apply(dc, [&](int x, int y, QRgb d) {
        QRgb p;
        return BrushPixel(dc, b, x, y, p) ? p : d;
    });
}
}  // namespace

int FillRect(HDC h, LPCRECT rect, HBRUSH brush) {
    DC* dc = AsDC(h);
    Brush* b = AsBrush(brush);
    if (!dc || !rect || !b) return 0;
    QRect r = NormalRect(ToImage(dc, rect->left, rect->top), ToImage(dc, rect->right, rect->bottom));
    if (rect->right <= rect->left || rect->bottom <= rect->top) return 1;
    FillImageRect(dc, r, b);
    return 1;
}

int FrameRect(HDC h, LPCRECT rect, HBRUSH brush) {
    DC* dc = AsDC(h);
    Brush* b = AsBrush(brush);
    if (!dc || !rect || !b) return 0;
    if (rect->right <= rect->left || rect->bottom <= rect->top) return 1;
    QRect r = NormalRect(ToImage(dc, rect->left, rect->top), ToImage(dc, rect->right, rect->bottom));
    FillImageRect(dc, QRect(r.left(), r.top(), r.width(), 1), b);
    FillImageRect(dc, QRect(r.left(), r.bottom(), r.width(), 1), b);
    FillImageRect(dc, QRect(r.left(), r.top(), 1, r.height()), b);
    FillImageRect(dc, QRect(r.right(), r.top(), 1, r.height()), b);
    return 1;
}

BOOL InvertRect(HDC h, LPCRECT rect) {
    DC* dc = AsDC(h);
    if (!dc || !rect) return FALSE;
    QRect r = NormalRect(ToImage(dc, rect->left, rect->top), ToImage(dc, rect->right, rect->bottom));
    Coverage c(dc, r);
    c.SetRect(r);
    c.Apply(dc, [](int, int, QRgb d) { return (~d & 0xFFFFFF) | 0xFF000000u; });
    return TRUE;
}

BOOL DrawFocusRect(HDC h, LPCRECT rect) {
    DC* dc = AsDC(h);
    if (!dc || !rect) return FALSE;
    QRect r = NormalRect(ToImage(dc, rect->left, rect->top), ToImage(dc, rect->right, rect->bottom));
    if (r.isEmpty()) return TRUE;
    // A dotted frame drawn by inverting every other pixel: drawing it twice removes it.
    Coverage c(dc, r);
    for (int x = r.left(); x <= r.right(); ++x) {
        if ((x - r.left()) % 2 == 0) {
            c.Set(x, r.top());
            c.Set(x, r.bottom());
        }
    }
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if ((y - r.top()) % 2 == 0) {
            c.Set(r.left(), y);
            c.Set(r.right(), y);
        }
    }
    c.Apply(dc, [](int, int, QRgb d) { return (~d & 0xFFFFFF) | 0xFF000000u; });
    return TRUE;
}

BOOL FillRgn(HDC h, HRGN region, HBRUSH brush) {
    DC* dc = AsDC(h);
    Region* r = AsRegion(region);
    Brush* b = AsBrush(brush);
    if (!dc || !r || !b) return FALSE;
    QPoint shift = ToImage(dc, 0, 0);
    for (const QRect& rect : r->region.translated(shift)) FillImageRect(dc, rect, b);
    return TRUE;
}

BOOL DrawEdge(HDC h, LPRECT rect, UINT edge, UINT flags) {
    DC* dc = AsDC(h);
    if (!dc || !rect) return FALSE;
    RECT r = *rect;
    auto line = [&](COLORREF c, int l, int t, int rr, int b) {
        HBRUSH br = CreateSolidBrush(c);
        RECT x{l, t, rr, b};
        FillRect(h, &x, br);
        DeleteObject(br);
    };
    // Outer then inner border: top-left and bottom-right colours of each.
    struct Ring {
        UINT raised, sunken;
        int tlRaised, brRaised, tlSunken, brSunken;
    };
    const Ring rings[2] = {
        {BDR_RAISEDOUTER, BDR_SUNKENOUTER, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_3DSHADOW, COLOR_3DHILIGHT},
        {BDR_RAISEDINNER, BDR_SUNKENINNER, COLOR_3DHILIGHT, COLOR_3DSHADOW, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
    };
    for (const Ring& ring : rings) {
        if (!(edge & (ring.raised | ring.sunken))) continue;
        bool raised = (edge & ring.raised) != 0;
        COLORREF tl = GetSysColor(raised ? ring.tlRaised : ring.tlSunken);
        COLORREF br = GetSysColor(raised ? ring.brRaised : ring.brSunken);
        if (flags & BF_MONO) tl = br = GetSysColor(COLOR_WINDOWFRAME);
        if (flags & BF_FLAT) tl = br = GetSysColor(COLOR_3DSHADOW);
        if (r.right <= r.left || r.bottom <= r.top) break;
        if (flags & BF_LEFT) line(tl, r.left, r.top, r.left + 1, r.bottom);
        if (flags & BF_TOP) line(tl, r.left, r.top, r.right, r.top + 1);
        if (flags & BF_RIGHT) line(br, r.right - 1, r.top, r.right, r.bottom);
        if (flags & BF_BOTTOM) line(br, r.left, r.bottom - 1, r.right, r.bottom);
        if (flags & BF_LEFT) ++r.left;
        if (flags & BF_TOP) ++r.top;
        if (flags & BF_RIGHT) --r.right;
        if (flags & BF_BOTTOM) --r.bottom;
    }
    if ((flags & BF_MIDDLE) && r.right > r.left && r.bottom > r.top) {
        FillRect(h, &r, GetSysColorBrush((flags & BF_MONO) ? COLOR_WINDOW : COLOR_3DFACE));
    }
    if (flags & BF_ADJUST) *rect = r;
    return TRUE;
}
