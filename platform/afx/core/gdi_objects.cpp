// GDI objects, handles, system colours and metrics, bitmaps and regions.
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainterPath>
#include <QPolygon>

#include <cstring>
#include <mutex>
#include <unordered_set>

#include "platform/afx/core/dib_qt.h"
#include "platform/afx/core/gdi_internal.h"
#include "platform/afx/core/resource.h"
#include "platform/win/codepage.h"
#include "platform/win/errors.h"
#include "platform/win/memory.h"

namespace afxgdi {
namespace {

std::mutex g_lock;
std::unordered_set<const void*>& Live() {
    static std::unordered_set<const void*> live;
    return live;
}
std::unordered_set<const void*>& LiveDCs() {
    static std::unordered_set<const void*> live;
    return live;
}

}  // namespace

HGDIOBJ Register(Object* object) {
    std::lock_guard<std::mutex> hold(g_lock);
    Live().insert(object);
    return object;
}

HDC RegisterDC(DC* dc) {
    std::lock_guard<std::mutex> hold(g_lock);
    LiveDCs().insert(dc);
    return reinterpret_cast<HDC>(dc);
}

Object* Lookup(HGDIOBJ h) {
    if (!h) return nullptr;
    std::lock_guard<std::mutex> hold(g_lock);
    return Live().count(h) ? static_cast<Object*>(h) : nullptr;
}

template <class T>
T* As(HGDIOBJ h, DWORD kind) {
    Object* o = Lookup(h);
    return (o && o->kind == kind) ? static_cast<T*>(o) : nullptr;
}
Pen* AsPen(HGDIOBJ h) { return As<Pen>(h, OBJ_PEN); }
Brush* AsBrush(HGDIOBJ h) { return As<Brush>(h, OBJ_BRUSH); }
Font* AsFont(HGDIOBJ h) { return As<Font>(h, OBJ_FONT); }
Bitmap* AsBitmap(HGDIOBJ h) { return As<Bitmap>(h, OBJ_BITMAP); }
Region* AsRegion(HGDIOBJ h) { return As<Region>(h, OBJ_REGION); }

DC* AsDC(HDC h) {
    if (!h) return nullptr;
    std::lock_guard<std::mutex> hold(g_lock);
    return LiveDCs().count(h) ? reinterpret_cast<DC*>(h) : nullptr;
}

void UnregisterDC(DC* dc) {
    std::lock_guard<std::mutex> hold(g_lock);
    LiveDCs().erase(dc);
}

bool Unregister(Object* o) {
    std::lock_guard<std::mutex> hold(g_lock);
    return Live().erase(o) != 0;
}

namespace {
// Whether a DC holds the object in its current or a saved state.
bool Held(const void* h) {
    std::lock_guard<std::mutex> hold(g_lock);
    auto holds = [h](const State& s) { return s.pen == h || s.brush == h || s.font == h; };
    for (const void* d : LiveDCs()) {
        const DC* dc = static_cast<const DC*>(d);
        if (holds(dc->s)) return true;
        for (const State& s : dc->saved) {
            if (holds(s)) return true;
        }
    }
    return false;
}
}  // namespace

void ReleaseIfDeleted(HGDIOBJ h) {
    Object* o = Lookup(h);
    if (!o || !o->deleted || Held(h)) return;
    if (Unregister(o)) delete o;
}

void ReleaseDeleted(const State& s) {
    ReleaseIfDeleted(s.pen);
    ReleaseIfDeleted(s.brush);
    ReleaseIfDeleted(s.font);
}

QRgb MapToDepth(const Bitmap* bitmap, QRgb c) {
    c |= 0xFF000000u;
    if (!bitmap || bitmap->bpp >= 24) return c;
    if (bitmap->bpp == 1) {
        // The nearer of black and white.
        int sum = qRed(c) + qGreen(c) + qBlue(c);
        return sum >= 383 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
    QRgb best = bitmap->palette.empty() ? c : bitmap->palette[0];
    long bestDistance = -1;
    for (QRgb p : bitmap->palette) {
        long dr = qRed(p) - qRed(c), dg = qGreen(p) - qGreen(c), db = qBlue(p) - qBlue(c);
        long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = p;
            if (d == 0) break;
        }
    }
    return best | 0xFF000000u;
}

void Requantize(Bitmap* bitmap, const QRect& area) {
    if (!bitmap || bitmap->bpp >= 24) return;
    QRect r = area.intersected(bitmap->image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(bitmap->image.scanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) row[x] = MapToDepth(bitmap, row[x]);
    }
}

QString FromAnsi(LPCSTR text, int length, UINT codePage) {
    if (!text) return QString();
    size_t n = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
    std::u16string w = suite::AnsiToUtf16(std::string_view(text, n), codePage);
    return QString::fromUtf16(w.data(), static_cast<qsizetype>(w.size()));
}

std::vector<QRgb> GreyRamp() {
    std::vector<QRgb> p(256);
    for (int i = 0; i < 256; ++i) p[static_cast<size_t>(i)] = qRgb(i, i, i);
    return p;
}

Bitmap* NewBitmap(int width, int height, int bpp) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return nullptr;
    if (bpp != 1 && bpp != 8 && bpp != 24 && bpp != 32) return nullptr;
    auto* b = new Bitmap;
    b->bpp = bpp;
    if (bpp == 1) b->palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    if (bpp == 8) b->palette = GreyRamp();
    b->image = QImage(width, height, QImage::Format_RGB32);
    if (b->image.isNull()) {
        delete b;
        return nullptr;
    }
    b->image.fill(qRgb(0, 0, 0));
    return b;
}

}  // namespace afxgdi

