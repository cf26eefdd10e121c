// Drawing: the handle-based device-context calls, GDI objects, system colours
// and metrics. Device contexts paint into images; a memory DC draws into the
// bitmap selected into it. The end-pixel rules are those callers rely on:
// a line leaves out its last pixel, and a rectangle (filled or framed)
// covers left..right-1 and top..bottom-1.
#pragma once

#include "platform/afx/core/afx_types.h"
#include "platform/afx/core/geometry.h"

// Binary raster operations (SetROP2): pen P and destination D.
#define R2_BLACK 1        // 0
#define R2_NOTMERGEPEN 2  // ~(D | P)
#define R2_MASKNOTPEN 3   // D & ~P
#define R2_NOTCOPYPEN 4   // ~P
#define R2_MASKPENNOT 5   // P & ~D
#define R2_NOT 6          // ~D
#define R2_XORPEN 7       // D ^ P
#define R2_NOTMASKPEN 8   // ~(D & P)
#define R2_MASKPEN 9      // D & P
#define R2_NOTXORPEN 10   // ~(D ^ P)
#define R2_NOP 11         // D
#define R2_MERGENOTPEN 12 // D | ~P
#define R2_COPYPEN 13     // P
#define R2_MERGEPENNOT 14 // P | ~D
#define R2_MERGEPEN 15    // D | P
#define R2_WHITE 16       // 1

// Ternary raster operations (BitBlt, StretchBlt, PatBlt): bits 16-23 hold the
// truth table over pattern (weight 4), source (2) and destination (1).
#define SRCCOPY 0x00CC0020u
#define SRCPAINT 0x00EE0086u
#define SRCAND 0x008800C6u
#define SRCINVERT 0x00660046u
#define SRCERASE 0x00440328u
#define NOTSRCCOPY 0x00330008u
#define NOTSRCERASE 0x001100A6u
#define MERGECOPY 0x00C000CAu
#define MERGEPAINT 0x00BB0226u
#define PATCOPY 0x00F00021u
#define PATPAINT 0x00FB0A09u
#define PATINVERT 0x005A0049u
#define DSTINVERT 0x00550009u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u

// Stretch modes.
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

// Background modes.
#define TRANSPARENT 1
#define OPAQUE 2

#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8

// Text alignment.
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24

#define ETO_OPAQUE 0x0002u
#define ETO_CLIPPED 0x0004u

// DrawText flags.
#define DT_TOP 0x00000000u
#define DT_LEFT 0x00000000u
#define DT_CENTER 0x00000001u
#define DT_RIGHT 0x00000002u
#define DT_VCENTER 0x00000004u
#define DT_BOTTOM 0x00000008u
#define DT_WORDBREAK 0x00000010u
#define DT_SINGLELINE 0x00000020u
#define DT_EXPANDTABS 0x00000040u
#define DT_TABSTOP 0x00000080u
#define DT_NOCLIP 0x00000100u
#define DT_EXTERNALLEADING 0x00000200u
#define DT_CALCRECT 0x00000400u
#define DT_NOPREFIX 0x00000800u
#define DT_INTERNAL 0x00001000u
#define DT_EDITCONTROL 0x00002000u
#define DT_PATH_ELLIPSIS 0x00004000u
#define DT_END_ELLIPSIS 0x00008000u
#define DT_MODIFYSTRING 0x00010000u
#define DT_RTLREADING 0x00020000u
#define DT_WORD_ELLIPSIS 0x00040000u

// DrawEdge.
#define BDR_RAISEDOUTER 0x0001u
#define BDR_SUNKENOUTER 0x0002u
#define BDR_RAISEDINNER 0x0004u
#define BDR_SUNKENINNER 0x0008u
#define BDR_OUTER 0x0003u
#define BDR_INNER 0x000Cu
#define EDGE_RAISED (BDR_RAISEDOUTER | BDR_RAISEDINNER)
#define EDGE_SUNKEN (BDR_SUNKENOUTER | BDR_SUNKENINNER)
#define EDGE_ETCHED (BDR_SUNKENOUTER | BDR_RAISEDINNER)
#define EDGE_BUMP (BDR_RAISEDOUTER | BDR_SUNKENINNER)
#define BF_LEFT 0x0001u
#define BF_TOP 0x0002u
#define BF_RIGHT 0x0004u
#define BF_BOTTOM 0x0008u
#define BF_TOPLEFT (BF_TOP | BF_LEFT)
#define BF_TOPRIGHT (BF_TOP | BF_RIGHT)
#define BF_BOTTOMLEFT (BF_BOTTOM | BF_LEFT)
#define BF_BOTTOMRIGHT (BF_BOTTOM | BF_RIGHT)
#define BF_RECT (BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM)
#define BF_MIDDLE 0x0800u
#define BF_SOFT 0x1000u
#define BF_ADJUST 0x2000u
#define BF_FLAT 0x4000u
#define BF_MONO 0x8000u

