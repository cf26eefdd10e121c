#include "textory/icon_menu_icons.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "textory/icon_menu_look.h"

namespace textory {

namespace {

constexpr COLORREF kMask = RGB(255, 0, 255);

struct SharedIcons {
    std::unique_ptr<CImageList> list;
    std::vector<UINT> ids;     // command id of every image, same order
    std::vector<bool> copies;  // the image is followed by a faded and a shadow copy
    int width = 0, height = 0;
};

SharedIcons& Icons() {
    static SharedIcons icons;
    return icons;
}

// The image drawn on the button face into a bitmap of the icon size.
bool Render(CImageList& list, int index, int width, int height, CBitmap& out, COLORREF background) {
    CDC dc;
    if (!dc.CreateCompatibleDC(nullptr) || !out.CreateBitmap(width, height, 1, 32, nullptr)) return false;
    CBitmap* old = dc.SelectObject(&out);
    dc.FillSolidRect(0, 0, width, height, background);
    const BOOL drawn = list.Draw(&dc, index, POINT{0, 0}, ILD_TRANSPARENT);
    dc.SelectObject(old);
    return drawn != FALSE;
}

// Every pixel of the icon (those that differ from `face`) through `paint`;
// the face itself becomes the mask colour.
template <class Paint>
void Recolour(CBitmap& bitmap, int width, int height, COLORREF face, Paint paint) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&bitmap);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = dc.GetPixel(x, y);
            dc.SetPixel(x, y, c == face ? kMask : paint(c));
        }
    dc.SelectObject(old);
}

}  // namespace

CImageList* SharedMenuIcons() { return Icons().list.get(); }

int FindMenuIcon(UINT id) {
    const auto& ids = Icons().ids;
    auto it = std::find(ids.begin(), ids.end(), id);
    return it == ids.end() ? -1 : static_cast<int>(it - ids.begin());
}

bool HasMenuIconCopies(int position) {
    const auto& copies = Icons().copies;
    return position >= 0 && static_cast<size_t>(position) < copies.size() && copies[static_cast<size_t>(position)];
}

int AddMenuIcon(UINT id, CImageList& list, int index, int width, int height, bool withCopies) {
    SharedIcons& icons = Icons();
    if (!icons.list) {
        icons.list = std::make_unique<CImageList>();
        if (!icons.list->Create(width, height, ILC_COLOR24 | ILC_MASK, 0, 8)) return -1;
        icons.width = width;
        icons.height = height;
    }
    const int w = icons.width, h = icons.height;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    CBitmap icon, faded, shadow;
    if (!Render(list, index, w, h, icon, face)) return -1;
    if (withCopies) {
        Render(list, index, w, h, faded, face);
        Render(list, index, w, h, shadow, face);
        Recolour(faded, w, h, face, [](COLORREF c) { return LightenColour(c, 0.3); });
        const COLORREF shade = LightenColour(::GetSysColor(COLOR_BTNSHADOW), 0.49);
        Recolour(shadow, w, h, face, [shade](COLORREF) { return shade; });
    }
    Recolour(icon, w, h, face, [](COLORREF c) { return c; });
    // A command that has images already gets new ones at the end (the list
    // takes transparency only from added images); its old ones stay unused.
    if (const int previous = FindMenuIcon(id); previous >= 0) {
        const int count = HasMenuIconCopies(previous) ? 3 : 1;
        for (int i = 0; i < count; ++i) icons.ids[static_cast<size_t>(previous + i)] = 0;
    }
    int position = -1;
    position = icons.list->Add(&icon, kMask);
    if (position < 0) return -1;
    icons.ids.push_back(id);
    icons.copies.push_back(withCopies);
    if (withCopies) {
        icons.list->Add(&faded, kMask);
        icons.list->Add(&shadow, kMask);
        icons.ids.insert(icons.ids.end(), {id, id});
        icons.copies.insert(icons.copies.end(), {false, false});
    }
    return position;
}

void DrawEmbossedMenuIcon(CDC& dc, int position, POINT at) {
    SharedIcons& icons = Icons();
    if (!icons.list || position < 0) return;
    const int w = icons.width, h = icons.height;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    CBitmap shape;
    if (!Render(*icons.list, position, w, h, shape, face)) return;
    CDC memory;
    memory.CreateCompatibleDC(nullptr);
    CBitmap* old = memory.SelectObject(&shape);
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT), dark = ::GetSysColor(COLOR_BTNSHADOW);
    for (int pass = 0; pass < 2; ++pass)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (memory.GetPixel(x, y) != face)
                    dc.SetPixel(at.x + x + (pass == 0 ? 1 : 0), at.y + y + (pass == 0 ? 1 : 0), pass == 0 ? light : dark);
    memory.SelectObject(old);
}

}  // namespace textory