using namespace afxgdi;

// ---------------------------------------------------------------------------
// System colours and metrics: the classic grey scheme, fixed.

COLORREF GetSysColor(int index) {
    static const COLORREF colours[] = {
        RGB(200, 200, 200),  // scroll bar
        RGB(58, 110, 165),   // desktop
        RGB(10, 36, 106),    // active caption
        RGB(128, 128, 128),  // inactive caption
        RGB(212, 208, 200),  // menu
        RGB(255, 255, 255),  // window
        RGB(0, 0, 0),        // window frame
        RGB(0, 0, 0),        // menu text
        RGB(0, 0, 0),        // window text
        RGB(255, 255, 255),  // caption text
        RGB(212, 208, 200),  // active border
        RGB(212, 208, 200),  // inactive border
        RGB(128, 128, 128),  // application workspace
        RGB(10, 36, 106),    // highlight
        RGB(255, 255, 255),  // highlight text
        RGB(212, 208, 200),  // button face
        RGB(128, 128, 128),  // button shadow
        RGB(128, 128, 128),  // grey text
        RGB(0, 0, 0),        // button text
        RGB(212, 208, 200),  // inactive caption text
        RGB(255, 255, 255),  // button highlight
        RGB(64, 64, 64),     // 3-D dark shadow
        RGB(212, 208, 200),  // 3-D light
        RGB(0, 0, 0),        // tooltip text
        RGB(255, 255, 225),  // tooltip background
        RGB(181, 181, 181),  // (unused slot)
        RGB(0, 0, 128),      // hot-tracked item
        RGB(166, 202, 240),  // active caption gradient
        RGB(192, 192, 192),  // inactive caption gradient
    };
    if (index < 0 || index >= static_cast<int>(sizeof colours / sizeof colours[0])) return 0;
    return colours[index];
}

