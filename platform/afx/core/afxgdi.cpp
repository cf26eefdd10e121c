#include "platform/afx/core/afxgdi.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)
IMPLEMENT_DYNCREATE(CDC, CObject)

namespace {

// Objects that own a handle, and temporary wrappers for handles nobody owns.
struct HandleMaps {
    std::mutex lock;
    std::map<HGDIOBJ, CGdiObject*> owners;
    std::map<std::pair<HGDIOBJ, DWORD>, std::unique_ptr<CGdiObject>> temporaries;
    std::map<HDC, CDC*> dcOwners;
    std::map<HDC, std::unique_ptr<CDC>> dcTemporaries;
};

HandleMaps& Maps() {
    static HandleMaps* maps = new HandleMaps;  // lives through static destruction
    return *maps;
}

template <class T>
T* Wrap(HGDIOBJ h) {
    if (!h) return nullptr;
    HandleMaps& m = Maps();
    std::lock_guard<std::mutex> hold(m.lock);
    auto owner = m.owners.find(h);
    if (owner != m.owners.end()) return static_cast<T*>(owner->second);
    auto key = std::make_pair(h, ::GetObjectType(h));
    auto& slot = m.temporaries[key];
    if (!slot) {
        auto* t = new T;
        t->m_hObject = h;  // not entered as owner: a temporary never deletes its handle
        slot.reset(t);
    }
    return static_cast<T*>(slot.get());
}

}  // namespace

HGDIOBJ AfxSafeHandle(const CGdiObject* object) { return object ? object->m_hObject : nullptr; }
HDC AfxSafeHdc(const CDC* dc) { return dc ? dc->m_hDC : nullptr; }

void AfxDeleteTempGdiObjects() {
    // Callers keep the object a selection gave back, to select it again later
    // (a saved background's original bitmap), across idle time; so a wrapper
    // goes only once its handle has: the memory stays bounded by the live
    // handles, and no kept pointer dangles while its handle lives.
    HandleMaps& m = Maps();
    std::vector<std::unique_ptr<CGdiObject>> objects;
    std::vector<std::unique_ptr<CDC>> dcs;
    {
        std::lock_guard<std::mutex> hold(m.lock);
        for (auto it = m.temporaries.begin(); it != m.temporaries.end();) {
            const auto& [handle, type] = it->first;
            if (type != 0 && ::GetObjectType(handle) == type) {
                ++it;
                continue;
            }
            objects.push_back(std::move(it->second));
            it = m.temporaries.erase(it);
        }
        for (auto it = m.dcTemporaries.begin(); it != m.dcTemporaries.end();) {
            if (::GetObjectType(it->first) != 0) {
                ++it;
                continue;
            }
            dcs.push_back(std::move(it->second));
            it = m.dcTemporaries.erase(it);
        }
    }
    for (auto& object : objects) object->m_hObject = nullptr;
    for (auto& dc : dcs) dc->m_hDC = dc->m_hAttribDC = nullptr;
}

CGdiObject::~CGdiObject() {
    HandleMaps& m = Maps();
    bool owned;
    {
        std::lock_guard<std::mutex> hold(m.lock);
        auto it = m.owners.find(m_hObject);
        owned = it != m.owners.end() && it->second == this;
    }
    if (owned) DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ object) {
    if (!object) return FALSE;
    if (m_hObject) DeleteObject();
    m_hObject = object;
    HandleMaps& m = Maps();
    std::lock_guard<std::mutex> hold(m.lock);
    m.owners[object] = this;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ h = m_hObject;
    if (h) {
        HandleMaps& m = Maps();
        std::lock_guard<std::mutex> hold(m.lock);
        auto it = m.owners.find(h);
        if (it != m.owners.end() && it->second == this) m.owners.erase(it);
    }
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) return FALSE;
    HGDIOBJ h = Detach();
    std::unique_ptr<CGdiObject> stale;  // destroyed after the lock is let go
    {
        HandleMaps& m = Maps();
        std::lock_guard<std::mutex> hold(m.lock);
        auto it = m.temporaries.find(std::make_pair(h, ::GetObjectType(h)));
        if (it != m.temporaries.end()) {
            stale = std::move(it->second);
            stale->m_hObject = nullptr;
            m.temporaries.erase(it);
        }
    }
    return ::DeleteObject(h);
}

