// Page recognition: layout analysis, re-binarisation, the English regions
// through the English engine, line cutting and recognition through the
// Chinese engine, the result into the store, tables laid out, line counts.
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "ocrdoc/document/engine_blocks.h"
#include "ocrdoc/document/ocr_page.h"
#include "ocrdoc/document/outside_library.h"
#include "ocrdoc/document/rule_eraser.h"
#include "ocrdoc/document_host.h"
#include "ocrdoc/regions/table_region.h"
#include "ocrdoc/regions/text_region.h"
#include "platform/win/memory.h"

namespace {

bool IsChineseText(int flags) { return (flags & (kRegionHorizontal | kRegionVertical)) && !(flags & kRegionEnglish); }

// The text blocks of the Chinese engine in reading order: text regions and
// the cells of table regions.
std::vector<CLayoutRegion*> ChineseBlockRegions(CPageRegion* page) {
    return EngineBlockRegions(page, IsChineseText, true);
}

template <typename Entry>
void FreeResult(Entry* result, const char* dll, const char* entry) {
    if (!result) return;
    using Free = void (*)(Entry*);
    if (auto f = OutsideEntry<Free>(dll, entry)) f(result);
}

void FreeChineseResult(_regioninfo* result) {
    if (!result) return;
    if (auto f = OutsideOrdinal<PFN_TRESK_FREERESULT>(TRESK_DLL, TRESK_ORDINAL_FREERESULT)) f(result);
}

void FreeSegInfo(_seg_regioninfo* seg) {
    if (auto f = OutsideEntry<PFN_OR_CHN40_FREESEGINFO>(TRESK_DLL, "OR_CHN40_FreeSegInfo")) f(seg);
}

long long CountChineseChars(const _regioninfo* result) {
    long long n = 0;
    for (const _regioninfo* e = result; e; e = e->next)
        for (const _lineinfo* l = e->pLines; l; l = l->next)
            for (const _charinfo* c = l->pChars; c; c = c->next) ++n;
    return n;
}

}  // namespace

// A text region's row count belongs to its row array (handwriting boxes),
// which recognition drops; the lines are counted in m_nLines.
void COcrPage::SetBlockLines(CLayoutRegion* region, int lines) {
    if (CTextRegion* text = region->AsTextRegion(); text && text->m_pRows) text->ClearContent();
    region->m_nLines = lines > 0 ? lines : 0;
}

void FreeEnglishResult(_regioninfoeng* result) {
    FreeResult(result, PENDRIL20_DLL, "OR_PENDRIL20_FREERGNINFO_ENGSTR");
}

void COcrPage::ZeroRegionCounts() {
    for (int i = 0; i < m_pPageRegion->GetChildCount(); ++i) {
        CLayoutRegion* region = m_pPageRegion->GetChild(i);
        region->m_nLines = 0;
        auto* table = (region->m_nFlags & kRegionTable) ? static_cast<CTableRegion*>(region) : nullptr;
        if (table && table->m_pGrid) {
            for (int c = 0; c < table->GetChildCount(); ++c) {
                CLayoutRegion* cell = table->GetChild(c);
                cell->m_nLines = 0;
            }
        }
    }
}

void COcrPage::BinarizeForRecognition() {
    CPageImage& image = *m_pImage;
    if (image.m_nBitCount == 1) return;
    if (image.m_nBitCount == 24 && m_settings.IsOfficial()) {
        RECT red{};
        image.BinarizeOfficial(&red);
        return;
    }
    for (int i = 0; i < m_pPageRegion->GetChildCount(); ++i) {
        const CLayoutRegion* region = m_pPageRegion->GetChild(i);
        if (!(region->m_nFlags & kRegionPicture))
            image.BinarizeRect(region->left, region->top, region->right, region->bottom);
    }
}

void COcrPage::ReplaceEnglishByText() {
    for (int i = 0; i < m_pPageRegion->GetChildCount(); ++i) {
        CLayoutRegion* region = m_pPageRegion->GetChild(i);
        if (region->m_nFlags & kRegionEnglish) m_pPageRegion->ReplaceChild(region, kRegionHorizontal);
    }
}

