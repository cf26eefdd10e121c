// Commands on the selected region: its type, its removal, its image for the
// clipboard; the manual deskew of the page; and the learning file.
#include <algorithm>
#include <cstring>
#include <vector>

#include "ocrdoc/document/manual_deskew_dialog.h"
#include "ocrdoc/document/ocr_page.h"
#include "ocrdoc/helpers/reco_unit.h"
#include "platform/win/atomic_file.h"
#include "platform/win/memory.h"

namespace {

const char* const kMsgDeskewNoMemory = "Not enough memory for adjust!";
const char* const kMsgLearnFileError = "File pnt creation error!";
const char* const kMsgLearnNoMemory = "No enough memory";

}  // namespace

CLayoutRegion* COcrPage::DeepestSelectedRegion(CLayoutRegion** outParent) const {
    if (outParent) *outParent = nullptr;
    if (!m_pPageRegion) return nullptr;
    CLayoutRegion* parent = m_pPageRegion;
    CLayoutRegion* region = parent->GetSelectedChild();
    if (!region) return nullptr;
    // Bounded by the tree's depth: a region never holds itself.
    for (int depth = 0; depth < 64; ++depth) {
        CLayoutRegion* child = region->GetSelectedChild();
        if (!child) break;
        parent = region;
        region = child;
    }
    if (outParent) *outParent = parent;
    return region;
}

BOOL COcrPage::SetSelectedColumnType(int flags) {
    if (IsPageHeld() || !m_pImage || !m_pPageRegion) return FALSE;
    CLayoutRegion* column = m_pPageRegion->GetSelectedChild();
    if (!column) return FALSE;
    if (!DiscardResult(TRUE)) return FALSE;
    int newFlags = flags;
    if (flags == kRegionHorizontal || flags == kRegionVertical) newFlags |= column->m_nFlags & 0x8000;
    const RECT former = column->Rect();
    if (!m_pPageRegion->ReplaceChild(column, newFlags)) return FALSE;
    UpdateViews(kHintInvalidateRegion, &former);
    m_bLayoutDirty = 1;
    return TRUE;
}

void COcrPage::CancelSelectedRegion() {
    if (IsPageHeld()) return;
    CLayoutRegion* parent = nullptr;
    CLayoutRegion* region = DeepestSelectedRegion(&parent);
    if (!region || !parent) return;
    if (!DiscardResult(TRUE)) return;
    const RECT rect = region->Rect();
    UpdateViews(kHintClearDragRect, &rect);
    UpdateViews(kHintInvalidateRegion, &rect);
    parent->RemoveAt(parent->IndexOfChild(region));
    UpdateViews(kHintPipelineAll);
    m_bLayoutDirty = 1;
}

BOOL COcrPage::GetSelectedRegion(BOOL remove, RECT* outRect) {
    CLayoutRegion* parent = nullptr;
    CLayoutRegion* region = DeepestSelectedRegion(&parent);
    if (!region || !parent) return FALSE;
    if (outRect) *outRect = region->Rect();
    if (remove && !IsPageHeld()) {
        parent->RemoveAt(parent->IndexOfChild(region));
        m_bLayoutDirty = 1;
        UpdateViews(kHintPipelineAll);
    }
    return TRUE;
}

HGLOBAL COcrPage::CopySelectedRegionImage() {
    CLayoutRegion* region = DeepestSelectedRegion();
    if (!region || !m_pImage || !m_pImage->m_hBits) return nullptr;
    const RECT r = region->Rect();
    const long long width = static_cast<long long>(r.right) - r.left + 1;
    const long long height = static_cast<long long>(r.bottom) - r.top + 1;
    if (width <= 0 || height <= 0 || width > kMaxPageSide || height > kMaxPageSide) return nullptr;
    const std::size_t packed = static_cast<std::size_t>((width + 7) / 8);
    const std::size_t stride = static_cast<std::size_t>((r.right - r.left + 32) / 32) * 4;
    std::vector<BYTE> rows;
    try {
        rows.assign(packed * static_cast<std::size_t>(height), 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!m_pImage->GetRectBits(r, rows.data(), 0)) return nullptr;
    const std::size_t size = stride * static_cast<std::size_t>(height) + 48;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, size);
    auto* out = block ? static_cast<BYTE*>(GlobalLock(block)) : nullptr;
    if (!out) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = static_cast<LONG>(width);
    header.biHeight = static_cast<LONG>(height);
    header.biPlanes = 1;
    header.biBitCount = 1;
    header.biClrUsed = 2;
    std::memcpy(out, &header, sizeof header);
    // Bit 1 is ink: colour 0 white, colour 1 black.
    const BYTE palette[8] = {255, 255, 255, 0, 0, 0, 0, 0};
    std::memcpy(out + 40, palette, sizeof palette);
    for (long long y = 0; y < height; ++y)
        std::memcpy(out + 48 + static_cast<std::size_t>(height - 1 - y) * stride,
                    rows.data() + static_cast<std::size_t>(y) * packed, packed);
    GlobalUnlock(block);
    return block;
}

