// Random sequences of typed bytes, pastes, deletions, selections, candidates
// and undos on a recognised page, through the text view's controller. After
// every step the text keeps its form (whole recognised units, CR LF pairs
// only, a final CR LF, lines of at most 512 display bytes) and the region
// line counts add up to the line count; undoing everything, while the history
// still holds it all, brings back the starting text, records and counts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/helpers/reco_unit.h"
#include "platform/afx/afxwin.h"
#include "platform/afx/core/clipboard.h"
#include "platform/win/memory.h"
#include "shell/tests/fake_shell_services.h"
#include "views/text/text_view_controller.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

CWinApp theFuzzApp("TextViewFuzzer");

// The host keeps what the panel would show, for the candidate keys.
struct Host : CTextViewHost {
    WORD panel[11] = {};
    void InvalidateLines(int, int) override {}
    void InvalidateText(bool) override {}
    void PlaceCaret(const TextCaretShape&) override {}
    void ShowCharImage(const BYTE*) override {}
    void ShowCandidates(const WORD* codes, int count) override {
        for (int k = 1; k <= 10; ++k) {
            WORD c = k <= count ? codes[k - 1] : kBlankCandidate;
            BYTE lo = static_cast<BYTE>(c & 0xFF), hi = static_cast<BYTE>(c >> 8);
            panel[k] = static_cast<WORD>((lo ? lo : ' ') | ((hi ? hi : ' ') << 8));
        }
    }
    WORD PanelCandidate(int k) const override { return panel[k]; }
    void FrameCharBox(const RECT&) override {}
    void SetScrollBars(int, int, int) override {}
    void TakeFocus() override {}
    void CaptureMouse(bool) override {}
    HWND ClipboardOwner() const override { return nullptr; }
    void RelayoutPanel() override {}
    bool ExportForEditor(std::string*) override { return false; }
};

std::string Unit(BYTE b1, BYTE b2, unsigned index) {
    return std::string{static_cast<char>(0x80), static_cast<char>(b1), static_cast<char>(b2),
                       static_cast<char>(index & 0xFF), static_cast<char>(index >> 8), static_cast<char>(0x80)};
}

// A page: plain, double-byte, recognised and table-frame characters over three regions.
void MakePage(COcrDoc& doc) {
    std::vector<RecoCharInfo> records;
    auto record = [&records](char cls, WORD c0, WORD c1) {
        RecoCharInfo r{};
        r.chClass = static_cast<BYTE>(cls);
        r.nBoxAlong = static_cast<SHORT>(10 + 20 * records.size());
        r.nBoxAcross = 20;
        r.nBoxLen = 18;
        r.nBoxThick = 18;
        r.nLineX = 10;
        r.nLineY = 20;
        r.nLineThick = 18;
        r.nLineLen = 300;
        r.wCand[0] = c0;
        r.wCand[1] = c1;
        r.wCand[2] = static_cast<WORD>('q' << 8);
        records.push_back(r);
        return static_cast<unsigned>(records.size() - 1);
    };
    std::string text = "Plain line one\r\n";
    text += Unit(0xD6, 0xD0, record('A', 0xD0D6, 0xC4CE)) + Unit(0xCE, 0xC4, record('D', 0xC4CE, 0xA1B0));
    text += "ab" + Unit(0, 'x', record('E', static_cast<WORD>('x' << 8), 0xD0D6)) + "\xB0\xA1\r\n";
    text += "\r\n";
    text += "\xA9\xA7" "cell" "\xA9\xA7" "\r\n";  // a table row in the GB frame set
    text += "last " + Unit(0xB0, 0xA2, record('C', 0xA2B0, 0)) + "\r\n";
    Require(doc.LoadSaved(1, reinterpret_cast<const BYTE*>(text.data()), static_cast<UINT>(text.size()),
                          reinterpret_cast<const BYTE*>(records.data()),
                          static_cast<UINT>(records.size() * sizeof(RecoCharInfo))) != FALSE);
    doc.m_pPageRegion = new CPageRegion(RECT{0, 0, 1000, 1000});
    const int counts[3] = {2, 0, 3};
    int top = 10;
    for (int c : counts) {
        Require(doc.m_pPageRegion->AddRegionEx(RECT{10, top, 500, top + 100}, 1, c) != nullptr);
        top += 150;
    }
    doc.RebuildLineCounts();
}

