// English recognition: the English engine on a whole English page (with
// progress and cancel) or on the English regions of a Chinese page, and the
// merge of an English answer into a Chinese result.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ocrdoc/document/engine_blocks.h"
#include "ocrdoc/document/english_text.h"
#include "ocrdoc/document/ocr_page.h"
#include "ocrdoc/document/outside_library.h"
#include "ocrdoc/regions/table_region.h"
#include "ocrdoc/regions/text_region.h"
#include "platform/win/memory.h"

namespace {

_recblockeng BlockOf(const CLayoutRegion& r) {
    return _recblockeng{static_cast<SHORT>(r.top), static_cast<SHORT>(r.bottom), static_cast<SHORT>(r.left),
                        static_cast<SHORT>(r.right), nullptr};
}

// Runs the engine over the regions on the locked recognition plane; the
// plane is freed after.
_regioninfoeng* RunEnglishEngine(CPageImage& image, const std::vector<CLayoutRegion*>& regions,
                                 PENDRIL20_PROGRESS_CALLBACK progress, PENDRIL20_PUMP_CALLBACK pump) {
    _regioninfoeng* result = nullptr;
    std::vector<_recblockeng> blocks = LinkedBlocks<_recblockeng>(regions, BlockOf);
    auto recog = OutsideEntry<PFN_OR_PENDRIL20_RECOGIMG_ENGSTR>(PENDRIL20_DLL, "OR_PENDRIL20_RECOGIMG_ENGSTR");
    if (recog && image.m_hRecoBits) {
        if (auto* plane = static_cast<unsigned char*>(GlobalLock(image.m_hRecoBits))) {
            result = recog(plane, static_cast<short>(image.m_nWidth), static_cast<short>(image.m_nHeight),
                           blocks.empty() ? nullptr : blocks.data(), progress, pump);
            GlobalUnlock(image.m_hRecoBits);
        }
    }
    GlobalFree(image.m_hRecoBits);
    image.m_hRecoBits = nullptr;
    return result;
}

}  // namespace

BOOL COcrPage::RecognizeEnglish(HWND textWindow, char* textBuffer, BYTE* cancel, _regioninfoeng** outResult) {
    CPipelineWait wait(*this);
    RecoProgress& progress = ThreadRecoProgress();
    progress.pTextBuf = textBuffer;
    progress.hTextWnd = textWindow;
    progress.pCancel = cancel;
    if (outResult) *outResult = nullptr;
    if (!ReadPageSettings() || !m_pImage || !m_pPageRegion || !outResult) return FALSE;
    RecoClearProgress();
    if (!m_settings.IsEnglish()) return FALSE;
    if (!MakeRecoPlane()) return FALSE;
    CPageImage& image = *m_pImage;
    AnalyzeTablesOn(m_pPageRegion, image.m_hRecoBits, image.m_nWidth, image.m_nHeight);

    const std::vector<CLayoutRegion*> regions =
        EngineBlockRegions(m_pPageRegion, [](int flags) { return (flags & kRegionAnyText) != 0; }, true);
    *outResult = RunEnglishEngine(image, regions, EngProgressCallback, EngPumpCallback);
    RecoRefreshProgress();
    // Success is counted in characters, not in the words' first fields.
    if (!*outResult || CountEnglishChars(*outResult) == 0) return FALSE;
    RecoSendText("\n");
    const _regioninfoeng* entry = *outResult;
    for (CLayoutRegion* region : regions) {
        if (!entry) break;
        SetBlockLines(region, entry->nLines);
        entry = entry->next;
    }
    return TRUE;
}

