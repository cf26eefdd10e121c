// A scripted host for the views' tests, on top of the document layer's: the
// text view's registration, the insert mode, the external editor and the page
// view's flags. Installs itself for its lifetime. The shell's fake builds on it.
#pragma once

#include <string>

#include "ocrdoc/tests/fake_document_host.h"
#include "views/view_host.h"

template <class Host>
class CFakeViewHostOf : public CFakeDocumentHostOf<Host> {
public:
    CFakeViewHostOf() { SetViewHost(this); }
    ~CFakeViewHostOf() override { SetViewHost(nullptr); }

    // What the text view asks of the application and its main frame.
    CTextView* textView = nullptr;
    bool insertMode = true;
    std::string externEditPath;
    bool legacyPlatform = false;
    // What the page view asks.
    bool autoResize = false;
    bool splitterSecondFlag = false;
    bool pointerSwitchAllowed = true;  // PointerSwitchAllowed

    void SetTextView(CTextView* view) override { textView = view; }
    CTextView* TextView() const override { return textView; }
    bool IsInsertMode() const override { return insertMode; }
    std::string ExternEditPath() const override { return externEditPath; }
    bool IsLegacyPlatform() const override { return legacyPlatform; }
    bool AutoResize() const override { return autoResize; }
    bool IsSplitterSecondFlagSet() const override { return splitterSecondFlag; }
    void PutScannedDib(HDIB dib) override {
        if (this->scannedDib) GlobalFree(this->scannedDib);
        this->scannedDib = dib;
    }
    bool PointerSwitchAllowed() const override { return pointerSwitchAllowed; }
};

using CFakeViewHost = CFakeViewHostOf<CViewHost>;
