#include "platform/afx/core/resource.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/win/codepage.h"
#include "platform/win/errors.h"
#include "platform/win/memory.h"

namespace {

std::atomic<HINSTANCE> g_resourceHandle{nullptr};
std::atomic<HINSTANCE> g_instanceHandle{nullptr};

std::mutex& AttachedLock() {
    static std::mutex lock;
    return lock;
}
std::map<HMODULE, const SuiteResourceTable*>& AttachedTables() {
    static auto* tables = new std::map<HMODULE, const SuiteResourceTable*>;
    return *tables;
}

const SuiteResourceTable* TableOf(HMODULE module) {
    if (!module) return nullptr;
    {
        std::lock_guard<std::mutex> hold(AttachedLock());
        auto it = AttachedTables().find(module);
        if (it != AttachedTables().end()) return it->second;
    }
    DWORD keep = GetLastError();
    auto* table = reinterpret_cast<const SuiteResourceTable*>(GetProcAddress(module, SUITE_RESOURCE_TABLE_SYMBOL));
    SetLastError(keep);
    return (table && table->magic == kSuiteResourceMagic) ? table : nullptr;
}

// A resource id or name as given by the caller.
struct Key {
    DWORD id = 0;
    std::string name;  // upper case; empty for an id
};

Key MakeKey(LPCSTR text) {
    Key k;
    if (IS_INTRESOURCE(text)) {
        k.id = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(text));
        return k;
    }
    if (text[0] == '#') {
        k.id = static_cast<DWORD>(std::strtoul(text + 1, nullptr, 10));
        return k;
    }
    for (const char* p = text; *p; ++p) {
        char c = *p;
        k.name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return k;
}

bool Matches(const SuiteResourceEntry& e, const Key& k) {
    if (k.name.empty()) return !e.name && e.id == k.id;
    return e.name && k.name == e.name;
}

const SuiteResourceEntry* FindIn(HMODULE module, DWORD type, const Key& name) {
    const SuiteResourceTable* table = TableOf(module);
    if (!table) return nullptr;
    for (DWORD i = 0; i < table->count; ++i) {
        const SuiteResourceEntry& e = table->entries[i];
        if (e.type == type && Matches(e, name)) return &e;
    }
    return nullptr;
}

// Searches the given module, or the current resource module then the program.
const SuiteResourceEntry* FindKey(HMODULE module, DWORD t, const Key& key, HMODULE* foundIn = nullptr) {
    HMODULE order[2] = {module, nullptr};
    if (!module) {
        order[0] = AfxGetResourceHandle();
        order[1] = AfxGetInstanceHandle();
        if (order[1] == order[0]) order[1] = nullptr;
    }
    for (HMODULE m : order) {
        if (const SuiteResourceEntry* e = FindIn(m, t, key)) {
            if (foundIn) *foundIn = m;
            return e;
        }
    }
    return nullptr;
}

const SuiteResourceEntry* Find(HMODULE module, LPCSTR name, LPCSTR type, HMODULE* foundIn = nullptr) {
    if (!name || !type || !IS_INTRESOURCE(type)) return nullptr;
    return FindKey(module, static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(type)), MakeKey(name), foundIn);
}

constexpr DWORD kResourceNameNotFound = 1814;  // ERROR_RESOURCE_NAME_NOT_FOUND

const SuiteResourceEntry* FindOrFail(HMODULE module, LPCSTR name, LPCSTR type) {
    const SuiteResourceEntry* e = Find(module, name, type);
    if (!e) SetLastError(kResourceNameNotFound);
    return e;
}

// A string by its id, which may be 0 (not a MAKEINTRESOURCE name) but never
// more than 16 bits.
const SuiteResourceEntry* FindString(HMODULE module, UINT id) {
    const SuiteResourceEntry* e = nullptr;
    if (id <= 0xFFFF) {
        Key key;
        key.id = id;
        e = FindKey(module, 6 /* RT_STRING */, key);
    }
    if (!e) SetLastError(kResourceNameNotFound);
    return e;
}

struct AccelTable {
    std::vector<ACCEL> entries;
};

// Little-endian reader over a resource's bytes; every read is bounds-checked.
class Reader {
public:
    Reader(const void* data, DWORD size) : m_p(static_cast<const BYTE*>(data)), m_size(data ? size : 0) {}
    bool Word(WORD& v) {
        if (m_pos + 2 > m_size) return false;
        v = static_cast<WORD>(m_p[m_pos] | (m_p[m_pos + 1] << 8));
        m_pos += 2;
        return true;
    }
    bool Short(SHORT& v) {
        WORD w;
        if (!Word(w)) return false;
        v = static_cast<SHORT>(w);
        return true;
    }
    bool Dword(DWORD& v) {
        WORD lo, hi;
        if (!Word(lo) || !Word(hi)) return false;
        v = static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16);
        return true;
    }
    bool Skip(DWORD n) {
        if (n > m_size - m_pos) return false;
        m_pos += n;
        return true;
    }
    // A NUL-terminated UTF-16 text.
    bool WideText(std::u16string& out) {
        out.clear();
        for (;;) {
            WORD w;
            if (!Word(w)) return false;
            if (w == 0) return true;
            out += static_cast<char16_t>(w);
        }
    }
    // A WORD byte count and that many UTF-8 bytes.
    bool Utf8Text(std::string& out) {
        WORD n;
        if (!Word(n) || n > m_size - m_pos) return false;
        out.assign(reinterpret_cast<const char*>(m_p + m_pos), n);
        m_pos += n;
        return true;
    }
    bool AtEnd() const { return m_pos == m_size; }

