#include "textory/icon_menu.h"

#include <algorithm>
#include <cwctype>

#include "platform/win/codepage.h"
#include "textory/icon_menu_icons.h"
#include "textory/menu_template_walk.h"

namespace {

// Every menu handle an icon menu created, for the owner's WM_MENUCHAR and
// WM_MEASUREITEM to tell icon menus from others.
std::vector<HMENU>& Registry() {
    static std::vector<HMENU> registry;
    return registry;
}

void Register(HMENU menu) {
    if (menu && std::find(Registry().begin(), Registry().end(), menu) == Registry().end()) Registry().push_back(menu);
}

void Unregister(HMENU menu) { std::erase(Registry(), menu); }

std::string ToAnsi(const std::u16string& text) { return suite::Utf16ToAnsi(text); }

std::u16string FromAnsi(const CString& text) { return suite::AnsiToUtf16(text.GetString()); }

char16_t LowerWide(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c - u'A' + u'a');
    if (c < 0x80) return c;
    return static_cast<char16_t>(std::towlower(static_cast<wint_t>(c)));
}

std::u16string LowerWide(const std::u16string& text) {
    std::u16string out = text;
    for (auto& c : out) c = LowerWide(c);
    return out;
}

// A DC of the main window (or the desktop) with the menu font selected.
class MenuFontDC {
public:
    MenuFontDC() {
        CWnd* main = AfxGetMainWnd();
        m_window = main ? main->GetSafeHwnd() : GetDesktopWindow();
        m_dc = ::GetDC(m_window);
        // Without a screen (offscreen runs) a memory DC measures alike.
        if (!m_dc) {
            m_dc = ::CreateCompatibleDC(nullptr);
            m_memory = m_dc != nullptr;
        }
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof metrics;
        if (m_dc && SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
            m_font = ::CreateFontIndirectA(&metrics.lfMenuFont);
            if (m_font) m_old = ::SelectObject(m_dc, m_font);
        }
    }
    ~MenuFontDC() {
        if (m_old) ::SelectObject(m_dc, m_old);
        if (m_font) ::DeleteObject(m_font);
        if (m_memory) ::DeleteDC(m_dc);
        else if (m_dc) ::ReleaseDC(m_window, m_dc);
    }
    MenuFontDC(const MenuFontDC&) = delete;
    MenuFontDC& operator=(const MenuFontDC&) = delete;
    HDC dc() const { return m_dc; }
    HFONT font() const { return m_font; }
    int Width(const std::u16string& text) const {
        SIZE size{};
        if (!m_dc) return 0;
        ::GetTextExtentPoint32W(m_dc, reinterpret_cast<const WCHAR*>(text.data()), static_cast<int>(text.size()), &size);
        return size.cx;
    }

private:
    HWND m_window = nullptr;
    HDC m_dc = nullptr;
    HFONT m_font = nullptr;
    HGDIOBJ m_old = nullptr;
    bool m_memory = false;
};

}  // namespace

BOOL IsMenuRegistered(HMENU menu) {
    return std::find(Registry().begin(), Registry().end(), menu) != Registry().end() ? TRUE : FALSE;
}

size_t RegisteredMenuCount() { return Registry().size(); }

namespace textory {
int MeasureMenuText(const std::u16string& text) { return MenuFontDC().Width(text); }
}  // namespace textory

// Builds the levels of a menu from its template: each popup is a new icon
// menu owned by its parent; each closed level lines up its accelerators.
class IconMenuBuilder : public textory::MenuTemplateBuilder {
public:
    explicit IconMenuBuilder(CIconMenu* bar) : m_levels{bar} {}
    void OpenPopup(UINT flags, const std::u16string& text) override {
        auto popup = std::make_unique<CIconMenu>();
        popup->m_iconWidth = m_levels.back()->m_iconWidth;
        popup->m_iconHeight = m_levels.back()->m_iconHeight;
        popup->CreatePopupMenu();
        CIconMenu* raw = popup.get();
        m_levels.back()->m_ownedPopups.push_back(std::move(popup));
        m_levels.back()->AppendIconItem(flags, reinterpret_cast<UINT_PTR>(raw->m_hMenu), text, -1);
        m_levels.push_back(raw);
    }
    void AddItem(UINT flags, UINT id, const std::u16string& text) override {
        m_levels.back()->AppendIconItem(flags, id, text, -1);
    }
    void CloseLevel() override {
        m_levels.back()->AlignAccelerators();
        if (m_levels.size() > 1) m_levels.pop_back();
    }

private:
    std::vector<CIconMenu*> m_levels;
};

CIconMenu::CIconMenu() = default;

CIconMenu::~CIconMenu() { DestroyMenu(); }

BOOL CIconMenu::LoadMenu(LPCTSTR name) {
    HMODULE module = AfxFindResourceHandle(name, RT_MENU);
    HRSRC found = module ? FindResourceA(module, name, RT_MENU) : nullptr;
    if (!found) return FALSE;
    HGLOBAL loaded = LoadResource(module, found);
    const auto* data = static_cast<const BYTE*>(LockResource(loaded));
    if (!data) return FALSE;
    return LoadMenuTemplate(data, SizeofResource(module, found));
}