void CheckForm(COcrDoc& doc, CTextViewController& view) {
    const std::string_view t = doc.Text();
    Require(t.size() >= 2 && t.substr(t.size() - 2) == "\r\n");
    UINT lines = 0;
    int lineBytes = 0;
    for (std::size_t p = 0; p < t.size();) {
        const BYTE b = static_cast<BYTE>(t[p]);
        if (b == 0x80) {
            Require(p + 6 <= t.size() && static_cast<BYTE>(t[p + 5]) == 0x80);
            const UINT index = dochelpers::RecoUnitIndex(t.data() + p);
            Require(index < doc.RecordCount());
            lineBytes += t[p + 1] ? 2 : 1;
            p += 6;
        } else if (b == 13) {
            Require(p + 1 < t.size() && t[p + 1] == '\n');
            Require(lineBytes <= kTextLineCapacity);
            lineBytes = 0;
            ++lines;
            p += 2;
        } else if (b >= 0x81 && b <= 0xFE && p + 1 < t.size() && static_cast<BYTE>(t[p + 1]) >= 0x40 &&
                   static_cast<BYTE>(t[p + 1]) != 0x7F && static_cast<BYTE>(t[p + 1]) != 0xFF) {
            // A double-byte character (its trail may be 0x80).
            lineBytes += 2;
            p += 2;
        } else {
            Require(b != 10);
            ++lineBytes;
            ++p;
        }
    }
    Require(lines == doc.m_nLineCount);
    long long sum = 0;
    for (int i = 0; i < doc.m_pPageRegion->GetChildCount(); ++i) sum += doc.m_pPageRegion->GetChild(i)->m_nLines;
    Require(sum == static_cast<long long>(lines));
    Require(view.caretRow() >= 0 && view.caretRow() < view.LineCount());
    Require(view.caretCol() == view.SnapColumn(view.caretRow(), view.caretCol()));
}

void PutClipboard(const std::string& bytes) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
    if (block) {
        std::memcpy(GlobalLock(block), bytes.c_str(), bytes.size() + 1);
        GlobalUnlock(block);
        if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
}

const UINT kKeys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_TAB};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    AfxWinInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size > 2048) return 0;
    CFakeShellServices shell;
    shell.simplified = true;
    COcrDoc doc;
    MakePage(doc);
    Host host;
    CTextViewController view(&doc, &host);
    view.SetCell(SIZE{8, 16});
    view.SetTextArea(RECT{0, 64, 400, 64 + 16 * 12});
    view.ResetView();
    view.UpdateCaret(true);
    const std::string startText(doc.Text());
    std::vector<RecoCharInfo> startRecords(doc.m_pChars, doc.m_pChars + doc.RecordCount());
    std::vector<int> startCounts;
    for (int i = 0; i < doc.m_pPageRegion->GetChildCount(); ++i) startCounts.push_back(doc.m_pPageRegion->GetChild(i)->m_nLines);

    bool historyHolds = true;
    size_t p = 0;
    auto next = [&]() -> BYTE { return p < size ? data[p++] : 0; };
    while (p < size) {
        const BYTE op = next();
        const int before = doc.m_actions.Length();
        const size_t messages = shell.messages.size();
        bool undo = false;
        switch (op % 14) {
        case 0:
        case 1:
            view.OnChar(next());
            break;
        case 2: {
            const BYTE k = next();
            view.OnKeyDown(kKeys[k % 9], (k & 0x10) != 0, false);
            break;
        }
        case 3: {
            const BYTE k = next() % 4;
            view.OnKeyDown(k == 0 ? VK_RETURN : k == 1 ? VK_BACK : VK_DELETE, false, false);
            break;
        }
        case 4:
            view.DeleteLine();
            break;
        case 5: {
            const size_t n = std::min<size_t>(next() % 48, size - p);
            PutClipboard(std::string(reinterpret_cast<const char*>(data + p), n));
            p += n;
            view.Paste();
            break;
        }
        case 6:
            view.Cut();
            break;
        case 7:
            view.Copy();
            break;
        case 8: {
            const BYTE k = next();
            if (k & 0x80) {
                view.OnCandidateBar(static_cast<WORD>(next() | (next() << 8)), 1 + k % 10);
            } else {
                view.TakeCandidate(1 + k % 10);
            }
            break;
        }
        case 9:
            view.Undo();
            undo = true;
            break;
        case 10:
            shell.insertMode = !shell.insertMode;
            break;
        case 11: {
            const POINT a{next() % 400, 64 + next() % 200};
            const POINT b{next() % 420, 40 + next() % 240};
            view.OnLButtonDown(a, (op & 0x40) != 0);
            view.OnMouseMove(b);
            view.OnLButtonUp();
            break;
        }
        case 12:
            view.SelectAll();
            break;
        default:
            view.OnCandidateBar(32, kRequestToggleStrip);
            break;
        }
        // A record that found no room dropped the older ones (or was refused with a message).
        if (!undo && (doc.m_actions.Length() < before || shell.messages.size() != messages)) historyHolds = false;
        CheckForm(doc, view);
    }
    while (view.CanUndo()) view.Undo();
    if (historyHolds) {
        Require(std::string(doc.Text()) == startText);
        for (std::size_t i = 0; i < startRecords.size(); ++i) {
            Require(doc.m_pChars[i].chClass == startRecords[i].chClass);
        }
        for (int i = 0; i < doc.m_pPageRegion->GetChildCount(); ++i)
            Require(doc.m_pPageRegion->GetChild(i)->m_nLines == startCounts[static_cast<std::size_t>(i)]);
    }
    return 0;
}