BOOL CGdiObject::CreateStockObject(int index) {
    HGDIOBJ h = ::GetStockObject(index);
    if (!h) return FALSE;
    if (m_hObject) DeleteObject();
    m_hObject = h;  // stock objects are shared: never owned
    return TRUE;
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object) {
    switch (::GetObjectType(object)) {
    case OBJ_PEN: return Wrap<CPen>(object);
    case OBJ_BRUSH: return Wrap<CBrush>(object);
    case OBJ_FONT: return Wrap<CFont>(object);
    case OBJ_BITMAP: return Wrap<CBitmap>(object);
    case OBJ_REGION: return Wrap<CRgn>(object);
    default: return object ? Wrap<CGdiObject>(object) : nullptr;
    }
}

CPen::CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
CPen* CPen::FromHandle(HPEN pen) { return Wrap<CPen>(pen); }

CBrush::CBrush(COLORREF color) { CreateSolidBrush(color); }
CBrush::CBrush(int hatch, COLORREF color) { CreateHatchBrush(hatch, color); }
CBrush::CBrush(CBitmap* bitmap) { CreatePatternBrush(bitmap); }
BOOL CBrush::CreatePatternBrush(CBitmap* bitmap) {
    return bitmap && Attach(::CreatePatternBrush(static_cast<HBITMAP>(*bitmap)));
}
CBrush* CBrush::FromHandle(HBRUSH brush) { return Wrap<CBrush>(brush); }

BOOL CFont::CreatePointFont(int pointSize, LPCTSTR face, CDC* dc) {
    LOGFONTA lf{};
    lf.lfHeight = pointSize;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (face) {
        for (int i = 0; i < LF_FACESIZE - 1 && face[i]; ++i) lf.lfFaceName[i] = face[i];
    }
    return CreatePointFontIndirect(&lf, dc);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONTA* font, CDC* dc) {
    if (!font) return FALSE;
    LOGFONTA lf = *font;
    int dpi = dc && dc->m_hDC ? ::GetDeviceCaps(dc->m_hDC, LOGPIXELSY) : 96;
    if (dpi <= 0) dpi = 96;
    // Tenths of a point to pixels, rounded: the character height (negative).
    lf.lfHeight = -((std::abs(font->lfHeight) * dpi + 360) / 720);
    return CreateFontIndirect(&lf);
}
CFont* CFont::FromHandle(HFONT font) { return Wrap<CFont>(font); }

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    return dc && Attach(::CreateCompatibleBitmap(dc->m_hDC, width, height));
}
CBitmap* CBitmap::FromHandle(HBITMAP bitmap) { return Wrap<CBitmap>(bitmap); }
CRgn* CRgn::FromHandle(HRGN region) { return Wrap<CRgn>(region); }

// ---------------------------------------------------------------------------

CDC::~CDC() {
    if (m_hDC) {
        HandleMaps& m = Maps();
        bool owned;
        {
            std::lock_guard<std::mutex> hold(m.lock);
            auto it = m.dcOwners.find(m_hDC);
            owned = it != m.dcOwners.end() && it->second == this;
        }
        if (owned) ::DeleteDC(Detach());
    }
}

BOOL CDC::Attach(HDC dc) {
    if (!dc) return FALSE;
    m_hDC = m_hAttribDC = dc;
    HandleMaps& m = Maps();
    std::lock_guard<std::mutex> hold(m.lock);
    m.dcOwners[dc] = this;
    return TRUE;
}

HDC CDC::Detach() {
    HDC h = m_hDC;
    if (h) {
        HandleMaps& m = Maps();
        std::lock_guard<std::mutex> hold(m.lock);
        auto it = m.dcOwners.find(h);
        if (it != m.dcOwners.end() && it->second == this) m.dcOwners.erase(it);
    }
    m_hDC = m_hAttribDC = nullptr;
    return h;
}