// Pens.
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_STYLE_MASK 0x0000000F

// Brushes.
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define BS_PATTERN 3
#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17

// Object types (GetObjectType).
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10

// Fonts.
#define LF_FACESIZE 32
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30

// Regions.
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define ALTERNATE 1
#define WINDING 2

#define DIB_RGB_COLORS 0u
#define DIB_PAL_COLORS 1u
#define CLR_INVALID 0xFFFFFFFFu
#define GDI_ERROR 0xFFFFFFFFu
#define HGDI_ERROR (reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(-1)))

// Device capabilities.
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define RASTERCAPS 38
#define RC_BITBLT 1
#define RC_STRETCHBLT 0x0800
#define RC_DI_BITMAP 0x0080
#define RC_STRETCHDIB 0x2000
#define RC_PALETTE 0x0100

// System colours.
#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_DESKTOP COLOR_BACKGROUND
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_BTNSHADOW 16
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_BTNHILIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DHIGHLIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DHILIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_HOTLIGHT 26
#define COLOR_GRADIENTACTIVECAPTION 27
#define COLOR_GRADIENTINACTIVECAPTION 28

// System metrics.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CYCAPTION 4
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CXDLGFRAME 7
#define SM_CYDLGFRAME 8
#define SM_CYVTHUMB 9
#define SM_CXHTHUMB 10
#define SM_CXICON 11
#define SM_CYICON 12
#define SM_CXCURSOR 13
#define SM_CYCURSOR 14
#define SM_CYMENU 15
#define SM_CXFULLSCREEN 16
#define SM_CYFULLSCREEN 17
#define SM_CYVSCROLL 20
#define SM_CXHSCROLL 21
#define SM_CXMIN 28
#define SM_CYMIN 29
#define SM_CXSIZE 30
#define SM_CYSIZE 31
#define SM_CXFRAME 32
#define SM_CYFRAME 33
#define SM_CXDOUBLECLK 36
#define SM_CYDOUBLECLK 37
#define SM_CXICONSPACING 38
#define SM_CYICONSPACING 39
#define SM_CXEDGE 45
#define SM_CYEDGE 46
#define SM_CXSMICON 49
#define SM_CYSMICON 50
#define SM_CXMENUCHECK 71
#define SM_CYMENUCHECK 72
#define SM_CXMAXIMIZED 61
#define SM_CYMAXIMIZED 62
#define SM_CMONITORS 80

struct LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
};
struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    std::uintptr_t lbHatch;
};
struct LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};
using LOGFONT = LOGFONTA;
#define SPI_GETNONCLIENTMETRICS 0x0029u
struct NONCLIENTMETRICSA {
    UINT cbSize;
    int iBorderWidth;
    int iScrollWidth;
    int iScrollHeight;
    int iCaptionWidth;
    int iCaptionHeight;
    LOGFONTA lfCaptionFont;
    int iSmCaptionWidth;
    int iSmCaptionHeight;
    LOGFONTA lfSmCaptionFont;
    int iMenuWidth;
    int iMenuHeight;
    LOGFONTA lfMenuFont;
    LOGFONTA lfStatusFont;
    LOGFONTA lfMessageFont;
};
using NONCLIENTMETRICS = NONCLIENTMETRICSA;
using LPLOGFONT = LOGFONTA*;
struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
using TEXTMETRIC = TEXTMETRICA;
using LPTEXTMETRIC = TEXTMETRICA*;

// ---- system values
AFX_CORE_API COLORREF GetSysColor(int index);
AFX_CORE_API HBRUSH GetSysColorBrush(int index);
AFX_CORE_API int GetSystemMetrics(int index);

