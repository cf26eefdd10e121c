#include "shell/frame/cool_menu_model.h"

#include <algorithm>
#include <cctype>

#include "shell/frame/tool_bar_look.h"

CoolMenuItem* CoolMenuRecords::Create(const CString& text, UINT type, int image) {
    auto record = std::make_unique<CoolMenuItem>();
    record->text = text;
    record->type = type;
    record->image = image;
    CoolMenuItem* raw = record.get();
    records_[raw] = std::move(record);
    return raw;
}

CoolMenuItem* CoolMenuRecords::Find(DWORD_PTR data) const {
    auto it = records_.find(reinterpret_cast<const CoolMenuItem*>(data));
    return it == records_.end() ? nullptr : it->second.get();
}

void CoolMenuRecords::Delete(CoolMenuItem* record) { records_.erase(record); }

BOOL MenuButtonImages::LoadToolbar(UINT id) {
    CToolBarTemplate toolbar;
    if (!AfxLoadToolBarTemplate(AfxGetResourceHandle(), MAKEINTRESOURCE(id), toolbar)) return FALSE;
    CBitmap bitmap;
    if (!bitmap.LoadBitmap(id)) return FALSE;
    return AddToolbar(id, toolbar, bitmap);
}

BOOL MenuButtonImages::AddToolbar(UINT id, const CToolBarTemplate& toolbar, CBitmap& bitmap) {
    const CSize size(toolbar.width, toolbar.height);
    if (size.cx <= 0 || size.cy <= 0) return FALSE;
    if (list_.GetImageCount() == 0 && imageSize_ == CSize(0, 0)) {
        if (!list_.Create(size.cx, size.cy, ILC_COLOR24 | ILC_MASK, 0, 8)) return FALSE;
        imageSize_ = size;
    } else if (size != imageSize_) {
        return FALSE;
    }
    const int first = list_.Add(&bitmap, BitmapBackground(bitmap));
    if (first < 0) return FALSE;
    int next = first;
    for (WORD command : toolbar.ids) {
        if (command == 0) continue;
        if (!images_.count(command)) images_[command] = next;
        ++next;
    }
    loaded_.push_back(id);
    return TRUE;
}

int MenuButtonImages::ImageOf(UINT command) const {
    auto it = images_.find(command);
    return it == images_.end() ? -1 : it->second;
}

CSize MenuButtonImages::ButtonSize() const {
    if (imageSize_ == CSize(0, 0)) return CSize(0, 0);
    return CSize(imageSize_.cx + 4, imageSize_.cy + 4);
}

void MenuButtonImages::Clear() {
    list_.DeleteImageList();
    images_.clear();
    imageSize_ = CSize(0, 0);
    loaded_.clear();
}

namespace {
std::string KeyText(const ACCEL& a) {
    if (!(a.fVirt & FVIRTKEY)) return std::string(1, static_cast<char>(a.key));
    const UINT scan = MapVirtualKey(a.key, MAPVK_VK_TO_VSC);
    LONG lParam = static_cast<LONG>((scan & 0xFF) << 16);
    if (scan & 0xE000) lParam |= 1L << 24;
    char name[64] = {};
    GetKeyNameText(lParam, name, sizeof name);
    return name;
}
}  // namespace

std::string AcceleratorText(const std::vector<ACCEL>& table, UINT command) {
    std::string text;
    for (const ACCEL& a : table) {
        if (a.cmd != command) continue;
        if (!text.empty()) text += ", ";
        if (a.fVirt & FALT) text += "Alt+";
        if (a.fVirt & FCONTROL) text += "Ctrl+";
        if (a.fVirt & FSHIFT) text += "Shift+";
        text += KeyText(a);
    }
    return text;
}

CString WithAccelerator(const CString& text, const std::string& accelerator) {
    if (accelerator.empty()) return text;
    const int tab = text.Find('\t');
    CString out = tab >= 0 ? text.Left(tab) : text;
    out += "\t";
    out += accelerator.c_str();
    return out;
}

namespace {
// The character after the first '&' of an item's text, upper-cased; 0 for none.
int MnemonicOf(const CString& text) {
    const int amp = text.Find('&');
    if (amp < 0 || amp + 1 >= text.GetLength()) return 0;
    return std::toupper(static_cast<unsigned char>(text[amp + 1]));
}
}  // namespace

LRESULT MnemonicAnswer(const std::vector<CString>& texts, int highlighted, UINT ch) {
    const int wanted = std::toupper(static_cast<int>(ch & 0xFF));
    std::vector<int> matches;
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (MnemonicOf(texts[i]) == wanted && wanted) matches.push_back(static_cast<int>(i));
    if (matches.empty()) return 0;
    if (matches.size() == 1) return MAKELRESULT(matches[0], MNC_EXECUTE);
    for (int m : matches)
        if (m > highlighted) return MAKELRESULT(m, MNC_SELECT);
    return MAKELRESULT(matches[0], MNC_SELECT);
}

CSize CoolMenuItemSize(bool separator, CSize text, CSize button, int menuBarHeight, int checkWidth) {
    if (separator) return CSize(0, menuBarHeight / 2);
    return CSize(2 * button.cx + text.cx - checkWidth + 5, std::max<int>(text.cy, menuBarHeight));
}

int PopupLeftOnScreen(int buttonLeft, int menuWidth, int screenWidth) {
    return std::max(0, std::min(buttonLeft, screenWidth - menuWidth));
}