BOOL COcrPage::MakeRecoPlane() {
    CPageImage& image = *m_pImage;
    if (image.m_hRecoBits) {
        GlobalFree(image.m_hRecoBits);
        image.m_hRecoBits = nullptr;
    }
    // The engines take 16-bit page sizes: a larger page is refused, never cut.
    if (image.m_nWidth <= 0 || image.m_nHeight <= 0 || image.m_nWidth > kMaxPageSide ||
        image.m_nHeight > kMaxPageSide || !image.m_hBits)
        return FALSE;
    HGLOBAL block = GlobalAlloc(GHND, image.PlaneBytes());
    if (!block) return FALSE;
    void* from = GlobalLock(image.m_hBits);
    void* to = GlobalLock(block);
    if (!from || !to || GlobalSize(image.m_hBits) < image.PlaneBytes()) {
        if (from) GlobalUnlock(image.m_hBits);
        if (to) GlobalUnlock(block);
        GlobalFree(block);
        return FALSE;
    }
    std::memcpy(to, from, image.PlaneBytes());
    GlobalUnlock(image.m_hBits);
    GlobalUnlock(block);
    image.m_hRecoBits = block;
    return TRUE;
}

void AnalyzeTablesOn(CPageRegion* page, HGLOBAL plane, int width, int height) {
    CPageImage temporary;
    temporary.m_hBits = plane;
    temporary.m_nWidth = width;
    temporary.m_nHeight = height;
    temporary.m_nBitCount = 1;
    for (int i = 0; i < page->GetChildCount(); ++i) {
        CLayoutRegion* region = page->GetChild(i);
        if (!(region->m_nFlags & kRegionTable)) continue;
        auto* table = static_cast<CTableRegion*>(region);
        if (table->m_pGrid) table->ClearContent();
        table->Analyze(&temporary);
        if (table->GetChildCount() == 0 && table->m_pGrid) table->BuildCells();
        // The temporary image ends here; the table must not keep pointing at it.
        table->m_pGridImage = nullptr;
        // Without cells (no grid found: a table drawn without rules, or one
        // tilted too far) nothing of it would be read: it is read as text,
        // without the rules it may have.
        if (table->GetChildCount() == 0) {
            const RECT rect = *table;
            const int selected = page->m_nSelected;
            page->ReplaceChild(table, kRegionHorizontal);
            page->m_nSelected = selected;
            if (auto* bits = static_cast<BYTE*>(GlobalLock(plane))) {
                EraseRulesIn(bits, width, height, rect);
                GlobalUnlock(plane);
            }
        }
    }
    temporary.m_hBits = nullptr;  // the plane stays the caller's
}

BOOL COcrPage::CutTextLines(_seg_regioninfo** outSeg) {
    CPipelineWait wait(*this);
    if (outSeg) *outSeg = nullptr;
    if (!ReadPageSettings() || !m_pImage || !m_pPageRegion) return FALSE;
    if (m_settings.IsHandwriting()) {
        // The segmentation library keeps its word divider between calls:
        // one page at a time, whichever thread runs it.
        static std::mutex segmentation;
        std::lock_guard<std::mutex> guard(segmentation);
        bool handled = false;
        for (int i = 0; i < m_pPageRegion->GetChildCount(); ++i) {
            CLayoutRegion* region = m_pPageRegion->GetChild(i);
            CTextRegion* text = region->AsTextRegion();
            if (!text || !(region->m_nFlags & (kRegionHorizontal | kRegionVertical))) continue;
            text->ClearContent();
            text->SegmentHandwritingAs(m_pImage, 0, true);
            text->m_nLines = text->m_nRows;
            handled = true;
        }
        // The rows and line counts belong to the project file.
        if (handled) m_bLayoutDirty = 1;
        return handled;
    }
    if (!MakeRecoPlane()) return FALSE;
    CPageImage& image = *m_pImage;
    AnalyzeTablesOn(m_pPageRegion, image.m_hRecoBits, image.m_nWidth, image.m_nHeight);

    const std::vector<CLayoutRegion*> regions = ChineseBlockRegions(m_pPageRegion);
    // A table cell is read horizontally.
    CPageRegion* page = m_pPageRegion;
    std::vector<_recblock> blocks = LinkedBlocks<_recblock>(regions, [page](const CLayoutRegion& r) {
        bool vertical = false;
        for (int i = 0; i < page->GetChildCount() && !vertical; ++i)
            vertical = page->GetChild(i) == &r && (r.m_nFlags & kRegionVertical);
        return _recblock{vertical ? 1 : 0, r.left, r.top, r.right, r.bottom, nullptr};
    });

    std::vector<char> folder(m_settings.programFolder.begin(), m_settings.programFolder.end());
    folder.push_back('\0');
    auto segImg = OutsideEntry<PFN_OR_CHN40_SEGIMG>(TRESK_DLL, "OR_CHN40_SegImg");
    _seg_regioninfo* seg = nullptr;
    if (segImg && !blocks.empty())
        seg = segImg(image.m_hRecoBits, static_cast<short>(image.m_nWidth), static_cast<short>(image.m_nHeight),
                     blocks.data(), folder.data());
    if (outSeg) *outSeg = seg;

    RecoProgress& progress = ThreadRecoProgress();
    progress.nTotal = 0;
    const _seg_regioninfo* entry = seg;
    for (CLayoutRegion* region : regions) {
        if (CTextRegion* text = region->AsTextRegion(); text && text->m_pRows) text->ClearContent();
        if (!entry) continue;
        SetBlockLines(region, entry->nLines);
        progress.nTotal += entry->nLines > 0 ? entry->nLines : 0;
        entry = entry->next;
    }
    if (!outSeg) FreeSegInfo(seg);
    return TRUE;
}

