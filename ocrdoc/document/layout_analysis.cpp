// Layout analysis: the layout library's areas become the page's regions,
// after an optional automatic deskew measured by the same library.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ocrdoc/document/ocr_page.h"
#include "ocrdoc/document/outside_library.h"
#include "outside/include/plenmar.h"
#include "platform/win/memory.h"

namespace {

// The region flags of a layout area's kind.
int RegionFlagsOfArea(LONG kind) {
    switch (kind) {
    case PLENMAR_AREA_PICTURE: return kRegionPicture;
    case PLENMAR_AREA_VERTICAL: return kRegionVertical;
    case PLENMAR_AREA_TABLE: return kRegionTable;
    default: return kRegionHorizontal;
    }
}

bool IsZeroRect(const RECT& r) { return !r.left && !r.top && !r.right && !r.bottom; }

}  // namespace

void COcrPage::AnalyzeLayout() {
    if (!m_pImage || !m_pPageRegion) return;
    if (!ReadPageSettings()) return;
    m_pPageRegion->m_nCursor = 0;
    const bool empty = m_pPageRegion->GetChildCount() == 0 || !m_pPageRegion->GetChild(0);
    if (m_settings.autoAdjust && empty && !m_bHasLayout) AutoDeskew();
    if (SegmentLayout()) UpdateViews(kHintPipelineAll);
}

BOOL COcrPage::SegmentLayout() {
    CPipelineWait wait(*this);
    if (!ReadPageSettings() || !m_pImage || !m_pPageRegion) return FALSE;
    if (m_pPageRegion->GetChildCount() > 0) return FALSE;
    CPageImage& image = *m_pImage;
    const RECT page = m_pPageRegion->Rect();
    if (image.m_nBitCount != 1) {
        if (image.m_nBitCount == 24 && m_settings.IsOfficial()) {
            RECT red{};
            image.BinarizeOfficialRect(page.left, page.top, page.right - 1, page.bottom - 1, &red);
            if (!IsZeroRect(red) && !m_pPageRegion->m_pSealRect) m_pPageRegion->SetSealRect(&red);
        } else {
            image.BinarizeRect(page.left, page.top, page.right - 1, page.bottom - 1);
        }
    }
    auto seg = OutsideEntry<PFN_PLENMAR_SEG>(PLENMAR_DLL, "seg");
    auto delLink = OutsideEntry<PFN_PLENMAR_DELLINK>(PLENMAR_DLL, "DelLink");
    if (!seg || !delLink || !image.m_hBits) return FALSE;

    auto* plane = static_cast<unsigned char*>(GlobalLock(image.m_hBits));
    if (!plane) return FALSE;
    CArea* areas = seg(plane, static_cast<DWORD>(image.m_nWidth), static_cast<DWORD>(image.m_nHeight), 300,
                       m_settings.TypeIndex(), RECT{page.left, page.top, page.right - 1, page.bottom - 1});
    GlobalUnlock(image.m_hBits);

    for (const CArea* area = areas; area; area = area->next) {
        RECT r{std::max<LONG>(area->left, 0), std::max<LONG>(area->top, 0),
               std::min<LONG>(area->right, image.m_nWidth - 1), std::min<LONG>(area->bottom, image.m_nHeight - 1)};
        int flags = RegionFlagsOfArea(area->kind);
        if (r.right < r.left || r.bottom < r.top) continue;
        // The boxes of a tilted page's areas overlap at their corners, and
        // the page holds no overlapping regions: an area running into those
        // placed before it is cut back off them rather than left out with its
        // text (a tilted table below a paragraph). One lying mostly inside
        // them is left out, as before.
        if (!m_pPageRegion->TrimOffChildren(r)) continue;
        // Differences computed wide: the areas are the library's, not ours.
        const long long w = static_cast<long long>(r.right) - r.left, h = static_cast<long long>(r.bottom) - r.top;
        if ((flags & (kRegionHorizontal | kRegionVertical)) && (w < kMinTextAreaSide || h < kMinTextAreaSide))
            flags = kRegionPicture;
        m_pPageRegion->AddRegion(r, flags);
    }
    delLink(areas);
    m_pPageRegion->Select(0);
    m_bLayoutDirty = 1;
    return TRUE;
}