private:
    const BYTE* m_p;
    DWORD m_size;
    DWORD m_pos = 0;
};

CString Ansi(const std::string& utf8) { return CString(std::string_view(suite::Utf8ToAnsi(utf8))); }
CString Ansi(const std::u16string& text) { return CString(std::string_view(suite::Utf16ToAnsi(text))); }

// Reads one level of menu items up to and including the one flagged MF_END.
bool ParseMenuLevel(Reader& r, std::vector<CMenuTemplateItem>& out, int depth) {
    if (depth > 16) return false;
    for (;;) {
        WORD flags;
        if (!r.Word(flags)) return false;
        CMenuTemplateItem item;
        item.flags = flags & ~MF_END;
        if (!(flags & MF_POPUP)) {
            WORD id;
            if (!r.Word(id)) return false;
            item.id = id;
        }
        std::u16string text;
        if (!r.WideText(text)) return false;
        item.text = Ansi(text);
        if (flags & MF_POPUP) {
            if (!ParseMenuLevel(r, item.children, depth + 1)) return false;
        } else if (item.id == 0 && item.text.IsEmpty()) {
            item.flags |= MF_SEPARATOR;
        }
        out.push_back(std::move(item));
        if (flags & MF_END) return true;
    }
}

}  // namespace

HINSTANCE AfxGetResourceHandle() {
    HINSTANCE h = g_resourceHandle.load();
    return h ? h : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE module) { g_resourceHandle.store(module); }

HINSTANCE AfxExchangeResourceHandle(HINSTANCE module) { return g_resourceHandle.exchange(module); }

void AfxAttachResourceTable(HMODULE module, const SuiteResourceTable* table) {
    if (!module) return;
    std::lock_guard<std::mutex> hold(AttachedLock());
    if (table && table->magic == kSuiteResourceMagic)
        AttachedTables()[module] = table;
    else
        AttachedTables().erase(module);
}

HINSTANCE AfxGetInstanceHandle() {
    HINSTANCE h = g_instanceHandle.load();
    return h ? h : GetModuleHandleA(nullptr);
}

void AfxSetInstanceHandle(HINSTANCE module) { g_instanceHandle.store(module); }

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    return reinterpret_cast<HRSRC>(const_cast<SuiteResourceEntry*>(FindOrFail(module, name, type)));
}

HMODULE AfxFindResourceHandle(LPCSTR name, LPCSTR type) {
    HMODULE found = nullptr;
    return Find(nullptr, name, type, &found) ? found : nullptr;
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
    (void)module;
    if (!resource) return nullptr;
    return const_cast<BYTE*>(reinterpret_cast<const SuiteResourceEntry*>(resource)->data);
}

LPVOID LockResource(HGLOBAL loaded) { return loaded; }

DWORD SizeofResource(HMODULE module, HRSRC resource) {
    (void)module;
    return resource ? reinterpret_cast<const SuiteResourceEntry*>(resource)->size : 0;
}

BOOL FreeResource(HGLOBAL loaded) {
    (void)loaded;
    return FALSE;
}

int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    CString text;
    if (module) {
        const SuiteResourceEntry* e = FindString(module, id);
        if (!e) return 0;
        text = Ansi(std::string(reinterpret_cast<const char*>(e->data), e->size));
    } else if (!AfxLoadString(id, text)) {
        return 0;
    }
    int n = std::min(text.GetLength(), size - 1);
    int cut = 0;
    while (cut < n) {
        int len = AfxCharLength(static_cast<LPCTSTR>(text) + cut);
        if (cut + len > n) break;
        cut += len;
    }
    std::memcpy(buffer, static_cast<LPCTSTR>(text), static_cast<size_t>(cut));
    buffer[cut] = '\0';
    return cut;
}

BOOL AfxLoadString(UINT id, CString& out) {
    const SuiteResourceEntry* e = FindString(nullptr, id);
    if (!e) return FALSE;
    out = Ansi(std::string(reinterpret_cast<const char*>(e->data), e->size));
    return TRUE;
}

CString AfxLoadString(UINT id) {
    CString text;
    AfxLoadString(id, text);
    return text;
}

HACCEL LoadAcceleratorsA(HINSTANCE module, LPCSTR name) {
    const SuiteResourceEntry* e = FindOrFail(module, name, RT_ACCELERATOR);
    if (!e) return nullptr;
    auto* table = new AccelTable;
    Reader r(e->data, e->size);
    for (;;) {
        WORD flags, key, cmd, pad;
        if (!r.Word(flags) || !r.Word(key) || !r.Word(cmd) || !r.Word(pad)) break;
        table->entries.push_back(ACCEL{static_cast<BYTE>(flags & 0x7F), key, cmd});
        if (flags & 0x80) break;
    }
    return reinterpret_cast<HACCEL>(table);
}

