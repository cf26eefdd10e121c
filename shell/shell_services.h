// What the shell's own windows ask of the application, on top of what the
// views, the document and the page image ask (views/view_host.h and the
// interfaces below it): the batch recognition window's edition hooks and the
// settings sheet's. The application implements the interface and installs
// itself with SetShellServices, which answers for every layer below; until
// then a quiet default answers (no document, no page list, messages dropped).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "platform/win/types.h"
#include "views/view_host.h"

class CPropertySheet;

class CShellServices : public CViewHost {
public:
    // Edition hooks of the batch recognition window (the defaults are
    // Scribant's): the bytes of its piece buffer (at most 512), the status
    // pane 1 text of a row (counted from 1), the scan target its run
    // rebuilds after each row's folder, the margins of its text panel inside
    // the client area (left, top, right, bottom) and whether the panel
    // writes in the dialog's font rather than the fixed system font.
    virtual std::size_t BatchPieceBytes() const { return 128; }
    virtual std::string BatchCounterText(int row, int rowCount) const {
        char text[64];
        std::snprintf(text, sizeof text, "%6d  /  %d", row, rowCount);
        return text;
    }
    virtual std::string BatchScanTarget() const { return ScanName(); }
    virtual void SetBatchScanTarget(const std::string& name) { SetScanName(name); }
    virtual RECT BatchPanelMargins() const { return RECT{24, 50, 24, 70}; }
    virtual bool BatchPanelUsesDialogFont() const { return SystemLanguageId() == 0x409; }

    // The settings sheet: the pages an edition adds after the common ones,
    // and the sheet's end (`accepted`: closed with OK, the common values
    // taken and saved).
    virtual void AddSettingsPages(CPropertySheet& /*sheet*/) {}
    virtual void SettingsSheetClosed(bool /*accepted*/) {}
};

namespace shell_detail {
inline CShellServices*& InstalledServices() { return host_detail::Installed<CShellServices>(); }
}  // namespace shell_detail

// Installs the shell, which answers for the views, the document and the page
// image as well (nullptr goes back to the quiet defaults). Not owned.
inline void SetShellServices(CShellServices* services) {
    shell_detail::InstalledServices() = services;
    SetViewHost(services);
}

inline CShellServices& ShellServices() {
    return host_detail::InstalledOrQuiet<CShellServices, CQuietDocumentHost<CShellServices>>();
}