// ---- objects
AFX_CORE_API HGDIOBJ GetStockObject(int index);
AFX_CORE_API BOOL DeleteObject(HGDIOBJ object);
AFX_CORE_API int GetObjectA(HGDIOBJ object, int size, LPVOID out);
inline int GetObject(HGDIOBJ object, int size, LPVOID out) { return GetObjectA(object, size, out); }
AFX_CORE_API DWORD GetObjectType(HGDIOBJ object);
AFX_CORE_API HPEN CreatePen(int style, int width, COLORREF color);
AFX_CORE_API HPEN CreatePenIndirect(const LOGPEN* pen);
AFX_CORE_API HBRUSH CreateSolidBrush(COLORREF color);
AFX_CORE_API HBRUSH CreateHatchBrush(int hatch, COLORREF color);
AFX_CORE_API HBRUSH CreatePatternBrush(HBITMAP bitmap);
AFX_CORE_API HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
AFX_CORE_API HFONT CreateFontIndirectA(const LOGFONTA* font);
inline HFONT CreateFontIndirect(const LOGFONTA* font) { return CreateFontIndirectA(font); }
AFX_CORE_API HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                               DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                               DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face);
inline HFONT CreateFont(int h, int w, int e, int o, int wt, DWORD i, DWORD u, DWORD s, DWORD cs, DWORD op, DWORD cp,
                        DWORD q, DWORD pf, LPCSTR face) {
    return CreateFontA(h, w, e, o, wt, i, u, s, cs, op, cp, q, pf, face);
}

// Device-dependent bitmaps: 1 bit a pixel (0 black, 1 white), 8 (indexes of a
// grey ramp), 24 or 32 (blue, green, red[, unused]). Bits handed in and out
// are top-down rows padded to two bytes. A zero width or height gives a 1x1
// monochrome bitmap.
AFX_CORE_API HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
AFX_CORE_API HBITMAP CreateBitmapIndirect(const BITMAP* bitmap);
AFX_CORE_API HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
AFX_CORE_API LONG SetBitmapBits(HBITMAP bitmap, DWORD bytes, const void* bits);
AFX_CORE_API LONG GetBitmapBits(HBITMAP bitmap, LONG bytes, LPVOID bits);
// A bitmap made from a packed DIB (1, 4, 8-bit DIBs keep their palette as an
// 8-bit bitmap; others become 24-bit).
AFX_CORE_API HBITMAP CreateDIBitmapFromPacked(const void* packed, size_t size);
// With no module, OBM_CHECK names the system's check-mark bitmap (13 x 13,
// monochrome); the caller deletes what it gets.
#define OBM_CHECK 32760
AFX_CORE_API HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name);
inline HBITMAP LoadBitmap(HINSTANCE module, LPCSTR name) { return LoadBitmapA(module, name); }
// Writes the bitmap as a packed DIB of `bitCount` bits (0: its own depth) into
// a new movable block, or nullptr.
AFX_CORE_API HDIB AfxBitmapToDIB(HBITMAP bitmap, int bitCount = 0);

// Regions.
AFX_CORE_API HRGN CreateRectRgn(int left, int top, int right, int bottom);
AFX_CORE_API HRGN CreateRectRgnIndirect(LPCRECT rect);
AFX_CORE_API HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
AFX_CORE_API HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
AFX_CORE_API int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
AFX_CORE_API BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
AFX_CORE_API int OffsetRgn(HRGN region, int dx, int dy);
AFX_CORE_API BOOL PtInRegion(HRGN region, int x, int y);
AFX_CORE_API BOOL RectInRegion(HRGN region, LPCRECT rect);
AFX_CORE_API int GetRgnBox(HRGN region, LPRECT box);
AFX_CORE_API BOOL EqualRgn(HRGN a, HRGN b);

// ---- device contexts
// A memory DC holding a 1x1 monochrome bitmap until another is selected.
AFX_CORE_API HDC CreateCompatibleDC(HDC dc);
AFX_CORE_API BOOL DeleteDC(HDC dc);
// The screen: a DC that draws nowhere but tells colour depth and size.
AFX_CORE_API HDC AfxGetScreenDC();
AFX_CORE_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
AFX_CORE_API HGDIOBJ GetCurrentObject(HDC dc, UINT type);
AFX_CORE_API int SelectClipRgn(HDC dc, HRGN region);
AFX_CORE_API int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
AFX_CORE_API int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
AFX_CORE_API int GetClipBox(HDC dc, LPRECT rect);
AFX_CORE_API BOOL PtVisible(HDC dc, int x, int y);
AFX_CORE_API BOOL RectVisible(HDC dc, LPCRECT rect);
AFX_CORE_API int SaveDC(HDC dc);
AFX_CORE_API BOOL RestoreDC(HDC dc, int saved);
AFX_CORE_API int GetDeviceCaps(HDC dc, int index);