HBRUSH GetSysColorBrush(int index) {
    static HBRUSH brushes[29] = {};
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < 29; ++i) {
            auto* b = new Brush;
            b->stock = true;
            b->lb = LOGBRUSH{BS_SOLID, GetSysColor(i), 0};
            brushes[i] = static_cast<HBRUSH>(Register(b));
        }
    });
    return (index >= 0 && index < 29) ? brushes[index] : nullptr;
}

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN: case SM_CXFULLSCREEN: case SM_CXMAXIMIZED: return 1280;
    case SM_CYSCREEN: case SM_CYMAXIMIZED: return 1024;
    case SM_CYFULLSCREEN: return 1024 - 19 - 30;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return 16;
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CYMENU: return 19;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXSIZE: case SM_CYSIZE: return 18;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXICONSPACING: case SM_CYICONSPACING: return 75;
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 13;
    case SM_CMONITORS: return 1;
    default: return 0;
    }
}

// ---------------------------------------------------------------------------
// Objects

namespace {

HGDIOBJ StockObject(int index) {
    static HGDIOBJ stock[18] = {};
    static std::once_flag once;
    std::call_once(once, [] {
        auto brush = [](UINT style, COLORREF c) {
            auto* b = new Brush;
            b->stock = true;
            b->lb = LOGBRUSH{style, c, 0};
            return Register(b);
        };
        auto pen = [](UINT style, COLORREF c) {
            auto* p = new Pen;
            p->stock = true;
            p->lp = LOGPEN{style, POINT{1, 0}, c};
            return Register(p);
        };
        auto font = [](int height, int weight, BYTE pitch, const char* face) {
            LOGFONTA lf{};
            lf.lfHeight = height;
            lf.lfWeight = weight;
            lf.lfPitchAndFamily = pitch;
            std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
            auto* f = static_cast<Font*>(Lookup(CreateFontIndirectA(&lf)));
            f->stock = true;
            return static_cast<HGDIOBJ>(f);
        };
        stock[WHITE_BRUSH] = brush(BS_SOLID, RGB(255, 255, 255));
        stock[LTGRAY_BRUSH] = brush(BS_SOLID, RGB(192, 192, 192));
        stock[GRAY_BRUSH] = brush(BS_SOLID, RGB(128, 128, 128));
        stock[DKGRAY_BRUSH] = brush(BS_SOLID, RGB(64, 64, 64));
        stock[BLACK_BRUSH] = brush(BS_SOLID, RGB(0, 0, 0));
        stock[NULL_BRUSH] = brush(BS_NULL, 0);
        stock[WHITE_PEN] = pen(PS_SOLID, RGB(255, 255, 255));
        stock[BLACK_PEN] = pen(PS_SOLID, RGB(0, 0, 0));
        stock[NULL_PEN] = pen(PS_NULL, 0);
        stock[OEM_FIXED_FONT] = font(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Terminal");
        stock[ANSI_FIXED_FONT] = font(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Courier");
        stock[ANSI_VAR_FONT] = font(12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
        stock[SYSTEM_FONT] = font(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System");
        stock[DEVICE_DEFAULT_FONT] = font(16, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "System");
        stock[SYSTEM_FIXED_FONT] = font(16, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Fixedsys");
        stock[DEFAULT_GUI_FONT] = font(-12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Shell Dlg");
    });
    return (index >= 0 && index < 18) ? stock[index] : nullptr;
}

}  // namespace

HGDIOBJ GetStockObject(int index) { return StockObject(index); }

BOOL DeleteObject(HGDIOBJ object) {
    Object* o = Lookup(object);
    if (!o) return FALSE;
    if (o->stock || o->deleted) return TRUE;  // stock objects stay
    if (o->kind == OBJ_BITMAP && static_cast<Bitmap*>(o)->selected > 0) return FALSE;
    if (o->kind != OBJ_BITMAP && o->kind != OBJ_REGION && Held(object)) {
        // A pen, brush or font deleted while selected keeps drawing until it
        // is deselected (and never hands its address to a new object before).
        o->deleted = true;
        return TRUE;
    }
    if (!Unregister(o)) return FALSE;
    delete o;
    return TRUE;
}

DWORD GetObjectType(HGDIOBJ object) {
    if (DC* dc = AsDC(static_cast<HDC>(object))) return dc->surface == Surface::Memory ? OBJ_MEMDC : OBJ_DC;
    Object* o = Lookup(object);
    return o ? o->kind : 0;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID out) {
    Object* o = Lookup(object);
    if (!o) return 0;
    auto give = [&](const void* data, int bytes) {
        if (!out) return bytes;
        int n = std::min(size, bytes);
        std::memcpy(out, data, static_cast<size_t>(n));
        return n;
    };
    switch (o->kind) {
    case OBJ_PEN: return give(&static_cast<Pen*>(o)->lp, sizeof(LOGPEN));
    case OBJ_BRUSH: return give(&static_cast<Brush*>(o)->lb, sizeof(LOGBRUSH));
    case OBJ_FONT: return give(&static_cast<Font*>(o)->lf, sizeof(LOGFONTA));
    case OBJ_BITMAP: {
        auto* b = static_cast<Bitmap*>(o);
        BITMAP bm{0, b->image.width(), b->image.height(),
                  static_cast<LONG>(((b->image.width() * b->bpp + 15) / 16) * 2), 1, static_cast<WORD>(b->bpp), nullptr};
        return give(&bm, sizeof(BITMAP));
    }
    default: return 0;
    }
}

HPEN CreatePen(int style, int width, COLORREF color) {
    LOGPEN lp{static_cast<UINT>(style), POINT{width, 0}, color};
    return CreatePenIndirect(&lp);
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
    if (!pen || (pen->lopnStyle & PS_STYLE_MASK) > PS_INSIDEFRAME) return nullptr;
    auto* p = new Pen;
    p->lp = *pen;
    if (p->lp.lopnWidth.x < 1) p->lp.lopnWidth.x = 1;
    return static_cast<HPEN>(Register(p));
}

HBRUSH CreateSolidBrush(COLORREF color) {
    LOGBRUSH lb{BS_SOLID, color, 0};
    return CreateBrushIndirect(&lb);
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
    LOGBRUSH lb{BS_HATCHED, color, static_cast<std::uintptr_t>(hatch)};
    return CreateBrushIndirect(&lb);
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
    Bitmap* b = AsBitmap(bitmap);
    if (!b) return nullptr;
    auto* br = new Brush;
    br->lb = LOGBRUSH{BS_PATTERN, 0, reinterpret_cast<std::uintptr_t>(bitmap)};
    br->pattern = b->image.copy();  // the brush keeps the pattern even if the bitmap goes
    br->patternMono = b->bpp == 1;
    return static_cast<HBRUSH>(Register(br));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
    if (!brush) return nullptr;
    if (brush->lbStyle == BS_PATTERN) return CreatePatternBrush(reinterpret_cast<HBITMAP>(brush->lbHatch));
    if (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL && brush->lbStyle != BS_HATCHED) return nullptr;
    auto* b = new Brush;
    b->lb = *brush;
    return static_cast<HBRUSH>(Register(b));
}

namespace afxgdi {

const QFont& FontOf(Font* f) {
    std::call_once(f->sized, [f] {
        const LONG cell = f->lf.lfHeight;
        if (cell <= 0) return;  // the character height, as made
        int size = static_cast<int>(std::min<LONG>(cell, 4096));
        for (; size > 1; --size) {
            f->font.setPixelSize(size);
            if (QFontMetrics(f->font).height() <= cell) break;
        }
        f->font.setPixelSize(size);
    });
    return f->font;
}

}  // namespace afxgdi

HFONT CreateFontIndirectA(const LOGFONTA* lf) {
    if (!lf) return nullptr;
    auto* f = new Font;
    f->lf = *lf;
    f->lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    QFont q;
    QString face = FromAnsi(f->lf.lfFaceName, -1);
    bool fixed = (lf->lfPitchAndFamily & 3) == FIXED_PITCH || (lf->lfPitchAndFamily & 0xF0) == FF_MODERN;
    if (!face.isEmpty()) q.setFamilies({face, fixed ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"),
                                        QStringLiteral("WenQuanYi Micro Hei")});
    else q.setFamilies({fixed ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"),
                        QStringLiteral("WenQuanYi Micro Hei")});
    q.setStyleHint(fixed ? QFont::TypeWriter : QFont::SansSerif);
    q.setFixedPitch(fixed);
    int h = lf->lfHeight < 0 ? -lf->lfHeight : lf->lfHeight;
    q.setPixelSize(h > 0 ? h : 12);
    int weight = lf->lfWeight <= 0 ? FW_NORMAL : std::clamp(static_cast<int>(lf->lfWeight), 100, 900);
    q.setWeight(static_cast<QFont::Weight>(weight));
    q.setItalic(lf->lfItalic != 0);
    q.setUnderline(lf->lfUnderline != 0);
    q.setStrikeOut(lf->lfStrikeOut != 0);
    q.setStyleStrategy(QFont::NoAntialias);
    f->font = q;
    return static_cast<HFONT>(Register(f));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR face) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (face) std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

// ---------------------------------------------------------------------------
// Bitmaps

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (planes != 1) return nullptr;
    if ((width == 0 || height == 0) && width >= 0 && height >= 0) return CreateBitmap(1, 1, 1, 1, nullptr);
    Bitmap* b = NewBitmap(width, height, static_cast<int>(bitsPerPixel));
    if (!b) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HBITMAP h = static_cast<HBITMAP>(Register(b));
    if (bits) {
        SetBitmapBits(h, static_cast<DWORD>(((width * static_cast<int>(bitsPerPixel) + 15) / 16) * 2 * height), bits);
    }
    return h;
}

HBITMAP CreateBitmapIndirect(const BITMAP* bm) {
    if (!bm) return nullptr;
    return CreateBitmap(bm->bmWidth, bm->bmHeight, bm->bmPlanes, bm->bmBitsPixel, bm->bmBits);
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
    DC* dc = AsDC(hdc);
    if (!dc) return nullptr;
    if ((width == 0 || height == 0) && width >= 0 && height >= 0) return CreateBitmap(0, 0, 1, 1, nullptr);
    int bpp = 32;
    if (dc->surface == Surface::Memory) {
        Bitmap* selected = AsBitmap(dc->s.bitmap);
        bpp = selected ? selected->bpp : 1;
    }
    Bitmap* b = NewBitmap(width, height, bpp);
    if (b && bpp == 8) b->palette = AsBitmap(dc->s.bitmap)->palette;
    return b ? static_cast<HBITMAP>(Register(b)) : nullptr;
}

LONG SetBitmapBits(HBITMAP bitmap, DWORD bytes, const void* bits) {
    Bitmap* b = AsBitmap(bitmap);
    if (!b || !bits) return 0;
    const int w = b->image.width(), h = b->image.height();
    const size_t stride = static_cast<size_t>(((w * b->bpp + 15) / 16) * 2);
    const auto* p = static_cast<const BYTE*>(bits);
    int rows = static_cast<int>(std::min(static_cast<size_t>(h), bytes / stride));
    for (int y = 0; y < rows; ++y) {
        const BYTE* src = p + stride * static_cast<size_t>(y);
        auto* dst = reinterpret_cast<QRgb*>(b->image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            switch (b->bpp) {
            case 1: dst[x] = b->palette[(src[x / 8] >> (7 - x % 8)) & 1]; break;
            case 8:
                // An index past a short palette (a 16-colour DIB's) shows as its first colour.
                dst[x] = src[x] < b->palette.size() ? b->palette[src[x]] : b->palette[0];
                break;
            case 24: dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]); break;
            default: dst[x] = qRgb(src[4 * x + 2], src[4 * x + 1], src[4 * x]); break;
            }
        }
    }
    return static_cast<LONG>(stride * static_cast<size_t>(rows));
}

LONG GetBitmapBits(HBITMAP bitmap, LONG bytes, LPVOID bits) {
    Bitmap* b = AsBitmap(bitmap);
    if (!b || !bits || bytes <= 0) return 0;
    const int w = b->image.width(), h = b->image.height();
    const size_t stride = static_cast<size_t>(((w * b->bpp + 15) / 16) * 2);
    auto* p = static_cast<BYTE*>(bits);
    int rows = static_cast<int>(std::min(static_cast<size_t>(h), static_cast<size_t>(bytes) / stride));
    for (int y = 0; y < rows; ++y) {
        BYTE* dst = p + stride * static_cast<size_t>(y);
        std::memset(dst, 0, stride);
        const auto* src = reinterpret_cast<const QRgb*>(b->image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            QRgb c = src[x];
            switch (b->bpp) {
            case 1:
                if (qRed(c) + qGreen(c) + qBlue(c) >= 383) dst[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
                break;
            case 8: {
                size_t best = 0;
                for (size_t i = 0; i < b->palette.size(); ++i) {
                    if ((b->palette[i] | 0xFF000000u) == (c | 0xFF000000u)) {
                        best = i;
                        break;
                    }
                }
                dst[x] = static_cast<BYTE>(best);
                break;
            }
            case 24:
                dst[3 * x] = static_cast<BYTE>(qBlue(c));
                dst[3 * x + 1] = static_cast<BYTE>(qGreen(c));
                dst[3 * x + 2] = static_cast<BYTE>(qRed(c));
                break;
            default:
                dst[4 * x] = static_cast<BYTE>(qBlue(c));
                dst[4 * x + 1] = static_cast<BYTE>(qGreen(c));
                dst[4 * x + 2] = static_cast<BYTE>(qRed(c));
                dst[4 * x + 3] = 0;
                break;
            }
        }
    }
    return static_cast<LONG>(stride * static_cast<size_t>(rows));
}

HBITMAP CreateDIBitmapFromPacked(const void* packed, size_t size) {
    AfxDibLayout layout;
    if (!AfxDibLayoutOf(packed, size, layout)) return nullptr;
    QImage image = AfxDibToImage(packed, size);
    if (image.isNull()) return nullptr;
    int bpp = layout.bitCount == 1 ? 1 : layout.bitCount <= 8 ? 8 : 24;
    Bitmap* b = NewBitmap(image.width(), image.height(), bpp);
    if (!b) return nullptr;
    if (bpp == 8) {
        b->palette.clear();
        for (QRgb c : image.colorTable()) b->palette.push_back(c | 0xFF000000u);
        if (b->palette.empty()) b->palette = GreyRamp();
    }
    // A monochrome bitmap keeps black for 0 bits and white for 1 bits whatever
    // the DIB's two colours were: its pixels are brought to the nearer of the two.
    b->image = image.convertToFormat(QImage::Format_RGB32);
    if (bpp == 1) Requantize(b, b->image.rect());
    return static_cast<HBITMAP>(Register(b));
}

namespace {
// The system's check mark: a 13 x 13 monochrome bitmap, black tick (0 bits)
// on white (1 bits), the size SM_CXMENUCHECK gives.
HBITMAP SystemCheckMark() {
    static const char* const kRows[13] = {
        ".............", ".............", ".............", ".........#...", "........##...",
        "...#...###...", "...##.###....", "...#####.....", "....###......", ".....#.......",
        ".............", ".............", "............."};
    BYTE bits[13 * 2] = {};
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x)
            if (kRows[y][x] != '#') bits[y * 2 + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    return CreateBitmap(13, 13, 1, 1, bits);
}
}  // namespace

HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name) {
    if (!module && IS_INTRESOURCE(name) && LOWORD(reinterpret_cast<std::uintptr_t>(name)) == OBM_CHECK)
        return SystemCheckMark();
    HRSRC found = FindResourceA(module, name, RT_BITMAP);
    if (!found) return nullptr;
    HMODULE where = module ? module : AfxFindResourceHandle(name, RT_BITMAP);
    return CreateDIBitmapFromPacked(LockResource(LoadResource(where, found)), SizeofResource(where, found));
}

HDIB AfxBitmapToDIB(HBITMAP bitmap, int bitCount) {
    Bitmap* b = AsBitmap(bitmap);
    if (!b) return nullptr;
    QImage image = b->image;
    if (b->bpp <= 8) {
        QList<QRgb> table(b->palette.begin(), b->palette.end());
        image = b->image.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
    }
    std::vector<BYTE> dib = AfxImageToDib(image, bitCount ? bitCount : (b->bpp >= 24 ? 24 : b->bpp));
    if (dib.empty()) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, dib.size());
    if (!block) return nullptr;
    std::memcpy(GlobalLock(block), dib.data(), dib.size());
    GlobalUnlock(block);
    return block;
}

// ---------------------------------------------------------------------------
// Regions

namespace {
HRGN NewRegion(const QRegion& r) {
    auto* region = new Region;
    region->region = r;
    return static_cast<HRGN>(Register(region));
}
int Complexity(const QRegion& r) {
    if (r.isEmpty()) return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
QRect FromRect(int l, int t, int r, int b) {
    if (r < l) std::swap(l, r);
    if (b < t) std::swap(t, b);
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}
}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    QRect r = FromRect(left, top, right, bottom);
    return NewRegion(r.isValid() ? QRegion(r) : QRegion());
}
HRGN CreateRectRgnIndirect(LPCRECT rect) {
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}
HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
    QRect r = FromRect(left, top, right, bottom);
    return NewRegion(r.isValid() ? QRegion(r, QRegion::Ellipse) : QRegion());
}
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
    if (!points || count < 3) return nullptr;
    QPolygon poly;
    for (int i = 0; i < count; ++i) poly << QPoint(points[i].x, points[i].y);
    return NewRegion(QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill));
}
int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode) {
    Region* d = AsRegion(dst);
    Region* ra = AsRegion(a);
    Region* rb = AsRegion(b);
    if (!d || !ra || (mode != RGN_COPY && !rb)) return ERROR;
    QRegion result;
    switch (mode) {
    case RGN_AND: result = ra->region.intersected(rb->region); break;
    case RGN_OR: result = ra->region.united(rb->region); break;
    case RGN_XOR: result = ra->region.xored(rb->region); break;
    case RGN_DIFF: result = ra->region.subtracted(rb->region); break;
    case RGN_COPY: result = ra->region; break;
    default: return ERROR;
    }
    d->region = result;
    return Complexity(result);
}
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
    Region* r = AsRegion(region);
    if (!r) return FALSE;
    QRect q = FromRect(left, top, right, bottom);
    r->region = q.isValid() ? QRegion(q) : QRegion();
    return TRUE;
}
int OffsetRgn(HRGN region, int dx, int dy) {
    Region* r = AsRegion(region);
    if (!r) return ERROR;
    r->region.translate(dx, dy);
    return Complexity(r->region);
}
BOOL PtInRegion(HRGN region, int x, int y) {
    Region* r = AsRegion(region);
    return r && r->region.contains(QPoint(x, y));
}
BOOL RectInRegion(HRGN region, LPCRECT rect) {
    Region* r = AsRegion(region);
    if (!r || !rect) return FALSE;
    QRect q = FromRect(rect->left, rect->top, rect->right, rect->bottom);
    return q.isValid() && r->region.intersects(q);
}
int GetRgnBox(HRGN region, LPRECT box) {
    Region* r = AsRegion(region);
    if (!r || !box) return ERROR;
    QRect b = r->region.boundingRect();
    *box = r->region.isEmpty() ? RECT{0, 0, 0, 0} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return Complexity(r->region);
}
BOOL EqualRgn(HRGN a, HRGN b) {
    Region* ra = AsRegion(a);
    Region* rb = AsRegion(b);
    return ra && rb && ra->region == rb->region;
}