BOOL CIconMenu::LoadMenuTemplate(const BYTE* data, size_t size) {
    // A template that does not walk to its end leaves the menu as it was.
    if (!textory::WalkMenuTemplate(data, size, nullptr)) return FALSE;
    DestroyMenu();
    CreateMenu();
    Register(m_hMenu);
    IconMenuBuilder builder(this);
    textory::WalkMenuTemplate(data, size, &builder);
    RelabelTopLevel();
    m_loaded = 1;
    return TRUE;
}

BOOL CIconMenu::AppendIconItem(UINT flags, UINT_PTR idOrPopup, const std::u16string& text, int iconIndex) {
    if (!m_hMenu) return FALSE;
    if (flags & MF_POPUP) {
        Register(reinterpret_cast<HMENU>(idOrPopup));
        m_subMenus.push_back(reinterpret_cast<HMENU>(idOrPopup));
        flags |= MF_OWNERDRAW;
    } else if (idOrPopup == 0) {
        flags = MF_SEPARATOR | MF_OWNERDRAW | (flags & MF_BYPOSITION);
    } else {
        flags |= MF_OWNERDRAW;
    }
    auto record = std::make_unique<ItemRecord>();
    record->text = text;
    record->flags = flags;
    record->id = idOrPopup;
    // Icons come from the shared list, where the command may have one already
    // (tool-bar icons are not offered, so an index given here finds it alike).
    (void)iconIndex;
    record->iconIndex = (flags & (MF_POPUP | MF_SEPARATOR)) ? -1 : textory::FindMenuIcon(static_cast<UINT>(idOrPopup));
    ItemRecord* raw = record.get();
    m_records.push_back(std::move(record));
    BOOL ok = AppendMenu(flags & ~static_cast<UINT>(MF_BYPOSITION), idOrPopup, reinterpret_cast<LPCTSTR>(raw));
    if (m_loaded) RelabelTopLevel();
    return ok;
}

BOOL CIconMenu::SetItemIcon(const char16_t* text, UINT id, CImageList* list, int index) {
    CIconMenu* level = FindLevelOf(id);
    if (!level || !list || index < 0 || index >= list->GetImageCount()) return FALSE;
    const textory::IconMenuLook& look = textory::SharedIconMenuLook();
    const bool copies = look.Flat(textory::IsClassicTheme()) && look.iconShadow;
    const int position = textory::AddMenuIcon(id, *list, index, m_iconWidth, m_iconHeight, copies);
    for (auto& record : level->m_records) {
        if (record->id != id || (record->flags & MF_POPUP)) continue;
        if (text) record->text = text;
        if (position >= 0) record->iconIndex = position;
        level->ModifyMenu(id, MF_BYCOMMAND | record->flags, id, reinterpret_cast<LPCTSTR>(record.get()));
    }
    return TRUE;
}

BOOL CIconMenu::LoadToolBarIcons(UINT toolbarId) {
    LPCSTR name = MAKEINTRESOURCE(toolbarId);
    HMODULE module = AfxFindResourceHandle(name, RT_TOOLBAR);
    CToolBarTemplate bar;
    if (!module || !AfxLoadToolBarTemplate(module, name, bar) || bar.width == 0 || bar.height == 0) return FALSE;
    CBitmap bitmap;
    if (!bitmap.Attach(::LoadBitmapA(module, name))) return FALSE;
    m_iconWidth = std::max(m_iconWidth, static_cast<int>(bar.width));
    m_iconHeight = std::max(m_iconHeight, static_cast<int>(bar.height));
    CImageList list;
    if (!list.Create(bar.width, bar.height, ILC_COLOR24 | ILC_MASK, 0, 8)) return FALSE;
    if (list.Add(&bitmap, m_useMaskColour ? m_maskColour : ::GetSysColor(COLOR_BTNFACE)) < 0) return FALSE;
    int image = 0;
    for (WORD id : bar.ids) {
        if (id == 0) continue;
        if (FindLevelOf(id)) SetItemIcon(nullptr, id, &list, image);
        ++image;
    }
    return TRUE;
}

void CIconMenu::SetMaskColor(COLORREF colour) {
    m_maskColour = colour;
    m_useMaskColour = 1;
}

void CIconMenu::SetIconExtent(int width, int height) {
    m_iconWidth = width;
    m_iconHeight = height;
}

CIconMenu* CIconMenu::FindLevelOf(UINT id) {
    for (auto& record : m_records) {
        if (!(record->flags & MF_POPUP) && record->id == id) return this;
    }
    for (auto& popup : m_ownedPopups) {
        if (CIconMenu* found = popup->FindLevelOf(id)) return found;
    }
    return nullptr;
}

