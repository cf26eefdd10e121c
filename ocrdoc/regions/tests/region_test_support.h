// Shared pieces of the region tests: a page list with one row whose page
// type the test chooses, and 1-bit pages drawn by the tests.
#pragma once

#include <string>
#include <vector>

#include "imaging/page_image.h"
#include "ocrdoc/document_host.h"

class CFakePageList final : public CDocumentHost {
public:
    int row = 0;
    std::string pageType;
    std::vector<std::string> messages;

    CFakePageList() { SetDocumentHost(this); }
    ~CFakePageList() override { SetDocumentHost(nullptr); }

    std::string CurrentDocumentPath() const override { return {}; }
    int PageListCurrentRow() const override { return row; }
    int PageListRowCount() const override { return row >= 0 ? 1 : 0; }
    std::string PageListItemText(int r, int column) const override {
        return r == row && column == kPageListType ? pageType : std::string();
    }
    bool IsSimplified() const override { return true; }
    WORD SystemLanguageId() const override { return 2052; }
    std::string DataFolder() const override { return {}; }
    std::string ProgramFolder() const override { return {}; }
    int DefaultResolution() const override { return 300; }
    int MessageBox(const std::string& text, const std::string&, UINT) override {
        messages.push_back(text);
        return IDOK;
    }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void ClearProgress() override {}
    void DrawProgress(int, int, int) override {}
    void RefreshProgress() override {}
};

// "手写" as the page list shows it.
inline const std::string kHandwritingType = "\xCA\xD6\xD0\xB4";

// A white 1-bit page of the given size.
inline bool MakeWhitePage(CPageImage& page, int width, int height) {
    page.m_nWidth = width;
    page.m_nHeight = height;
    page.m_nBitCount = 1;
    return page.AllocBits(page.PlaneBytes()) != FALSE;
}

// Blackens the inclusive rectangle.
inline void FillBlack(CPageImage& page, int l, int t, int r, int b) {
    auto* bits = static_cast<BYTE*>(GlobalLock(page.m_hBits));
    for (int y = t; y <= b; ++y)
        for (int x = l; x <= r; ++x) bits[y * page.RowBytes() + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    GlobalUnlock(page.m_hBits);
}