void COcrPage::ManualDeskew(HWND parent) {
    if (!m_pImage || !m_pPageRegion || IsPageHeld()) return;
    CPageImage& image = *m_pImage;
    const SIZE_T size = image.m_nBitCount == 1 ? image.PlaneBytes() : (image.m_hDib ? GlobalSize(image.m_hDib) : 0);
    HGLOBAL work = size ? GlobalAlloc(GHND, size) : nullptr;
    if (!work) {
        ShowMessage(kMsgDeskewNoMemory);
        return;
    }
    CManualDeskewDialog* dialog = ManualDeskewDialog();
    ManualDeskewAnswer answer;
    if (!dialog || dialog->RunModal(&image, work, parent, &answer) != 1 /* IDOK */) {
        GlobalFree(work);
        return;
    }
    if (answer.leftY != answer.rightY) {
        const long long v = static_cast<long long>(answer.runningTotal) + answer.leftY - answer.rightY;
        if (v == 0 || v > 100000 || v < -100000) {
            GlobalFree(work);
            return;
        }
        const int dy = static_cast<int>(v < 0 ? -v : v);
        const RECT page = m_pPageRegion->Rect();
        // A refused slope leaves page and regions as they were.
        if (!image.Deskew(v < 0 ? -250 : 250, dy, page.left, page.top, page.right, page.bottom, work)) {
            GlobalFree(work);
            return;
        }
    }
    if (image.m_nBitCount == 1) {
        const SIZE_T bytes = std::min<SIZE_T>(GlobalSize(work), image.PlaneBytes());
        CopyToGlobal(image.m_hBits, 0, GlobalLock(work), static_cast<DWORD>(bytes));
        GlobalUnlock(work);
    } else {
        const SIZE_T bytes = GlobalSize(work);
        HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (!copy || CopyToGlobal(copy, 0, GlobalLock(work), static_cast<DWORD>(bytes)) != bytes) {
            GlobalUnlock(work);
            if (copy) GlobalFree(copy);
            GlobalFree(work);
            ShowMessage(kMsgDeskewNoMemory);
            return;
        }
        GlobalUnlock(work);
        if (image.AttachDib(copy) != 0) {
            GlobalFree(work);
            return;
        }
    }
    GlobalFree(work);
    ResetRegionTree();
    m_bLayoutDirty = 1;
    UpdateViews(kHintPageImageChanged);
    UpdateViews(kHintPipelineAll);
    SetPageEdited(TRUE);
}

BOOL COcrPage::WriteLearnFile(BOOL currentOnly) {
    const std::string path = m_settings.dataFolder + "\\work\\~temp.pnt";
    if (!m_pImage || !m_pImage->m_hBits) {
        ShowMessage(kMsgLearnFileError);
        return FALSE;
    }
    // The entries never grow beyond the size of the working plane.
    const std::size_t limit = m_pImage->PlaneBytes();
    std::vector<BYTE> entries;
    try {
        entries.reserve(std::min<std::size_t>(limit, 1 << 20));
    } catch (const std::bad_alloc&) {
        ShowMessage(kMsgLearnNoMemory);
        return FALSE;
    }
    const std::string_view text = Text();
    std::size_t from = 0, to = text.size();
    if (currentOnly) {
        from = std::min<std::size_t>(m_nCaretOffset, text.size());
        to = std::min<std::size_t>(from + kRecoUnitLength, text.size());
    }
    std::vector<BYTE> bits;
    for (std::size_t p = from; p < to;) {
        const auto b = static_cast<BYTE>(text[p]);
        if (b == kRecoMark && p + kRecoUnitLength <= text.size()) {
            const UINT index = dochelpers::RecoUnitIndex(text.data() + p);
            const RecoCharInfo* rec = Record(index);
            if (rec) {
                const RECT box = RecoCharBox(*rec);
                const long long w = static_cast<long long>(box.right) - box.left + 1;
                const long long h = static_cast<long long>(box.bottom) - box.top + 1;
                if (w >= 1 && h >= 1 && w < kLearnBoxLimit && h < kLearnBoxLimit) {
                    const std::size_t bytes = static_cast<std::size_t>(h * ((w + 7) / 8));
                    if (entries.size() + 6 + bytes > limit) break;
                    bits.assign(bytes, 0);
                    if (m_pImage->GetRectBits(box, bits.data(), 0)) {
                        const std::size_t entrySize = 6 + bytes;
                        entries.push_back(static_cast<BYTE>(entrySize & 0xFF));
                        entries.push_back(static_cast<BYTE>(entrySize >> 8));
                        entries.push_back(static_cast<BYTE>(text[p + 1]));
                        entries.push_back(static_cast<BYTE>(text[p + 2]));
                        entries.push_back(static_cast<BYTE>(w));
                        entries.push_back(static_cast<BYTE>(h));
                        entries.insert(entries.end(), bits.begin(), bits.end());
                    }
                }
            }
            p += kRecoUnitLength;
        } else {
            p += b > kRecoMark ? 2 : 1;
        }
    }
    if (!SuiteWriteFileAtomically(path.c_str(), entries.data(), entries.size())) {
        ShowMessage(kMsgLearnFileError);
        return FALSE;
    }
    return TRUE;
}
