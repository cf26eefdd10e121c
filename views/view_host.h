// What the page view and the text view ask of the program around them, on
// top of what the document asks: the text view's registration, the insert
// mode, the external editor, the page view's flags and the last-scanned
// slot. The program installs its answers with SetViewHost (which answers for
// the document and image layers too); until then a quiet default answers.
#pragma once

#include <string>

#include "ocrdoc/document_host.h"
#include "platform/win/memory.h"
#include "platform/win/types.h"

class CTextView;

class CViewHost : public CDocumentHost {
public:
    // --- What the text view asks of the application and its main frame.
    // m_pTextView: the text view registers itself when its window is made.
    virtual void SetTextView(CTextView*) {}
    virtual CTextView* TextView() const { return nullptr; }
    // m_bInsertMode of the main frame: insert (true) or overwrite.
    virtual bool IsInsertMode() const { return true; }
    // m_strExternEditPath: the external editor's program.
    virtual std::string ExternEditPath() const { return {}; }
    // m_osvi's platform: true on the old consumer platform (strip stretch mode 2).
    virtual bool IsLegacyPlatform() const { return false; }

    // --- What the page view asks of the application and its main frame.
    // m_bAutoResize: the page view crops after the page rectangle was dragged.
    virtual bool AutoResize() const { return false; }
    // The splitter's second state flag (ID_WINDOW_SPLIT is enabled only while clear).
    virtual bool IsSplitterSecondFlagSet() const { return false; }
    // Puts a bitmap in the last-scanned slot, which owns it from then on (one
    // left there is freed).
    virtual void PutScannedDib(HDIB dib) { GlobalFree(dib); }

    // --- Where the second edition goes its own way (Scribant's defaults).
    // WM_USER+1107 reached the page view: a scan another program made is done.
    virtual void PageViewScanDone() {}
    // Whether the pointer switch (F9) cycles the page view's mouse tool now;
    // the second edition ignores it while its main window is in one of its modes.
    virtual bool PointerSwitchAllowed() const { return true; }
};

// Installs the views' host, which answers for the document and image layers
// as well (nullptr goes back to the quiet defaults). Not owned.
inline void SetViewHost(CViewHost* host) {
    host_detail::Installed<CViewHost>() = host;
    SetDocumentHost(host);
}

inline CViewHost& ViewHost() { return host_detail::InstalledOrQuiet<CViewHost, CQuietDocumentHost<CViewHost>>(); }
