// The document's side of the recognition pipeline: the page settings from
// the page list, the hints to the views, the shell's panes and questions,
// and the pipeline's commands with their update handlers.
#include <string>

#include "ocrdoc/document/message_pump.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document_host.h"

bool COcrDoc::ReadPageSettings() {
    m_settings = PageSettings::FromFocusedRow();
    return m_settings.valid;
}

void COcrDoc::UpdateViews(LPARAM hint, const RECT* rect) {
    CRegionRectHint object;
    if (rect) object.rect = *rect;
    UpdateAllViews(nullptr, hint, rect ? &object : nullptr);
}

void COcrDoc::ShowTextColumn() { DocumentHost().ShowTextColumn(); }
void COcrDoc::SetViewText(bool shown) { DocumentHost().SetTextViewShown(shown); }
void COcrDoc::ShowMessage(const std::string& text) {
    DocumentHost().MessageBox(text, "", MB_OK | MB_ICONEXCLAMATION);
}
bool COcrDoc::AskYesNo(const std::string& text) {
    return DocumentHost().MessageBox(text, "", MB_YESNO | MB_ICONQUESTION) == IDYES;
}
std::string COcrDoc::PagePath() const { return GetPathName().GetString(); }
void COcrDoc::PumpPending() { DispatchPendingMessages(); }
void COcrDoc::BeginWait() { DocumentHost().BeginWaitCursor(); }
void COcrDoc::EndWait() { DocumentHost().EndWaitCursor(); }

// --- Commands ---------------------------------------------------------------

void COcrDoc::OnDocLayout() {
    if (IsPageHeld()) return;
    {
        CPageHold hold(*this);
        AnalyzeLayout();
    }
    AttachDeferredPage();
}

void COcrDoc::OnDocClearLayout() {
    if (!IsPageHeld()) ClearLayout(TRUE);
}

void COcrDoc::OnPageSegment() {
    if (IsPageHeld()) return;
    {
        CPageHold hold(*this);
        SegmentPage();
    }
    AttachDeferredPage();
}

void COcrDoc::OnDocRecognize() {
    RecognizePage();
    DocumentHost().PageRecognitionEnded(m_bHasResult != 0);
    AttachDeferredPage();
}

void COcrDoc::OnUpdatePageCommand(CCmdUI* ui) { ui->Enable(m_pImage != nullptr && !IsPageHeld()); }

int COcrDoc::RegionTypeFlags(UINT id) {
    switch (id) {
    case ID_REGION_IMAGE: return kRegionPicture;
    case ID_REGION_HTEXT: return kRegionHorizontal;
    case ID_REGION_VTEXT: return kRegionVertical;
    case ID_REGION_TABLE: return kRegionTable;
    case ID_REGION_ENGLISH: return kRegionEnglish;
    default: return 0;
    }
}

void COcrDoc::OnRegionImage() { SetSelectedColumnType(kRegionPicture); }
void COcrDoc::OnRegionHText() { SetSelectedColumnType(kRegionHorizontal); }
void COcrDoc::OnRegionVText() { SetSelectedColumnType(kRegionVertical); }
void COcrDoc::OnRegionTable() { SetSelectedColumnType(kRegionTable); }
void COcrDoc::OnRegionEnglish() { SetSelectedColumnType(kRegionEnglish); }

void COcrDoc::OnUpdateRegionType(CCmdUI* ui) {
    CLayoutRegion* column = m_pPageRegion ? m_pPageRegion->GetSelectedChild() : nullptr;
    if (!m_pImage || !DocumentHost().ViewsShown() || !column || IsPageHeld()) {
        ui->Enable(FALSE);
        return;
    }
    const int flags = RegionTypeFlags(ui->m_nID);
    const PageSettings settings = PageSettings::FromFocusedRow();
    ui->Enable(!settings.IsHandwriting() || ui->m_nID == ID_REGION_HTEXT);
    ui->SetCheck(flags && (column->m_nFlags & flags) == flags ? 1 : 0);
}

void COcrDoc::OnRegionCancel() { CancelSelectedRegion(); }

void COcrDoc::OnUpdateRegionCancel(CCmdUI* ui) {
    ui->Enable(m_pImage && DocumentHost().ViewsShown() && m_pPageRegion && m_pPageRegion->GetSelectedChild() &&
               !IsPageHeld());
}

void COcrDoc::OnLearnPage() {
    if (!m_bHasResult) return;
    m_settings = PageSettings::Defaults();
    if (WriteLearnFile(FALSE)) DocumentHost().ShowLearnStatus();
}

void COcrDoc::OnLearnChar() {
    if (!m_bHasResult) return;
    m_settings = PageSettings::Defaults();
    if (WriteLearnFile(TRUE)) DocumentHost().ShowLearnStatus();
}

void COcrDoc::OnUpdateLearnPage(CCmdUI* ui) {
    const PageSettings settings = PageSettings::FromFocusedRow();
    ui->Enable(settings.valid && !settings.IsHandwriting());
}

void COcrDoc::OnUpdateLearnChar(CCmdUI* ui) {
    const PageSettings settings = PageSettings::FromFocusedRow();
    ui->Enable(settings.valid && !settings.IsHandwriting() && m_bHasResult && SelectCharAtCaret());
}