BOOL COcrPage::RecognizeChinese(HWND textWindow, char* textBuffer, BYTE* cancel, _seg_regioninfo* seg,
                                _regioninfo** outResult) {
    RecoProgress& progress = ThreadRecoProgress();
    progress.pTextBuf = textBuffer;
    progress.hTextWnd = textWindow;
    progress.pCancel = cancel;
    if (outResult) *outResult = nullptr;
    if (!ReadPageSettings() || !m_pImage || !outResult) return FALSE;
    RecoClearProgress();
    if (m_settings.IsHandwriting()) return FALSE;
    CPageImage& image = *m_pImage;
    auto recog = OutsideEntry<PFN_OR_CHN40_RECOG>(TRESK_DLL, "OR_CHN40_Recog");
    if (!recog || !image.m_hRecoBits || image.m_nWidth > kMaxPageSide || image.m_nHeight > kMaxPageSide)
        return FALSE;
    std::vector<char> folder(m_settings.programFolder.begin(), m_settings.programFolder.end());
    folder.push_back('\0');
    *outResult = recog(seg, image.m_hRecoBits, static_cast<short>(image.m_nWidth),
                       static_cast<short>(image.m_nHeight), folder.data(), m_settings.CodeLetter(),
                       m_settings.TraditionalFlag(), 0, RecoTextCallback, RecoPumpCallback);
    RecoRefreshProgress();
    if (!*outResult || CountChineseChars(*outResult) == 0) return FALSE;
    GlobalFree(image.m_hRecoBits);
    image.m_hRecoBits = nullptr;
    RecoSendText("\n");
    const _regioninfo* entry = *outResult;
    for (CLayoutRegion* region : ChineseBlockRegions(m_pPageRegion)) {
        if (!entry) break;
        SetBlockLines(region, entry->nLines);
        entry = entry->next;
    }
    return TRUE;
}

int COcrPage::RecognizeWithSegmentation(HWND window, char* pieceBuffer, std::size_t pieceBytes, BYTE* stop,
                                        _seg_regioninfo* seg, _regioninfo** outResult) {
    RecoProgress& progress = ThreadRecoProgress();
    progress.nTextBufBytes = pieceBuffer ? pieceBytes : 0;
    progress.hProgressWnd = window;
    // Lines are counted from the first line end on.
    progress.nLines = 0;
    progress.chLast = '\n';
    const BOOL ok = pieceBuffer && pieceBytes > 0 ? RecognizeChinese(window, pieceBuffer, stop, seg, outResult) : FALSE;
    progress.nTextBufBytes = 0;
    progress.hProgressWnd = nullptr;
    progress.hTextWnd = nullptr;
    progress.pTextBuf = nullptr;
    progress.pCancel = nullptr;
    return ok ? 1 : 0;
}

void COcrPage::FreeSegmentation(_seg_regioninfo* seg) {
    if (seg) FreeSegInfo(seg);
}

void COcrPage::FreeRecognition(_regioninfo* result) { FreeChineseResult(result); }

void COcrPage::LoadEnglishOnly(_regioninfoeng* english) {
    m_bLayoutDirty = 1;
    UpdateViews(kHintPipelineAll);
    // Only the English regions' lines are in the text now.
    for (int i = 0; i < m_pPageRegion->GetChildCount(); ++i) {
        CLayoutRegion* region = m_pPageRegion->GetChild(i);
        if (!(region->m_nFlags & kRegionEnglish)) region->m_nLines = 0;
    }
    LoadFromEnglishResult(english, m_pImage->m_nWidth, m_pImage->m_nHeight);
    FreeEnglishResult(english);
    CRecoResult::m_bModified = 1;
    UpdateViews(kHintResetTextView);
}

