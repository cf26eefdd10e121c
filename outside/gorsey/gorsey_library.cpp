// The edge-fill library's table: version, end, and the settings page (a
// child window of labels and edits over the fields of edge_fill_fields).
#include <map>
#include <memory>

#include "outside/gorsey/edge_fill_fields.h"
#include "outside/include/library_export.h"
#include "platform/afx/afxwin.h"

namespace {

class EdgeFillPage : public CWnd {
public:
    bool create(const RECT& area, HWND host, const EDGEFILL_SETTINGS& settings) {
        if (!CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, area.left, area.top, area.right - area.left,
                      area.bottom - area.top, host, nullptr))
            return false;
        std::array<std::string, gorsey::kFieldCount> texts = gorsey::FieldsOf(settings);
        for (int f = 0; f < gorsey::kFieldCount; ++f) {
            int y = 8 + f * 26;
            RECT labelArea{8, y + 3, 190, y + 21}, editArea{196, y, 300, y + 22};
            labels_[f].Create(gorsey::FieldLabel(f), WS_CHILD | WS_VISIBLE, labelArea, this);
            edits_[f].Create(WS_CHILD | WS_VISIBLE | WS_BORDER, editArea, this, UINT(2000 + f));
            edits_[f].SetWindowText(texts[std::size_t(f)].c_str());
        }
        return true;
    }
    bool read(EDGEFILL_SETTINGS& settings) {
        std::array<std::string, gorsey::kFieldCount> texts;
        for (int f = 0; f < gorsey::kFieldCount; ++f) {
            CString t;
            edits_[f].GetWindowText(t);
            texts[std::size_t(f)] = t.GetString();
        }
        return gorsey::ReadFields(texts, settings);
    }

private:
    CStatic labels_[gorsey::kFieldCount];
    CEdit edits_[gorsey::kFieldCount];
};

std::map<HWND, std::unique_ptr<EdgeFillPage>>& pages() {
    static std::map<HWND, std::unique_ptr<EdgeFillPage>> all;
    return all;
}

int version() { return 1; }

void terminate() {
    for (auto& [hwnd, page] : pages()) page->DestroyWindow();
    pages().clear();
}

HWND createPage(const RECT* area, HWND host, const RECT*, const EDGEFILL_SETTINGS* settings) {
    if (!area || !host || !settings) return nullptr;
    auto page = std::make_unique<EdgeFillPage>();
    if (!page->create(*area, host, *settings)) return nullptr;
    HWND hwnd = page->GetSafeHwnd();
    pages()[hwnd] = std::move(page);
    return hwnd;
}

int readPage(HWND hwnd, EDGEFILL_SETTINGS* settings) {
    auto it = pages().find(hwnd);
    if (it == pages().end() || !settings) return 0;
    return it->second->read(*settings) ? 1 : 0;
}

void destroyPage(HWND hwnd, EDGEFILL_SETTINGS*) {
    auto it = pages().find(hwnd);
    if (it == pages().end()) return;
    it->second->DestroyWindow();
    pages().erase(it);
}

const GORSEY_FUNCTIONTABLE table = {version, terminate, createPage, readPage, destroyPage};

}  // namespace

SUITE_LIBRARY_EXPORT const GORSEY_FUNCTIONTABLE* Gorsey_GetFunctionTable() { return &table; }
