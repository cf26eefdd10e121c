// The proofreading text view on a recognised page of 3,000 characters
// (recognised double-byte characters with typed text between them, 100 lines):
//   - a full repaint of the window: the text area with its strip and the
//     candidate panel, as the window paints them into its memory bitmaps;
//   - the same through the window system (invalidate, then the paint);
//   - one keystroke to its repainted line: WM_CHAR into the view, then the
//     paint of what it invalidated (Backspace follows, unmeasured).
// Target: 16 ms each. Run on the offscreen platform.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/page_image.h"
#include "ocrdoc/document/ocr_doc.h"
#include "platform/afx/afxwin.h"
#include "platform/win/library.h"
#include "platform/win/memory.h"
#include "shell/tests/fake_shell_services.h"
#include "views/text/text_view.h"

namespace {

CWinApp theBenchApp("TextViewBench");

std::string Unit(BYTE b1, BYTE b2, unsigned index) {
    return std::string{static_cast<char>(0x80), static_cast<char>(b1), static_cast<char>(b2),
                       static_cast<char>(index & 0xFF), static_cast<char>(index >> 8), static_cast<char>(0x80)};
}

struct Fixture {
    CFakeShellServices shell;
    HMODULE strings = nullptr;
    COcrDoc doc;
    CFrameWnd* frame = nullptr;
    CTextView* view = nullptr;

    Fixture() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        shell.languageId = 1033;
        AfxWinInit();
        strings = LoadLibraryA("\\Ruvuradavad.DLL");
        AfxSetResourceHandle(strings);
        // The page: 100 lines of 30 characters, 20 of them recognised.
        std::vector<RecoCharInfo> records;
        std::string text;
        for (int line = 0; line < 100; ++line) {
            for (int i = 0; i < 30; ++i) {
                if (i % 3 == 2) {
                    text += static_cast<char>('a' + (line + i) % 26);
                    continue;
                }
                RecoCharInfo r{};
                r.chClass = (line + i) % 7 == 0 ? 'D' : 'A';
                r.nBoxAlong = static_cast<SHORT>(20 + 30 * i);
                r.nBoxAcross = static_cast<SHORT>(20 + 40 * line);
                r.nBoxLen = 26;
                r.nBoxThick = 30;
                r.nLineX = 20;
                r.nLineY = r.nBoxAcross;
                r.nLineThick = 30;
                r.nLineLen = 900;
                r.byLine = static_cast<BYTE>(line);
                r.wCand[0] = 0xD0D6;
                r.wCand[1] = 0xC4CE;
                text += Unit(0xB0, static_cast<BYTE>(0xA1 + (line * 30 + i) % 90), static_cast<unsigned>(records.size()));
                records.push_back(r);
            }
            text += "\r\n";
        }
        doc.LoadSaved(1, reinterpret_cast<const BYTE*>(text.data()), static_cast<UINT>(text.size()),
                      reinterpret_cast<const BYTE*>(records.data()),
                      static_cast<UINT>(records.size() * sizeof(RecoCharInfo)));
        doc.m_pImage = new CPageImage();
        doc.m_pImage->m_nWidth = 1000;
        doc.m_pImage->m_nHeight = 4100;
        doc.m_pImage->m_nBitCount = 1;
        doc.m_pImage->AllocBits(doc.m_pImage->PlaneBytes());
        for (int y = 25; y < 4100; y += 40) doc.m_pImage->DrawLine(20, y, 900, y + 10, 3);
        doc.m_pPageRegion = new CPageRegion(RECT{0, 0, 1000, 4100});
        doc.m_pPageRegion->AddRegionEx(RECT{10, 10, 990, 4090}, 1, 100);
        doc.RebuildLineCounts();
        doc.m_bAutoDelete = FALSE;
        frame = new CFrameWnd;
        frame->Create(nullptr, "TextViewBench");
        frame->MoveWindow(0, 0, 1024, 768);
        CCreateContext context;
        context.m_pCurrentDoc = &doc;
        view = new CTextView;
        view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 1000, 720), frame, AFX_IDW_PANE_FIRST,
                     &context);
        frame->ShowWindow(SW_SHOW);
        view->ResetView(TRUE);
        view->SetFocus();
        view->UpdateWindow();
        // The caret in the middle of the page, on a recognised character: strip and candidates show.
        for (int i = 0; i < 50; ++i) view->Controller().OnKeyDown(VK_DOWN, false, false);
        view->UpdateWindow();
    }
};

Fixture& Shared() {
    static Fixture* fixture = new Fixture;
    return *fixture;
}

void BM_FullRepaintIntoMemory(benchmark::State& state) {
    Fixture& f = Shared();
    CClientDC client(f.view);
    CDC memory;
    memory.CreateCompatibleDC(&client);
    CRect rc;
    f.view->GetClientRect(&rc);
    CBitmap surface;
    surface.CreateCompatibleBitmap(&client, rc.Width(), rc.Height());
    CBitmap* old = memory.SelectObject(&surface);
    CDC panel;
    panel.CreateCompatibleDC(&client);
    CBitmap panelSurface;
    panelSurface.CreateCompatibleBitmap(&client, rc.Width(), 64);
    CBitmap* oldPanel = panel.SelectObject(&panelSurface);
    for (auto _ : state) {
        f.view->PaintTextArea(&memory);
        f.view->Panel().PaintTo(&panel);
    }
    if (!f.view->Renderer().StripDrawn()) state.SkipWithError("the strip was not drawn");
    memory.SelectObject(old);
    panel.SelectObject(oldPanel);
}
BENCHMARK(BM_FullRepaintIntoMemory)->Unit(benchmark::kMillisecond);

void BM_FullRepaintThroughTheWindow(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        f.view->Invalidate(FALSE);
        f.view->Panel().Invalidate(FALSE);
        f.view->UpdateWindow();
        f.view->Panel().UpdateWindow();
    }
}
BENCHMARK(BM_FullRepaintThroughTheWindow)->Unit(benchmark::kMillisecond);

void BM_KeystrokeToRepaintedLine(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        f.view->SendMessage(WM_CHAR, 'x', 1);
        f.view->UpdateWindow();
        state.PauseTiming();
        f.view->SendMessage(WM_KEYDOWN, VK_BACK, 1);
        f.view->UpdateWindow();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_KeystrokeToRepaintedLine)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
