// A stand-in for the page view in the document's tests: a real child window of
// a frame, attached to the document, that takes WM_PAGELOADED the way the page
// view does (hands the page to AttachLoadedPage) and records the hints and the
// commands it receives. Also the application object and the window system the
// tests need, and the simplified-Chinese language library for the strings.
#pragma once

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "platform/afx/ui/tests/pump_until.h"
#include "ocrdoc/document/ocr_doc.h"
#include "platform/afx/afxwin.h"
#include "platform/win/library.h"

inline CWinApp theOcrDocTestApp("OcrDocTests");

class CFakePageView : public CView {
public:
    void OnDraw(CDC*) override {}

    void OnUpdate(CView*, LPARAM hint, CObject*) override { hints.push_back(hint); }

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override {
        if (handlesZoom && (nID == ID_ZOOM_IN || nID == ID_ZOOM_OUT)) {
            if (nCode == CN_COMMAND) commands.push_back(nID);
            else if (nCode == CN_UPDATE_COMMAND_UI && pExtra) static_cast<CCmdUI*>(pExtra)->Enable(zoomEnabled);
            return TRUE;
        }
        return CView::OnCmdMsg(nID, nCode, pExtra, info);
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_PAGELOADED) {
            ++pagesLoaded;
            auto* doc = static_cast<COcrDoc*>(GetDocument());
            BOOL attached = doc ? doc->AttachLoadedPage(reinterpret_cast<HGLOBAL>(wParam),
                                                         reinterpret_cast<CPageImage*>(lParam))
                                : FALSE;
            attachResults.push_back(attached);
            if (attached) hints.push_back(kHintResetPageView);
            else if (doc) doc->RefreshTextView();
            return 0;
        }
        return CView::WindowProc(message, wParam, lParam);
    }

    std::vector<LPARAM> hints;
    std::vector<UINT> commands;
    std::vector<BOOL> attachResults;
    int pagesLoaded = 0;
    BOOL zoomEnabled = TRUE;
    bool handlesZoom = true;  // false: zoom commands go on to the document

    bool HasHint(LPARAM hint) const {
        for (LPARAM h : hints)
            if (h == hint) return true;
        return false;
    }
};

// A frame with the fake page view showing `doc` (the document outlives both).
struct CPageViewWindow {
    CFrameWnd* frame = nullptr;
    CFakePageView* view = nullptr;

    explicit CPageViewWindow(COcrDoc* doc) {
        AfxWinInit();
        doc->m_bAutoDelete = FALSE;
        frame = new CFrameWnd;
        frame->Create(nullptr, "OcrDocTests");
        CCreateContext context;
        context.m_pCurrentDoc = doc;
        view = new CFakePageView;
        view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 200), frame, AFX_IDW_PANE_FIRST,
                     &context);
    }
    ~CPageViewWindow() {
        if (frame) frame->DestroyWindow();
        AfxPumpMessages();
    }
    CPageViewWindow(const CPageViewWindow&) = delete;
    CPageViewWindow& operator=(const CPageViewWindow&) = delete;
};

// Makes the simplified-Chinese language library the resource module for the
// life of the object, so that the document's strings load.
struct CSimplifiedStrings {
    HMODULE module = LoadLibraryA("\\Ruvuradavad.DLL");
    CSimplifiedStrings() { AfxSetResourceHandle(module); }
    ~CSimplifiedStrings() {
        AfxSetResourceHandle(nullptr);
        if (module) FreeLibrary(module);
    }
    CSimplifiedStrings(const CSimplifiedStrings&) = delete;
    CSimplifiedStrings& operator=(const CSimplifiedStrings&) = delete;
    static std::string Get(UINT id) {
        CString text;
        text.LoadString(id);
        return text.GetString();
    }
};
