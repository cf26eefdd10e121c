// What the page image and the image codecs ask of the program around them:
// the open document's path, the page list's current row, the conversion
// library, message boxes and the wait cursor. The program installs its
// answers with SetImageHost (the document layer's and the views' installs
// reach here too); until then a quiet default answers (no document, no page
// list, messages dropped).
#pragma once

#include <string>

#include "platform/win/types.h"

// Message box styles and answers the callers use, written as the window
// layer writes them (either may come first).
#ifndef MB_OK
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_YESNO 0x00000004u
#define MB_ICONHAND 0x00000010u
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#endif

// Page-list columns: path, language, type, status, resolution.
enum PageListColumn { kPageListPath = 0, kPageListLanguage = 1, kPageListType = 2, kPageListStatus = 3,
                      kPageListResolution = 4 };

class CImageHost {
public:
    virtual ~CImageHost() = default;

    // Path of the open OCR document, empty when no document is open.
    virtual std::string CurrentDocumentPath() const = 0;

    // Page list: the first selected row, else the focused row, else -1.
    virtual int PageListCurrentRow() const = 0;
    // Text of one cell; empty for a row or column that does not exist.
    virtual std::string PageListItemText(int row, int column) const = 0;

    // The conversion library loaded at start-up (m_hConvertDll); NULL when it
    // could not be loaded.
    virtual HMODULE ConvertLibrary() const { return nullptr; }

    // A modal message box; returns the button pressed (IDOK ...).
    virtual int MessageBox(const std::string& text, const std::string& caption, UINT style) = 0;

    // Wait cursor, shown from Begin to the matching End (calls nest).
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
};

// The image layer's quiet answers on top of any host interface.
template <class Host>
class CQuietImageHost : public Host {
public:
    std::string CurrentDocumentPath() const override { return {}; }
    int PageListCurrentRow() const override { return -1; }
    std::string PageListItemText(int, int) const override { return {}; }
    int MessageBox(const std::string&, const std::string&, UINT) override { return IDOK; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

namespace host_detail {
// The host installed for one layer's interface; nullptr when none is.
template <class Host>
Host*& Installed() {
    static Host* installed = nullptr;
    return installed;
}

// The host installed for one layer's interface, else its quiet answers.
template <class Host, class Quiet>
Host& InstalledOrQuiet() {
    static Quiet quiet;
    Host* installed = Installed<Host>();
    return installed ? *installed : quiet;
}
}  // namespace host_detail

// Installs the image layer's host (nullptr goes back to the quiet default). Not owned.
inline void SetImageHost(CImageHost* host) { host_detail::Installed<CImageHost>() = host; }

inline CImageHost& ImageHost() { return host_detail::InstalledOrQuiet<CImageHost, CQuietImageHost<CImageHost>>(); }

// Shows the wait cursor for the life of the object.
class CHostWaitCursor {
public:
    CHostWaitCursor() { ImageHost().BeginWaitCursor(); }
    ~CHostWaitCursor() { ImageHost().EndWaitCursor(); }
    CHostWaitCursor(const CHostWaitCursor&) = delete;
    CHostWaitCursor& operator=(const CHostWaitCursor&) = delete;
};