BOOL COcrPage::RecognizeEnglishRegions(_regioninfoeng** outResult) {
    if (outResult) *outResult = nullptr;
    if (!m_pImage || !m_pPageRegion || !outResult) return FALSE;
    if (!MakeRecoPlane()) return FALSE;
    const std::vector<CLayoutRegion*> regions =
        EngineBlockRegions(m_pPageRegion, [](int flags) { return (flags & kRegionEnglish) != 0; }, false);
    *outResult = RunEnglishEngine(*m_pImage, regions, nullptr, nullptr);
    const _regioninfoeng* entry = *outResult;
    for (CLayoutRegion* region : regions) {
        if (CTextRegion* text = region->AsTextRegion(); text && text->m_pRows) text->ClearContent();
        if (!entry) continue;
        SetBlockLines(region, entry->nLines);
        entry = entry->next;
    }
    return *outResult ? TRUE : FALSE;
}

BOOL COcrPage::AppendEnglishResult(const _regioninfoeng* result) {
    if (!result) return FALSE;
    std::string text;
    std::vector<RecoCharInfo> records;
    try {
        const int width = m_pImage ? m_pImage->m_nWidth : 0, height = m_pImage ? m_pImage->m_nHeight : 0;
        if (!ConvertEnglishResult(result, width, height, text, records)) return FALSE;
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    // The buffers are sized from the answer; the merge gets what was written.
    return MergeEnglishResult(text.data(), static_cast<UINT>(text.size()), records.data(),
                              static_cast<UINT>(records.size() * sizeof(RecoCharInfo)));
}

BOOL COcrPage::MergeEnglishResult(const char* text, UINT textLen, const RecoCharInfo* records, UINT recordsLen) {
    if (!m_pPageRegion || (textLen && !text) || (recordsLen && !records)) return FALSE;
    const UINT oldCount = RecordCount();
    const UINT newCount = recordsLen / static_cast<UINT>(sizeof(RecoCharInfo));
    if (static_cast<unsigned long long>(oldCount) + newCount > kRecoMaxRecords) return FALSE;
    try {
        std::vector<RecoCharInfo> all;
        all.reserve(oldCount + newCount);
        if (oldCount) all.assign(m_pChars, m_pChars + oldCount);
        const WORD raise = oldCount ? static_cast<WORD>(m_pChars[oldCount - 1].wBlock + 1) : 0;
        for (UINT i = 0; i < newCount; ++i) {
            RecoCharInfo rec;
            std::memcpy(&rec, reinterpret_cast<const BYTE*>(records) + static_cast<std::size_t>(i) * sizeof rec,
                        sizeof rec);
            rec.wBlock = static_cast<WORD>(rec.wBlock + raise);
            all.push_back(rec);
        }
        std::string english(text ? text : "", textLen);
        // The walk below takes whole lines; a text with cut units is refused.
        if (!IsWholeTextForm(english, newCount)) return FALSE;
        RaiseRecordIndexes(english, oldCount);
        const std::string_view old = Text();

        std::string merged;
        merged.reserve(old.size() + english.size());
        std::size_t oldPos = 0, engPos = 0;
        // A region's lines; a text that ends inside a line still gives that
        // line its end, so that the next region starts a line of its own.
        auto take = [&](std::string_view from, std::size_t& pos, int lines) {
            const std::size_t span = SpanOfLines(from, pos, lines);
            merged.append(from.substr(pos, span));
            pos += span;
            if (span > 0 && merged.back() != '\n') merged.append("\r\n");
        };
        auto rowsOf = [](CLayoutRegion* region) { return region ? std::max(region->m_nLines, 0) : 0; };
        for (int i = 0; i < m_pPageRegion->GetChildCount(); ++i) {
            CLayoutRegion* region = m_pPageRegion->GetChild(i);
            if (region->m_nFlags & kRegionEnglish) {
                take(english, engPos, rowsOf(region));
            } else if (region->m_nFlags & kRegionTable) {
                if (!static_cast<CTableRegion*>(region)->m_pGrid) continue;
                for (int c = 0; c < region->GetChildCount(); ++c) take(old, oldPos, rowsOf(region->GetChild(c)));
            } else if (region->m_nFlags & (kRegionHorizontal | kRegionVertical)) {
                take(old, oldPos, rowsOf(region));
            }
        }
        return ReplaceContents(merged, all.data(), static_cast<UINT>(all.size()));
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
}