int CopyAcceleratorTableA(HACCEL handle, LPACCEL entries, int count) {
    auto* table = reinterpret_cast<AccelTable*>(handle);
    if (!table) return 0;
    if (!entries) return static_cast<int>(table->entries.size());
    int n = std::clamp(count, 0, static_cast<int>(table->entries.size()));
    for (int i = 0; i < n; ++i) entries[i] = table->entries[static_cast<size_t>(i)];
    return n;
}

HACCEL CreateAcceleratorTableA(LPACCEL entries, int count) {
    if (!entries || count <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* table = new AccelTable;
    table->entries.assign(entries, entries + count);
    return reinterpret_cast<HACCEL>(table);
}

BOOL DestroyAcceleratorTable(HACCEL table) {
    if (!table) return FALSE;
    delete reinterpret_cast<AccelTable*>(table);
    return TRUE;
}

BOOL AfxParseMenuTemplate(const void* data, DWORD size, CMenuTemplate& out) {
    out.items.clear();
    Reader r(data, size);
    WORD version, headerSize;
    if (!r.Word(version) || !r.Word(headerSize) || version != 0 || !r.Skip(headerSize)) return FALSE;
    if (r.AtEnd()) return TRUE;  // an empty menu
    if (!ParseMenuLevel(r, out.items, 0)) {
        out.items.clear();
        return FALSE;
    }
    return TRUE;
}

BOOL AfxLoadMenuTemplate(HINSTANCE module, LPCSTR name, CMenuTemplate& out) {
    const SuiteResourceEntry* e = FindOrFail(module, name, RT_MENU);
    return e && AfxParseMenuTemplate(e->data, e->size, out);
}

const CDialogItemTemplate* CDialogTemplate::FindItem(WORD id) const {
    for (const CDialogItemTemplate& item : items) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

BOOL AfxParseDialogTemplate(const void* data, DWORD size, CDialogTemplate& out) {
    out = CDialogTemplate();
    Reader r(data, size);
    DWORD magic;
    WORD count;
    std::string caption, font, menu, cls;
    if (!r.Dword(magic) || magic != 0x474C4453u /* "SDLG" */ || !r.Dword(out.style) || !r.Dword(out.exStyle) ||
        !r.Short(out.x) || !r.Short(out.y) || !r.Short(out.cx) || !r.Short(out.cy) || !r.Word(out.pointSize) ||
        !r.Word(count) || !r.Utf8Text(caption) || !r.Utf8Text(font) || !r.Utf8Text(menu) || !r.Utf8Text(cls)) {
        out = CDialogTemplate();
        return FALSE;
    }
    out.caption = Ansi(caption);
    out.fontName = Ansi(font);
    out.menu = Ansi(menu);
    out.className = Ansi(cls);
    for (WORD i = 0; i < count; ++i) {
        CDialogItemTemplate item;
        std::string itemClass, text;
        if (!r.Word(item.id) || !r.Dword(item.style) || !r.Dword(item.exStyle) || !r.Short(item.x) ||
            !r.Short(item.y) || !r.Short(item.cx) || !r.Short(item.cy) || !r.Utf8Text(itemClass) ||
            !r.Utf8Text(text)) {
            out = CDialogTemplate();
            return FALSE;
        }
        item.className = Ansi(itemClass);
        item.text = Ansi(text);
        out.items.push_back(std::move(item));
    }
    return TRUE;
}

BOOL AfxLoadDialogTemplate(HINSTANCE module, LPCSTR name, CDialogTemplate& out) {
    const SuiteResourceEntry* e = FindOrFail(module, name, RT_DIALOG);
    return e && AfxParseDialogTemplate(e->data, e->size, out);
}

BOOL AfxParseToolBarTemplate(const void* data, DWORD size, CToolBarTemplate& out) {
    out = CToolBarTemplate();
    Reader r(data, size);
    WORD version, count;
    if (!r.Word(version) || version != 1 || !r.Word(out.width) || !r.Word(out.height) || !r.Word(count)) return FALSE;
    for (WORD i = 0; i < count; ++i) {
        WORD id;
        if (!r.Word(id)) {
            out = CToolBarTemplate();
            return FALSE;
        }
        out.ids.push_back(id);
    }
    return TRUE;
}

BOOL AfxLoadToolBarTemplate(HINSTANCE module, LPCSTR name, CToolBarTemplate& out) {
    const SuiteResourceEntry* e = FindOrFail(module, name, RT_TOOLBAR);
    return e && AfxParseToolBarTemplate(e->data, e->size, out);
}

HDIB AfxLoadDIBResource(HINSTANCE module, LPCSTR name) {
    const SuiteResourceEntry* e = FindOrFail(module, name, RT_BITMAP);
    if (!e || e->size < sizeof(BITMAPINFOHEADER)) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, e->size);
    if (!block) return nullptr;
    std::memcpy(GlobalLock(block), e->data, e->size);
    GlobalUnlock(block);
    return block;
}