CDC* CDC::FromHandle(HDC dc) {
    if (!dc) return nullptr;
    HandleMaps& m = Maps();
    std::lock_guard<std::mutex> hold(m.lock);
    auto owner = m.dcOwners.find(dc);
    if (owner != m.dcOwners.end()) return owner->second;
    auto& slot = m.dcTemporaries[dc];
    if (!slot) {
        slot = std::make_unique<CDC>();
        slot->m_hDC = slot->m_hAttribDC = dc;
    }
    return slot.get();
}

BOOL CDC::CreateCompatibleDC(CDC* dc) { return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr)); }

BOOL CDC::DeleteDC() {
    if (!m_hDC) return FALSE;
    return ::DeleteDC(Detach());
}

CPen* CDC::SelectObject(CPen* pen) {
    return pen ? CPen::FromHandle(static_cast<HPEN>(::SelectObject(m_hDC, pen->m_hObject))) : nullptr;
}
CBrush* CDC::SelectObject(CBrush* brush) {
    return brush ? CBrush::FromHandle(static_cast<HBRUSH>(::SelectObject(m_hDC, brush->m_hObject))) : nullptr;
}
CFont* CDC::SelectObject(CFont* font) {
    return font ? CFont::FromHandle(static_cast<HFONT>(::SelectObject(m_hDC, font->m_hObject))) : nullptr;
}
CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    return bitmap ? CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, bitmap->m_hObject))) : nullptr;
}
CGdiObject* CDC::SelectObject(CGdiObject* object) {
    return object ? CGdiObject::FromHandle(::SelectObject(m_hDC, object->m_hObject)) : nullptr;
}
CGdiObject* CDC::SelectStockObject(int index) {
    HGDIOBJ stock = ::GetStockObject(index);
    return stock ? CGdiObject::FromHandle(::SelectObject(m_hDC, stock)) : nullptr;
}

namespace {
CPoint Pt(const POINT& p) { return CPoint(p.x, p.y); }
}  // namespace

CPoint CDC::SetViewportOrg(int x, int y) {
    POINT old{0, 0};
    ::SetViewportOrgEx(m_hDC, x, y, &old);
    return Pt(old);
}
CPoint CDC::OffsetViewportOrg(int dx, int dy) {
    POINT old{0, 0};
    ::OffsetViewportOrgEx(m_hDC, dx, dy, &old);
    return Pt(old);
}
CPoint CDC::GetViewportOrg() const {
    POINT p{0, 0};
    ::GetViewportOrgEx(m_hDC, &p);
    return Pt(p);
}
CPoint CDC::SetWindowOrg(int x, int y) {
    POINT old{0, 0};
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return Pt(old);
}
CPoint CDC::OffsetWindowOrg(int dx, int dy) {
    POINT old{0, 0};
    ::OffsetWindowOrgEx(m_hDC, dx, dy, &old);
    return Pt(old);
}
CPoint CDC::GetWindowOrg() const {
    POINT p{0, 0};
    ::GetWindowOrgEx(m_hDC, &p);
    return Pt(p);
}
CPoint CDC::SetBrushOrg(int x, int y) {
    POINT old{0, 0};
    ::SetBrushOrgEx(m_hDC, x, y, &old);
    return Pt(old);
}
CPoint CDC::MoveTo(int x, int y) {
    POINT old{0, 0};
    ::MoveToEx(m_hDC, x, y, &old);
    return Pt(old);
}
CPoint CDC::GetCurrentPosition() const {
    POINT p{0, 0};
    ::GetCurrentPositionEx(m_hDC, &p);
    return Pt(p);
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color) {
    if (!rect) return;
    ::SetBkColor(m_hDC, color);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
    RECT r{x, y, x + cx, y + cy};
    if (cx < 0) std::swap(r.left, r.right);
    if (cy < 0) std::swap(r.top, r.bottom);
    FillSolidRect(&r, color);
}

void CDC::Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight) {
    if (!rect) return;
    Draw3dRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight) {
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, bottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, bottomRight);
}

CSize CDC::GetTextExtent(LPCTSTR text, int length) const {
    SIZE s{0, 0};
    ::GetTextExtentPoint32A(m_hDC, text, length, &s);
    return CSize(s);
}

int CDC::GetTextFace(CString& face) const {
    char buffer[LF_FACESIZE] = {};
    int n = ::GetTextFaceA(m_hDC, sizeof buffer, buffer);
    face = buffer;
    return n;
}
