// The page the pipeline works on: its life, the result discard every
// region command starts with, and the helpers the steps share.
#include "ocrdoc/document/ocr_page.h"

#include <new>

#include "ocrdoc/regions/text_region.h"
#include "platform/afx/afxwin.h"
#include "platform/win/codepage.h"

CPipelineWait::CPipelineWait(COcrPage& page) : m_page(page) { m_page.BeginWait(); }
CPipelineWait::~CPipelineWait() { m_page.EndWait(); }

CPageHold::CPageHold(COcrPage& page) : m_page(page) { ++m_page.m_nPageHolds; }
CPageHold::~CPageHold() { --m_page.m_nPageHolds; }

COcrPage::COcrPage() = default;

COcrPage::~COcrPage() {
    FreePage();
    delete[] m_pLineCounts;
    m_pLineCounts = nullptr;
    m_dwBkNum = 0;
}

void COcrPage::FreePage() {
    if (m_pImage) {
        if (m_pImage->m_hRecoBits) {
            GlobalFree(m_pImage->m_hRecoBits);
            m_pImage->m_hRecoBits = nullptr;
        }
        m_pImage->Empty();
        delete m_pImage;
        m_pImage = nullptr;
    }
    delete m_pPageRegion;
    m_pPageRegion = nullptr;
}

BOOL COcrPage::ResetRegionTree() {
    if (!m_pImage) return FALSE;
    auto* fresh = new (std::nothrow) CPageRegion(CPageRegion::WholePage(m_pImage->m_nWidth, m_pImage->m_nHeight));
    if (!fresh) return FALSE;
    delete m_pPageRegion;
    m_pPageRegion = fresh;
    return TRUE;
}

bool COcrPage::AskDiscard() {
    CString question;
        if (!AfxLoadString(61246, question) || question.IsEmpty())
            question = suite::Utf8ToAnsi("\u8BE5\u64CD\u4F5C\u5C06\u653E\u5F03\u672C\u6B21\u8BC6\u522B\u7ED3\u679C\uFF0C\n"
                                         "\u662F\u5426\u7EE7\u7EED\uFF1F",
                                         936)
                           .c_str();
    return AskYesNo(question.GetString());
}

BOOL COcrPage::DiscardResult(BOOL ask) {
    if (ask && m_bHasResult && !AskDiscard()) return FALSE;
    Reset();
    m_nTextLen = 0;
    CRecoResult::m_bModified = 1;
    UpdateViews(kHintClearDragRect);
    UpdateViews(kHintResetTextView);
    return TRUE;
}

BOOL COcrPage::HasTextRows() const {
    if (!m_pPageRegion) return FALSE;
    for (int i = 0; i < m_pPageRegion->GetChildCount(); ++i) {
        CLayoutRegion* region = m_pPageRegion->GetChild(i);
        if (region->m_nFlags & (kRegionHorizontal | kRegionVertical)) {
            CTextRegion* text = region->AsTextRegion();
            if (text && text->m_pRows && text->m_nRows > 0) return TRUE;
        } else if (region->m_nFlags & kRegionTable) {
            for (int c = 0; c < region->GetChildCount(); ++c) {
                CTextRegion* cell = region->GetChild(c)->AsTextRegion();
                if (cell && cell->m_pRows && cell->m_nRows > 0) return TRUE;
            }
        }
    }
    return FALSE;
}
