// The DDE export plug-in's six slots and its one export. Every slot runs with
// the plug-in's resources current and gives the host's back.
#include "platform/afx/core/module_state.h"
#include "platform/win/path.h"
#include "plugins/moplink/moplink_app.h"
#include "plugins/moplink/ocr_settings_page.h"
#include "plugins/moplink/pdf_options_page.h"
#include "plugins/moplink/pdf_save_page.h"
#include "plugins/moplink/text_save_page.h"
#include "plugins/moplink/wizard_summary.h"

namespace {

using moplink::MoplinkApp;

#define MOPLINK_SLOT() AFX_MANAGE_MODULE_STATE(MoplinkApp::Get().Resources())

std::string TextOf(UINT id) { return static_cast<LPCSTR>(MoplinkApp::Get().Text(id)); }

void AddSummary(CTreeCtrl* tree, HTREEITEM item, const std::vector<std::string>& lines) {
    tree->SetItemImage(item, 1, 1);
    for (const std::string& line : lines) tree->InsertItem(line.c_str(), 3, 3, item);
    tree->Expand(item, TVE_EXPAND);
}

void DropPage(MoplinkApp& app) {
    if (app.page) {
        if (app.page->GetSafeHwnd()) app.page->DestroyWindow();
        app.page.reset();
    }
}

CWnd* ShowPage(MoplinkApp& app, std::unique_ptr<moplink::WizardPage> page) {
    if (!page->CreatePage(app.hostWindow)) return nullptr;
    app.page = std::move(page);
    return app.page.get();
}

std::string ProgramFolder(const std::string& exe) {
    return std::string(suite::PathFolderPart(exe));
}

extern "C" void OcrExportGetInfo(HKEY hostKey, OCREXPORT_INFO* info) {
    MOPLINK_SLOT();
    MoplinkApp::Get().GetInfo(hostKey, info);
}

extern "C" CWnd* OcrExportWizardStart(CTreeCtrl* tree, HTREEITEM* formatItem, HTREEITEM* summaryItem, CWnd* wizard,
                                      int* hasNext, UINT formatCode) {
    MOPLINK_SLOT();
    MoplinkApp& app = MoplinkApp::Get();
    const moplink::ExportFormat* format = moplink::FindFormat(formatCode);
    if (!format || !tree || !wizard) return nullptr;
    app.currentFormat = formatCode;
    if (formatItem && *formatItem) {
        tree->SetItemImage(*formatItem, 1, 0);
        tree->InsertItem(TextOf(format->nameId).c_str(), 3, 3, *formatItem);
        tree->Expand(*formatItem, TVE_EXPAND);
    }
    HTREEITEM root = tree->InsertItem(TextOf(moplink::kIdsOcrOptions).c_str(), 0, 0);
    if (summaryItem) *summaryItem = root;
    app.hostWindow = wizard;
    DropPage(app);
    CWnd* page = ShowPage(app, std::make_unique<moplink::OcrSettingsPage>(
                                   app.Settings(formatCode), formatCode,
                                   moplink::LoadLanguageGroups(app.LanguageKey(), ProgramFolder(app.ExePath())),
                                   app.Numeric()));
    if (hasNext) *hasNext = 1;
    app.step = 0;
    return page;
}

extern "C" CWnd* OcrExportWizardNext(CTreeCtrl* tree, HTREEITEM* summaryItem, HTREEITEM* newItem, int,
                                     int* hasNext) {
    MOPLINK_SLOT();
    MoplinkApp& app = MoplinkApp::Get();
    DropPage(app);
    const moplink::ExportFormat* format = moplink::FindFormat(app.currentFormat);
    if (!format || !tree || !app.hostWindow) return nullptr;
    moplink::ExportSettings& s = app.Settings(app.currentFormat);
    HTREEITEM item = summaryItem ? *summaryItem : nullptr;
    auto root = [&](UINT label) {
        HTREEITEM added = tree->InsertItem(TextOf(label).c_str(), 0, 0);
        if (newItem) *newItem = added;
    };
    if (app.step == 0) {
        if (item) AddSummary(tree, item, moplink::OcrSummary(s, TextOf));
        if (!format->pdf) {
            root(moplink::kIdsOutputOptions);
            if (hasNext) *hasNext = 0;
            app.step = 2;
            return ShowPage(app, std::make_unique<moplink::TextSavePage>(s, app.currentFormat));
        }
        root(moplink::kIdsPdfOptions);
        if (hasNext) *hasNext = 1;
        app.step = 1;
        return ShowPage(app, std::make_unique<moplink::PdfOptionsPage>(s, app.currentFormat));
    }
    if (app.step == 1 && format->pdf) {
        if (item) AddSummary(tree, item, moplink::PdfSummary(s, TextOf));
        root(moplink::kIdsOutputOptions);
        if (hasNext) *hasNext = 0;
        app.step = 3;
        return ShowPage(app, std::make_unique<moplink::PdfSavePage>(s, app.currentFormat));
    }
    return nullptr;
}

extern "C" void OcrExportWizardCancel() {
    MOPLINK_SLOT();
    MoplinkApp& app = MoplinkApp::Get();
    DropPage(app);
    app.hostWindow = nullptr;
}

extern "C" void OcrExportWizardFinish() {
    MOPLINK_SLOT();
    OcrExportWizardCancel();
    MoplinkApp::Get().SaveAll();
}

extern "C" int OcrExportRun(const CStringArray& files, UINT formatCode) {
    MOPLINK_SLOT();
    std::vector<std::string> paths;
    for (INT_PTR i = 0; i < files.GetSize(); ++i) paths.emplace_back(static_cast<LPCSTR>(files[i]));
    MoplinkApp::Get().Run(paths, formatCode);
    return 1;
}

const OCREXPORT_INTERFACE kInterface = {OcrExportGetInfo,      OcrExportWizardStart,  OcrExportWizardNext,
                                        OcrExportWizardCancel, OcrExportWizardFinish, OcrExportRun};

}  // namespace

extern "C" __attribute__((visibility("default"))) const OCREXPORT_INTERFACE* OcrInterfaceEntry() {
    return &kInterface;
}
