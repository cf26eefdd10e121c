// Internal objects behind the drawing handles; shared by the drawing sources.
#pragma once

#include <QFont>
#include <QImage>
#include <QRegion>

#include <memory>
#include <mutex>
#include <vector>

#include "platform/afx/core/gdi.h"
#include "platform/win/codepage.h"

namespace afxgdi {

struct Object {
    explicit Object(DWORD k) : kind(k) {}
    virtual ~Object() = default;
    DWORD kind;
    bool stock = false;
    bool deleted = false;  // deleted while selected: goes once no DC holds it
};

struct Pen : Object {
    Pen() : Object(OBJ_PEN) {}
    LOGPEN lp{};
};

struct Bitmap;

struct Brush : Object {
    Brush() : Object(OBJ_BRUSH) {}
    LOGBRUSH lb{};
    QImage pattern;            // BS_PATTERN: the pattern's pixels (RGB32)
    bool patternMono = false;  // a monochrome pattern takes the DC's text and background colours
};

struct Font : Object {
    Font() : Object(OBJ_FONT) {}
    LOGFONTA lf{};
    QFont font;  // made once from lf; sized on first use (FontOf)
    std::once_flag sized;
};

// Pixels are kept as RGB32 at every depth; after each change the touched
// pixels are brought back to the depth's colours (black and white, or the
// palette), so reads and the stored bits agree with the depth.
struct Bitmap : Object {
    Bitmap() : Object(OBJ_BITMAP) {}
    int bpp = 32;                // 1, 8, 24 or 32
    std::vector<QRgb> palette;   // 1 and 8 bits a pixel
    QImage image;                // Format_RGB32
    int selected = 0;            // DCs it is selected into
};

struct Region : Object {
    Region() : Object(OBJ_REGION) {}
    QRegion region;
};

struct State {
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
    HBITMAP bitmap = nullptr;
    int rop2 = R2_COPYPEN;
    int bkMode = OPAQUE;
    COLORREF bkColor = RGB(255, 255, 255);
    COLORREF textColor = RGB(0, 0, 0);
    int stretchMode = BLACKONWHITE;
    UINT textAlign = TA_LEFT | TA_TOP;
    int mapMode = MM_TEXT;
    int polyFillMode = ALTERNATE;
    QPoint viewportOrg;
    QPoint windowOrg;
    QPoint brushOrg;
    POINT position{0, 0};
    bool clipped = false;
    QRegion clip;  // in device units of the DC (before its hidden offset)
};

enum class Surface { Memory, Image, Screen };

struct DC {
    Surface surface = Surface::Memory;
    QImage* image = nullptr;  // Surface::Image: supplied by the window layer
    QPoint offset;            // Surface::Image: where the DC's origin lies in the image
    QRect bounds;             // Surface::Image: the part of the image the DC may touch
    State s;
    std::vector<State> saved;
    HBITMAP defaultBitmap = nullptr;  // memory DCs: the 1x1 monochrome bitmap
};

// Handle checks: nullptr for a handle that is not a live object of that kind.
Object* Lookup(HGDIOBJ h);
Pen* AsPen(HGDIOBJ h);
Brush* AsBrush(HGDIOBJ h);
Font* AsFont(HGDIOBJ h);
Bitmap* AsBitmap(HGDIOBJ h);
Region* AsRegion(HGDIOBJ h);
DC* AsDC(HDC h);
HGDIOBJ Register(Object* object);
// Frees a pen, brush or font deleted while selected once no DC (current or
// saved state) holds it any more; ReleaseDeleted does so for those of a state.
void ReleaseIfDeleted(HGDIOBJ h);
void ReleaseDeleted(const State& s);
HDC RegisterDC(DC* dc);
void UnregisterDC(DC* dc);
Bitmap* NewBitmap(int width, int height, int bpp);
std::vector<QRgb> GreyRamp();

inline QRgb ToRgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF ToColorRef(QRgb c) {
    return RGB(static_cast<BYTE>(qRed(c)), static_cast<BYTE>(qGreen(c)), static_cast<BYTE>(qBlue(c)));
}

// The image a DC draws into (nullptr for the screen or a bitmap-less DC), and
// the depth its pixels take (for memory DCs the selected bitmap).
QImage* Target(DC* dc);
Bitmap* TargetBitmap(DC* dc);
// Where the DC may draw, in image pixels: the image, the window part and the clip.
QRegion DrawableRegion(DC* dc);
// Logical to image pixels.
QPoint ToImage(DC* dc, int x, int y);
// A colour as the target's depth stores it.
QRgb MapToDepth(const Bitmap* bitmap, QRgb c);
// Brings the pixels of `area` (image pixels) to the bitmap's depth.
void Requantize(Bitmap* bitmap, const QRect& area);

// A ternary raster operation on each channel; the brush's colour at an image
// pixel (false for a hollow brush).
QRgb Rop3(BYTE code, QRgb p, QRgb s, QRgb d);
bool BrushPixel(DC* dc, const Brush* b, int x, int y, QRgb& out);

// The Qt font of a font object. A negative height is the character (em)
// height; a positive one the cell height (ascent plus descent), so the font
// takes the largest size whose cell fits. Sized on first use, when the font
// database is there.
const QFont& FontOf(Font* f);
// The DC's font (the system font when none is selected).
QFont QtFont(DC* dc);
// The code page of text drawn with the DC's font: its Chinese character set
// when it names one, else the ANSI code page.
UINT TextCodePage(DC* dc);
QString FromAnsi(LPCSTR text, int length, UINT codePage = CP_ACP);

}  // namespace afxgdi
