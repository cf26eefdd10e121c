// A scanned page arriving at the main frame: its file name is settled with
// the user first (folder, replacing a file, another name), then the page and
// the name go to the document, which writes the picture; the page list gets
// the row only after a good write, so no row ever names an empty file.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "imaging/image_block.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/task/task.h"
#include "platform/win/files.h"
#include "platform/win/memory.h"
#include "platform/win/path.h"
#include "shell/app/scribant_app.h"
#include "shell/frame/main_frame.h"
#include "platform/afx/core/resource.h"

namespace {

constexpr UINT kAskCreateFolder = 61248;
constexpr UINT kAskReplace = 61249;
constexpr UINT kImageFilter = 61205;
constexpr DWORD kSaveFlags = 0x00000004u | 0x00000008u | 0x00000002u;  // hide read-only, no dir change, ask overwrite

// The bits a pixel of a packed DIB.
int dibBitCount(HDIB dib) {
    CBlockLock block(dib);
    const BYTE* bytes = block.get();
    if (!bytes || GlobalSize(dib) < 16) return 0;
    return bytes[14] | (bytes[15] << 8);
}

std::string replaceExtension(const std::string& name, const char* ext) {
    const std::string_view last = suite::PathLastPart(name);
    const std::size_t dot = last.rfind('.');
    const std::size_t cut = dot == std::string_view::npos ? name.size() : name.size() - last.size() + dot;
    return name.substr(0, cut) + ext;
}

}  // namespace

int CMainFrame::AskReplaceScannedFile(const std::string& name) {
    CScribantApp* app = ScribantApp();
    if (!app) return IDCANCEL;
    return app->MessageBox(AfxFormatText(AfxLoadString(kAskReplace), name.c_str()).str(), "", 0x00000003u | MB_ICONEXCLAMATION);
}

LRESULT CMainFrame::OnScanImageArrived(WPARAM wParam, LPARAM) {
    HDIB dib = reinterpret_cast<HDIB>(wParam);
    if (!dib) return 1;
    // The questions below pump messages, so the feeder's next page can
    // arrive while this one is still being named: it waits its turn.
    waitingScans_.push_back(dib);
    if (savingScan_) return 1;
    savingScan_ = true;
    const std::shared_ptr<bool> alive = alive_;
    while (*alive && !waitingScans_.empty()) {
        HDIB next = waitingScans_.front();
        waitingScans_.pop_front();
        saveScannedPage(next);
    }
    // Gone meanwhile: the frame freed the pages still waiting; nothing of it may be touched.
    if (*alive) savingScan_ = false;
    return 1;
}

void CMainFrame::saveScannedPage(HDIB dib) {
    CScribantApp* app = ScribantApp();
    if (!app) {
        GlobalFree(dib);
        return;
    }
    const std::string boxName = fileBar_.ScanName();
    std::string name = boxName;
    bool renamed = false;
    bool jpgInFileOnly = false;
    const int bits = dibBitCount(dib);
    if ((bits == 8 || bits == 24) && app->m_settings.saveAsJpg) {
        name = replaceExtension(name, ".jpg");
        jpgInFileOnly = name != boxName;
    } else if (bits == 1 && suite::HasExtension(name, ".jpg")) {
        name = replaceExtension(name, ".tif");
        fileBar_.SetScanName(name);
    }
    // Each question pumps messages: the frame may be gone when it is answered.
    const std::shared_ptr<bool> alive = alive_;
    const std::string folder = name.substr(0, name.size() - suite::PathLastPart(name).size());
    if (!folder.empty() && GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (app->MessageBox(AfxFormatText(AfxLoadString(kAskCreateFolder), folder.c_str()).str(), "", MB_YESNO) != IDYES || !*alive) {
            GlobalFree(dib);
            return;
        }
        std::error_code ec;
        std::filesystem::create_directories(suite::NativePathOfEither(folder), ec);
    }
    bool replace = false;
    if (suite::FileExists(name)) {
        const int answer = AskReplaceScannedFile(name);
        if (answer == IDCANCEL || !*alive) {
            GlobalFree(dib);
            return;
        }
        if (answer == IDNO) {
            if (!app->PromptImageFileName(FALSE, nullptr, name, kSaveFlags, kImageFilter) || !*alive) {
                GlobalFree(dib);
                return;
            }
            fileBar_.SetScanName(name);
            renamed = true;
        }
        // Yes, or another name the save dialog confirmed: the file is replaced.
        replace = true;
    }

    // The document adopts the page and writes it; nothing is on disk before.
    COcrDoc* doc = app->CurrentDocument();
    if (!doc) {
        GlobalFree(dib);
        return;
    }
    app->PutScannedDib(dib);
    doc->SetNextNewPageName(name, replace);
    SendMessage(WM_COMMAND, ID_PAGE_FROM_SCANNER, 0);
    if (!*alive) return;  // the document's own messages pump too
    const std::string saved = doc->GetPathName().GetString();
    if (saved.empty() || !suite::FileExists(saved)) {
        char text[600];
        std::snprintf(text, sizeof text, "Can not save to file: %s", name.c_str());
        app->MessageBox(text, "", MB_OK | MB_ICONSTOP);
        return;
    }
    // The .jpg of a grey or colour page is the file's, not the box's: the
    // next name keeps the extension the user typed.
    if (jpgInFileOnly && !renamed) {
        const std::string_view last = suite::PathLastPart(boxName);
        const std::size_t dot = last.rfind('.');
        const std::string typed = dot == std::string_view::npos ? std::string() : std::string(last.substr(dot));
        fileBar_.SetScanName(replaceExtension(fileBar_.ScanName(), typed.c_str()));
    }
    CFileListCtrl& list = PageList();
    int row = list.FindItem(saved);
    if (row < 0) {
        const int n = list.GetItemCount();
        if (!app->m_task.AddImageToList(saved, 0) || list.GetItemCount() != n + 1) return;
        row = n;
    }
    list.SetFocus();
    list.SelectItem(row);
    char counter[64];
    std::snprintf(counter, sizeof counter, "%4d  /  %d", row + 1, list.GetItemCount());
    SetPaneText(1, counter);
    for (int pane = 2; pane <= 4; ++pane)
        SetPaneText(pane, list.GetItemText(row, pane - 1).GetString());
}