BOOL COcrPage::DeskewInto(int dx, int dy, HGLOBAL* outBlock) {
    *outBlock = nullptr;
    CPageImage& image = *m_pImage;
    const SIZE_T size = image.m_nBitCount == 1 ? image.PlaneBytes() : (image.m_hDib ? GlobalSize(image.m_hDib) : 0);
    HGLOBAL block = size ? GlobalAlloc(GHND, size) : nullptr;
    if (!block) {
        ShowMessage("Memory alloc error.");
        return FALSE;
    }
    const RECT page = m_pPageRegion->Rect();
    if (!image.Deskew(dx, dy, page.left, page.top, page.right, page.bottom, block)) {
        GlobalFree(block);
        return FALSE;
    }
    *outBlock = block;
    return TRUE;
}

void COcrPage::AutoDeskew() {
    if (!ReadPageSettings() || !m_pImage || !m_pPageRegion) return;
    m_bHasLayout = 1;
    CPageImage& image = *m_pImage;
    if (image.m_nBitCount != 1) {
        if (image.m_nBitCount == 24 && m_settings.IsOfficial()) {
            RECT red{};
            image.BinarizeOfficial(&red);
            if (!IsZeroRect(red)) m_pPageRegion->SetSealRect(&red);
        } else {
            image.Binarize();
        }
    }
    auto skewFn = OutsideEntry<PFN_PLENMAR_SKEW>(PLENMAR_DLL, "skew");
    int dx = 0, dy = 0, measured = -1;
    if (skewFn && image.m_hBits) {
        if (auto* plane = static_cast<unsigned char*>(GlobalLock(image.m_hBits))) {
            measured = skewFn(plane, image.m_hBits, static_cast<DWORD>(image.m_nWidth),
                              static_cast<DWORD>(image.m_nHeight), 300, dx, dy);
            GlobalUnlock(image.m_hBits);
        }
    }
    if (dy < 0) dy = -dy;
    else dx = -dx;
    if (measured == 0 && dy >= 1 && std::abs(static_cast<long long>(dx)) >= 5LL * dy) {
        // The user who keeps the result keeps the page as it is too.
        if (!m_bHasResult || AskDiscard()) {
            ClearLayout(FALSE);
        } else {
            return;
        }
        HGLOBAL turned = nullptr;
        if (!DeskewInto(dx, dy, &turned)) return;
        if (image.m_nBitCount == 1) {
            CopyToGlobal(image.m_hBits, 0, GlobalLock(turned), image.PlaneBytes());
            GlobalUnlock(turned);
            GlobalFree(turned);
        } else if (image.AttachDib(turned) != 0) {
            return;
        }
        SetPageEdited(TRUE);
        UpdateViews(kHintPageImageChanged);
    }
    ResetRegionTree();
}

void COcrPage::ClearLayout(BOOL ask) {
    if (!DiscardResult(ask)) return;
    if (!m_pImage || !m_pPageRegion) return;
    const RECT page = m_pPageRegion->Rect();
    RECT seal{};
    if (m_pPageRegion->m_pSealRect) seal = *m_pPageRegion->m_pSealRect;
    auto* fresh = new (std::nothrow) CPageRegion(page);
    if (!fresh) return;
    delete m_pPageRegion;
    m_pPageRegion = fresh;
    if (!IsZeroRect(seal)) m_pPageRegion->SetSealRect(&seal);
    UpdateViews(kHintPipelineAll);
    m_bLayoutDirty = 1;
}

void COcrPage::SegmentPage() {
    if (!ReadPageSettings() || !m_pImage) return;
    if (m_settings.IsEnglish()) return;
    _seg_regioninfo* seg = nullptr;
    const BOOL segmented = SegmentLayout();
    const BOOL cut = CutTextLines(&seg);
    if (segmented || cut) UpdateViews(kHintPipelineAll);
    if (auto freeSeg = OutsideEntry<PFN_OR_CHN40_FREESEGINFO>(TRESK_DLL, "OR_CHN40_FreeSegInfo")) freeSeg(seg);
}
