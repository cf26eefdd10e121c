// A document with a recognised page, a text view controller over it and a
// host that records what the controller asks of its window.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "imaging/page_image.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/result/tests/result_fixtures.h"
#include "platform/afx/afxwin.h"
#include "views/tests/fake_view_host.h"
#include "views/text/text_view_controller.h"

inline CWinApp theTextViewTestApp("TextViewTests");

// A blank 1-bit page of the given size becomes the document's page image.
inline bool GiveBlankPage(COcrDoc& doc, int width, int height) {
    delete doc.m_pImage;
    doc.m_pImage = new CPageImage();
    doc.m_pImage->m_nWidth = width;
    doc.m_pImage->m_nHeight = height;
    doc.m_pImage->m_nBitCount = 1;
    return doc.m_pImage->AllocBits(doc.m_pImage->PlaneBytes()) != FALSE;
}

// Top-level regions holding these line counts, stacked down the page.
inline bool GiveRegions(COcrDoc& doc, const std::vector<int>& counts, int width = 1000, int height = 2000) {
    delete doc.m_pPageRegion;
    doc.m_pPageRegion = new CPageRegion(RECT{0, 0, width, height});
    int top = 10;
    for (int count : counts) {
        if (!doc.m_pPageRegion->AddRegionEx(RECT{10, top, width / 2, top + 100}, 1, count)) return false;
        top += 120;
    }
    doc.RebuildLineCounts();
    return true;
}

struct RecordingTextHost : CTextViewHost {
    std::vector<std::pair<int, int>> lines;  // invalidated line ranges
    int textInvalidations = 0;
    TextCaretShape caret;
    int caretPlacements = 0;
    std::vector<BYTE> image = std::vector<BYTE>(128, 0xEE);
    int images = 0;
    std::vector<WORD> candidates;
    WORD panel[11] = {};
    std::vector<RECT> frames;
    int lastLine = -1, topRow = -1, firstCol = -1;
    int focusTaken = 0;
    bool captured = false;
    int relayouts = 0;
    bool exportOk = true;
    std::string exportPath;
    int exports = 0;

    RecordingTextHost() { std::fill(std::begin(panel), std::end(panel), kBlankCandidate); }

    void InvalidateLines(int first, int last) override { lines.emplace_back(first, last); }
    void InvalidateText(bool) override { ++textInvalidations; }
    void PlaceCaret(const TextCaretShape& c) override {
        caret = c;
        ++caretPlacements;
    }
    void ShowCharImage(const BYTE* image128) override {
        image.assign(image128, image128 + 128);
        ++images;
    }
    void ShowCandidates(const WORD* codes, int count) override {
        candidates.assign(codes, codes + count);
        // The panel shows what it was given, a 0 byte as a space.
        for (int k = 1; k <= 10; ++k) {
            WORD c = k <= count ? codes[k - 1] : kBlankCandidate;
            BYTE lo = static_cast<BYTE>(c & 0xFF), hi = static_cast<BYTE>(c >> 8);
            panel[k] = static_cast<WORD>((lo ? lo : ' ') | ((hi ? hi : ' ') << 8));
        }
    }
    WORD PanelCandidate(int k) const override { return k >= 1 && k <= 10 ? panel[k] : kBlankCandidate; }
    void FrameCharBox(const RECT& box) override { frames.push_back(box); }
    void SetScrollBars(int last, int top, int first) override {
        lastLine = last;
        topRow = top;
        firstCol = first;
    }
    void TakeFocus() override { ++focusTaken; }
    void CaptureMouse(bool on) override { captured = on; }
    HWND ClipboardOwner() const override { return nullptr; }
    void RelayoutPanel() override { ++relayouts; }
    bool ExportForEditor(std::string* path) override {
        ++exports;
        if (!exportOk) return false;
        *path = exportPath;
        return true;
    }
};

class TextViewTest : public ::testing::Test {
protected:
    CFakeViewHost shell;
    COcrDoc doc;
    RecordingTextHost host;
    CTextViewController view{&doc, &host};

    void SetUp() override {
        AfxWinInit();
        view.SetCell(SIZE{8, 16});
        view.SetTextArea(RECT{0, 64, 640, 64 + 16 * 20});
    }

    // Loads the text (lines joined by CR LF, every one ended by one) with
    // the records, and a page whose regions hold these line counts.
    void Load(const std::string& text, const std::vector<RecoCharInfo>& records, const std::vector<int>& regions) {
        ASSERT_TRUE(LoadText(doc, text, records));
        ASSERT_TRUE(GiveRegions(doc, regions));
        view.ResetView();
        view.UpdateCaret(true);
    }
    // Plain lines, each with its CR LF, in one region.
    void LoadPlain(const std::string& text) {
        int lines = 0;
        for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++lines;
        Load(text, {}, {lines});
    }

    std::string Plain() const { return doc.PlainText(0, doc.m_nTextLen); }
    std::string Raw() const { return std::string(doc.Text()); }
    void Type(const std::string& bytes) {
        for (char c : bytes) view.OnChar(static_cast<BYTE>(c));
    }
    void Key(UINT vk, bool shift = false, bool ctrl = false) { view.OnKeyDown(vk, shift, ctrl); }
    void Caret(int row, int col) {
        // Through the keyboard, as a user would get there.
        Key(VK_HOME, false, true);
        for (int r = 0; r < row; ++r) Key(VK_DOWN);
        Key(VK_HOME);
        while (view.caretCol() < col) Key(VK_RIGHT);
    }
    std::vector<int> Counts() const {
        std::vector<int> out;
        for (int i = 0; i < doc.m_pPageRegion->GetChildCount(); ++i) out.push_back(doc.m_pPageRegion->GetChild(i)->m_nLines);
        return out;
    }
    int CountSum() const {
        int sum = 0;
        for (int c : Counts()) sum += c;
        return sum;
    }
    void SetInsert(bool on) { shell.insertMode = on; }
};