int COcrPage::RecognizeChinesePage(bool batch, HWND textWindow, char* textBuffer, BYTE* cancel) {
    AnalyzeLayout();
    if (!m_pImage || !m_pPageRegion || m_pPageRegion->GetChildCount() == 0) return 0;
    BinarizeForRecognition();
    _regioninfoeng* english = nullptr;
    const bool englishDone = RecognizeEnglishRegions(&english) != FALSE;
    if (!englishDone) ReplaceEnglishByText();

    _seg_regioninfo* seg = nullptr;
    CutTextLines(&seg);
    UpdateViews(kHintPipelineAll);
    int recognised = 0;
    if (seg) {
        if (batch) SetViewText(true);
        DiscardResult(FALSE);
        ShowTextColumn();
        RecoProgress& progress = ThreadRecoProgress();
        progress.chLast = '\n';
        progress.nLines = 1;
        char localBuffer[kBatchTextBytes] = {};
        BYTE localCancel = 0;
        _regioninfo* result = nullptr;
        // A single page may be recognised in the program's progress window.
        const int inWindow = batch ? -1 : DocumentHost().RecognizeInProgressWindow(seg, &result);
        const BOOL ok = inWindow >= 0 ? inWindow != 0
                                      : RecognizeChinese(batch ? textWindow : TextWindow(),
                                                         batch && textBuffer ? textBuffer : localBuffer,
                                                         batch && cancel ? cancel : &localCancel, seg, &result);
        FreeSegInfo(seg);
        if (ok) {
            SetViewText(true);
            ShowTextColumn();
            if (!batch) PumpPending();
            LoadFromChineseResult(result, m_pImage->m_nWidth, m_pImage->m_nHeight);
            if (englishDone) AppendEnglishResult(english);
            FreeEnglishResult(english);
            FreeChineseResult(result);
            if (!m_settings.IsHandwriting()) AssembleTableText();
            UpdateViews(kHintResetTextView);
            recognised = 1;
        } else if (englishDone) {
            // The English regions keep their text, on a single page as in a batch.
            FreeChineseResult(result);
            LoadEnglishOnly(english);
            recognised = 1;
        } else {
            FreeChineseResult(result);
            FreeEnglishResult(english);
        }
    } else if (englishDone) {
        LoadEnglishOnly(english);
        recognised = 1;
    } else {
        FreeEnglishResult(english);
        if (!batch) {
            DiscardResult(FALSE);
            UpdateViews(kHintResetTextView);
        }
    }
    RebuildLineCounts();
    return recognised;
}

int COcrPage::RecognizeEnglishPage(bool batch, BYTE* cancel) {
    AnalyzeLayout();
    if (!m_pImage || !m_pPageRegion || m_pPageRegion->GetChildCount() == 0) return 0;
    SetViewText(true);
    DiscardResult(FALSE);
    ShowTextColumn();
    if (m_pImage->m_nBitCount != 1) {
        for (int i = 0; i < m_pPageRegion->GetChildCount(); ++i) {
            const CLayoutRegion* region = m_pPageRegion->GetChild(i);
            if (!(region->m_nFlags & kRegionPicture))
                m_pImage->BinarizeRect(region->left, region->top, region->right, region->bottom);
        }
    }
    char localBuffer[kBatchTextBytes] = {};
    BYTE localCancel = 0;
    _regioninfoeng* result = nullptr;
    RecognizeEnglish(TextWindow(), localBuffer, batch && cancel ? cancel : &localCancel, &result);
    m_bLayoutDirty = 1;
    UpdateViews(kHintPipelineAll);
    const int recognised = result ? 1 : 0;
    if (result && LoadFromEnglishResult(result, m_pImage->m_nWidth, m_pImage->m_nHeight)) {
        CRecoResult::m_bModified = 1;
        AssembleTableTextEnglish();
    }
    FreeEnglishResult(result);
    UpdateViews(kHintResetTextView);
    RebuildLineCounts();
    return recognised;
}

void COcrPage::RecognizePage() {
    if (IsPageHeld() || !ReadPageSettings() || !m_pImage || !m_pPageRegion) return;
    CPageHold hold(*this);
    ZeroRegionCounts();
    if (m_settings.IsEnglish()) RecognizeEnglishPage(false, nullptr);
    else RecognizeChinesePage(false, nullptr, nullptr, nullptr);
}

int COcrPage::RecognizePageBatch(HWND textWindow, char* textBuffer, BYTE* cancel) {
    // Without a page nothing was recognised.
    if (!m_pImage || !m_pPageRegion || IsPageHeld()) return 0;
    if (!ReadPageSettings()) return 0;
    CPageHold hold(*this);
    ZeroRegionCounts();
    if (m_settings.IsEnglish()) return RecognizeEnglishPage(true, cancel);
    return RecognizeChinesePage(true, textWindow, textBuffer, cancel);
}