AFX_CORE_API int SetROP2(HDC dc, int mode);
AFX_CORE_API int GetROP2(HDC dc);
AFX_CORE_API int SetBkMode(HDC dc, int mode);
AFX_CORE_API int GetBkMode(HDC dc);
AFX_CORE_API COLORREF SetBkColor(HDC dc, COLORREF color);
AFX_CORE_API COLORREF GetBkColor(HDC dc);
AFX_CORE_API COLORREF SetTextColor(HDC dc, COLORREF color);
AFX_CORE_API COLORREF GetTextColor(HDC dc);
AFX_CORE_API int SetStretchBltMode(HDC dc, int mode);
AFX_CORE_API int GetStretchBltMode(HDC dc);
AFX_CORE_API UINT SetTextAlign(HDC dc, UINT align);
AFX_CORE_API UINT GetTextAlign(HDC dc);
AFX_CORE_API int SetMapMode(HDC dc, int mode);
AFX_CORE_API int GetMapMode(HDC dc);
AFX_CORE_API BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT old);
AFX_CORE_API BOOL GetViewportOrgEx(HDC dc, LPPOINT org);
AFX_CORE_API BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT old);
AFX_CORE_API BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT old);
AFX_CORE_API BOOL GetWindowOrgEx(HDC dc, LPPOINT org);
AFX_CORE_API BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, LPPOINT old);
AFX_CORE_API BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT old);
AFX_CORE_API BOOL LPtoDP(HDC dc, LPPOINT points, int count);
AFX_CORE_API BOOL DPtoLP(HDC dc, LPPOINT points, int count);

AFX_CORE_API BOOL MoveToEx(HDC dc, int x, int y, LPPOINT old);
AFX_CORE_API BOOL GetCurrentPositionEx(HDC dc, LPPOINT pos);
AFX_CORE_API BOOL LineTo(HDC dc, int x, int y);
AFX_CORE_API BOOL Polyline(HDC dc, const POINT* points, int count);
AFX_CORE_API BOOL Polygon(HDC dc, const POINT* points, int count);
AFX_CORE_API int SetPolyFillMode(HDC dc, int mode);
AFX_CORE_API BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
AFX_CORE_API BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);
AFX_CORE_API BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
AFX_CORE_API COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
AFX_CORE_API COLORREF GetPixel(HDC dc, int x, int y);
AFX_CORE_API int FillRect(HDC dc, LPCRECT rect, HBRUSH brush);
AFX_CORE_API int FrameRect(HDC dc, LPCRECT rect, HBRUSH brush);
AFX_CORE_API BOOL InvertRect(HDC dc, LPCRECT rect);
AFX_CORE_API BOOL DrawFocusRect(HDC dc, LPCRECT rect);
AFX_CORE_API BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);
AFX_CORE_API BOOL DrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags);

AFX_CORE_API BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
AFX_CORE_API BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
AFX_CORE_API BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                             int srcHeight, DWORD rop);
// Packed-DIB drawing: `info` is the header and palette, `bits` the rows.
AFX_CORE_API int StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                               int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
AFX_CORE_API int SetDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int srcX, int srcY,
                                   UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info,
                                   UINT usage);

// Text is in the ANSI code page.
AFX_CORE_API BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
inline BOOL TextOut(HDC dc, int x, int y, LPCSTR text, int length) { return TextOutA(dc, x, y, text, length); }
AFX_CORE_API BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, LPCRECT rect, LPCSTR text, UINT length,
                              const INT* dx);
inline BOOL ExtTextOut(HDC dc, int x, int y, UINT options, LPCRECT rect, LPCSTR text, UINT length, const INT* dx) {
    return ExtTextOutA(dc, x, y, options, rect, text, length, dx);
}
// Returns the height of the text; with DT_CALCRECT only measures, setting the
// rectangle's right and bottom.
AFX_CORE_API int DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format);
inline int DrawText(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format) {
    return DrawTextA(dc, text, length, rect, format);
}
AFX_CORE_API BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size);
// The extent of UTF-16 text in the selected font.
AFX_CORE_API BOOL GetTextExtentPoint32W(HDC dc, const WCHAR* text, int length, SIZE* size);
// Only SPI_GETNONCLIENTMETRICS: cbSize (and param, when not 0) must be the
// record's size; every font is the dialog font.
AFX_CORE_API BOOL SystemParametersInfoA(UINT action, UINT param, LPVOID value, UINT winIni);
inline BOOL SystemParametersInfo(UINT action, UINT param, LPVOID value, UINT winIni) {
    return SystemParametersInfoA(action, param, value, winIni);
}
inline BOOL GetTextExtentPoint32(HDC dc, LPCSTR text, int length, SIZE* size) {
    return GetTextExtentPoint32A(dc, text, length, size);
}
AFX_CORE_API BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
inline BOOL GetTextMetrics(HDC dc, TEXTMETRICA* metrics) { return GetTextMetricsA(dc, metrics); }
AFX_CORE_API int GetTextFaceA(HDC dc, int size, LPSTR face);