BOOL CIconMenu::GetItemText(UINT item, CString& text, UINT flags) const {
    if (flags & MF_BYPOSITION) {
        if (item >= m_records.size()) return FALSE;
        text = ToAnsi(m_records[item]->text).c_str();
        return TRUE;
    }
    CIconMenu* level = const_cast<CIconMenu*>(this)->FindLevelOf(item);
    if (!level) return FALSE;
    for (auto& record : level->m_records) {
        if (record->id == item) {
            text = ToAnsi(record->text).c_str();
            return TRUE;
        }
    }
    return FALSE;
}

void CIconMenu::AlignAccelerators() {
    MenuFontDC dc;
    int widest = 0;
    for (auto& record : m_records) {
        const std::u16string before = record->text.substr(0, record->text.find(u'\t'));
        widest = std::max(widest, dc.Width(before + u" "));
    }
    for (auto& record : m_records) {
        const size_t tab = record->text.find(u'\t');
        if (tab == std::u16string::npos) continue;
        std::u16string before = record->text.substr(0, tab);
        const std::u16string accelerator = record->text.substr(tab + 1);
        // Bounded: a blank cannot be narrower than one pixel in any real font.
        for (int guard = 0; dc.Width(before) < widest && guard < widest + 1; ++guard) before.push_back(u' ');
        record->text = before + u"\t" + accelerator;
    }
}

void CIconMenu::RelabelTopLevel() {
    for (size_t i = 0; i < m_records.size(); ++i) {
        const ItemRecord& record = *m_records[i];
        const std::string text = ToAnsi(record.text);
        const UINT kind = (record.flags & MF_POPUP) ? MF_POPUP : MF_STRING;
        ModifyMenu(static_cast<UINT>(i), MF_BYPOSITION | kind, record.id, text.c_str());
    }
}

void CIconMenu::ResyncItems() {
    for (auto& record : m_records) record->matched = 0;
    std::vector<std::unique_ptr<ItemRecord>> rebuilt;
    const UINT count = GetMenuItemCount();
    for (UINT pos = 0; pos < count; ++pos) {
        const UINT state = GetMenuState(pos, MF_BYPOSITION);
        const bool popup = (state & MF_POPUP) != 0;
        const bool separator = !popup && (state & MF_SEPARATOR) != 0;
        const UINT_PTR id = popup ? reinterpret_cast<UINT_PTR>(GetSubMenu(static_cast<int>(pos))->m_hMenu)
                                  : separator ? 0 : GetMenuItemID(static_cast<int>(pos));
        std::unique_ptr<ItemRecord> record;
        for (auto& old : m_records) {
            if (old && !old->matched && old->id == id) {
                old->matched = 1;
                record = std::move(old);
                break;
            }
        }
        if (!record) {
            record = std::make_unique<ItemRecord>();
            record->id = id;
            CString text;
            GetMenuString(pos, text, MF_BYPOSITION);
            record->text = FromAnsi(text);
            record->flags = popup ? MF_OWNERDRAW | MF_POPUP : separator ? MF_SEPARATOR | MF_OWNERDRAW
                                                                         : MF_OWNERDRAW | MF_BYPOSITION;
        }
        ModifyMenu(pos, MF_BYPOSITION | (record->flags & ~static_cast<UINT>(MF_BYPOSITION)), id,
                   reinterpret_cast<LPCTSTR>(record.get()));
        rebuilt.push_back(std::move(record));
    }
    m_records = std::move(rebuilt);
}

LRESULT CIconMenu::FindMnemonic(UINT ch, UINT flags, CMenu* menu) {
    if (!(flags & MF_POPUP)) return 0;
    CIconMenu* level = this;
    if (menu && menu->m_hMenu != m_hMenu) {
        level = nullptr;
        for (auto& popup : m_ownedPopups) {
            std::vector<CIconMenu*> stack{popup.get()};
            while (!stack.empty() && !level) {
                CIconMenu* m = stack.back();
                stack.pop_back();
                if (m->m_hMenu == menu->m_hMenu) level = m;
                for (auto& p : m->m_ownedPopups) stack.push_back(p.get());
            }
            if (level) break;
        }
        if (!level) return 0;
    }
    if (level->GetMenuItemCount() != level->m_records.size()) level->ResyncItems();
    const std::u16string key{u'&', LowerWide(static_cast<char16_t>(ch))};
    for (size_t pos = 0; pos < level->m_records.size(); ++pos) {
        if (LowerWide(level->m_records[pos]->text).find(key) != std::u16string::npos)
            return MAKELRESULT(static_cast<WORD>(pos), MNC_EXECUTE);
    }
    return 0;
}

BOOL CIconMenu::DestroyMenu() {
    Unregister(m_hMenu);
    for (HMENU sub : m_subMenus) Unregister(sub);
    m_subMenus.clear();
    // The popups die with this menu: detach them first, the handle's own
    // destruction frees their items.
    for (auto& popup : m_ownedPopups) {
        popup->m_records.clear();
        popup->DestroyMenu();
    }
    m_ownedPopups.clear();
    m_records.clear();
    m_loaded = 0;
    return m_hMenu ? CMenu::DestroyMenu() : FALSE;
}
