// The export page for the export library, and the recognised text as UTF-16.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "imaging/dib_layout.h"
#include "ocrdoc/document/ocr_page.h"
#include "ocrdoc/document/outside_library.h"
#include "ocrdoc/document_host.h"
#include "ocrdoc/helpers/export_entries.h"
#include "ocrdoc/helpers/path_helpers.h"
#include "ocrdoc/helpers/table_grid.h"
#include "ocrdoc/ink_color.h"
#include "ocrdoc/regions/table_region.h"
#include "ocrdoc/tabletext/table_export.h"
#include "platform/win/atomic_file.h"
#include "platform/win/codepage.h"
#include "platform/win/memory.h"

namespace {

constexpr INT kDefaultPageWidth = 2480;
constexpr INT kDefaultPageHeight = 3508;
constexpr std::size_t kMaxUnicodeUnits = 2097152;

int FontCodeOf(int font) {
    switch (font) {
    case 1: return 22;
    case 2: return 41;
    case 3: return 24;
    case 4: return 23;
    case 7: return 43;
    default: return 21;
    }
}

// A malloc'd copy of a packed bitmap whose size its header tells.
BYTE* CopyPackedDib(const BYTE* dib, std::size_t limit) {
    if (!dib || limit < sizeof(BITMAPINFOHEADER)) return nullptr;
    DibLayout layout;
    if (!DescribeDib(const_cast<BYTE*>(dib), limit, layout)) return nullptr;
    const std::size_t size = static_cast<std::size_t>(layout.bits - dib) + static_cast<std::size_t>(layout.stride) * layout.height;
    auto* copy = static_cast<BYTE*>(std::malloc(size));
    if (copy) std::memcpy(copy, dib, size);
    return copy;
}

// The packed bitmap of a rectangle of a grey or colour page, malloc'd.
BYTE* RectDib(CPageImage& image, const RECT& rect) {
    BYTE* dib = image.CopyRectToDib(rect);
    if (!dib) return nullptr;
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib);
    const std::size_t stride = ((static_cast<std::size_t>(std::max<LONG>(header->biWidth, 0)) * header->biBitCount + 31) / 32) * 4;
    const std::size_t size = header->biSize + DibColorCount(*header) * sizeof(RGBQUAD) +
                             stride * static_cast<std::size_t>(std::abs(header->biHeight));
    BYTE* copy = CopyPackedDib(dib, size);
    delete[] dib;
    return copy;
}

SPagePicture* NewPicture(const RECT& rect) {
    auto* picture = static_cast<SPagePicture*>(std::calloc(1, sizeof(SPagePicture)));
    if (!picture) return nullptr;
    picture->left = rect.left;
    picture->top = rect.top;
    picture->width = rect.right - rect.left + 1;
    picture->height = rect.bottom - rect.top + 1;
    picture->format = SPAGE_PICTURE_MONO;
    return picture;
}

// The pixels of a page rectangle: the plane's rows on a 1-bit page, else its bitmap.
void FillPicture(CPageImage& image, SPagePicture* picture, const RECT& rect) {
    if (image.m_nBitCount == 1) {
        const std::size_t stride = (static_cast<std::size_t>(picture->width) + 7) / 8;
        auto* bits = static_cast<BYTE*>(std::calloc(stride * static_cast<std::size_t>(picture->height), 1));
        if (bits && !image.GetRectBits(rect, bits, 0)) {
            std::free(bits);
            bits = nullptr;
        }
        picture->format = SPAGE_PICTURE_MONO;
        picture->pBits = bits;
    } else {
        picture->format = SPAGE_PICTURE_DIB;
        picture->pBits = RectDib(image, rect);
    }
}

}  // namespace

void FreeSPage(SPage* page, int flags) {
    bool freeThis = (flags & 1) != 0;
    while (page) {
        SPage* next = page->next;
        ReleasePageBlockArray(page->pBlocks);
        page->pBlocks = nullptr;
        page->nBlocks = 0;
        page->next = nullptr;
        if (freeThis) std::free(page);
        // Chained pages are freed whole.
        freeThis = true;
        page = next;
    }
}

char16_t* MultiByteToUnicode(const char* text, int codePage, BOOL withBom, std::size_t* outUnits) {
    if (outUnits) *outUnits = 0;
    if (!text) return nullptr;
    bool ok = false;
    std::u16string wide = suite::AnsiToUtf16(text, static_cast<UINT>(codePage), &ok);
    if (!ok || wide.empty() || wide.size() > kMaxUnicodeUnits) return nullptr;
    const std::size_t units = wide.size() + (withBom ? 1 : 0);
    auto* out = new (std::nothrow) char16_t[units + 1];
    if (!out) return nullptr;
    std::size_t k = 0;
    if (withBom) out[k++] = 0xFEFF;
    std::memcpy(out + k, wide.data(), wide.size() * sizeof(char16_t));
    out[units] = 0;
    if (outUnits) *outUnits = units;
    return out;
}

SPageTextBlock* COcrPage::NewExportTextBlock(int block, int firstLine, int lastLine, const RECT& rect) {
    UINT end = 0, length = 0;
    char* text = GetLinesText(firstLine, lastLine, &end, &length);
    SPageTextBlock* entry = NewPageTextBlock(text ? std::string_view(text, length) : std::string_view(),
                                             lastLine - firstLine + 1);
    delete[] text;
    if (!entry) return nullptr;
    int size = 0, font = 0;
    DWORD spacing = 0;
    GetBlockStats(block, &size, &font, &spacing);
    entry->fontCode = FontCodeOf(font);
    entry->charSize = size;
    entry->spacing = static_cast<INT>(spacing);
    if (m_pImage && m_pImage->m_nBitCount == 24) {
        COLORREF ink = 0;
        if (GetPageInkColor(*m_pImage, rect, &ink)) entry->ink = ink;
    }
    return entry;
}

SPage* COcrPage::BuildExportPage() {
    if (!m_pImage || !m_pPageRegion) return nullptr;
    CPageImage& image = *m_pImage;
    CPageRegion& root = *m_pPageRegion;
    int blocks = 0;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        const CLayoutRegion* r = root.GetChild(i);
        if (r->m_nFlags & kRegionPicture) ++blocks;
        else if (m_bHasResult && (r->m_nFlags & kRegionTable) && static_cast<const CTableRegion*>(r)->m_pGrid) ++blocks;
        else if (m_bHasResult && (r->m_nFlags & kRegionAnyText)) ++blocks;
    }
    auto* page = static_cast<SPage*>(std::calloc(1, sizeof(SPage)));
    if (!page) return nullptr;
    page->resolution = 300;
    page->width = kDefaultPageWidth;
    page->height = kDefaultPageHeight;

    if (blocks == 0) {
        page->pBlocks = static_cast<SPageBlockArray*>(std::calloc(1, SPageBlockArrayBytes(1)));
        if (!page->pBlocks) {
            std::free(page);
            return nullptr;
        }
        page->pBlocks->nCount = 1;
        page->nBlocks = 1;
        SPagePicture* whole = NewPicture(RECT{0, 0, image.m_nWidth - 1, image.m_nHeight - 1});
        if (whole) {
            if (image.m_nBitCount == 1) {
                const std::size_t bytes = image.PlaneBytes();
                whole->pBits = static_cast<BYTE*>(std::malloc(bytes ? bytes : 1));
                if (whole->pBits && CopyFromGlobal(image.m_hBits, 0, whole->pBits, static_cast<DWORD>(bytes)) != bytes) {
                    std::free(whole->pBits);
                    whole->pBits = nullptr;
                }
            } else {
                whole->format = SPAGE_PICTURE_DIB;
                if (image.m_hDib) {
                    const SIZE_T size = GlobalSize(image.m_hDib);
                    if (auto* dib = static_cast<const BYTE*>(GlobalLock(image.m_hDib))) {
                        whole->pBits = CopyPackedDib(dib, size);
                        GlobalUnlock(image.m_hDib);
                    }
                }
            }
            page->pBlocks->aEntries[0] = SPageBlockEntry{SPAGE_BLOCK_PICTURE, whole};
        }
        return page;
    }

    const bool seal = root.m_pSealRect != nullptr;
    const int entries = blocks + (seal ? 1 : 0);
    page->pBlocks = static_cast<SPageBlockArray*>(std::calloc(1, SPageBlockArrayBytes(entries)));
    if (!page->pBlocks) {
        std::free(page);
        return nullptr;
    }
    page->pBlocks->nCount = entries;
    page->nBlocks = entries;
    page->width = image.m_nWidth;
    page->height = image.m_nHeight;
    int next = 0;
    if (seal) {
        const RECT r = *root.m_pSealRect;
        if (SPagePicture* picture = NewPicture(r)) {
            if (image.m_nBitCount == 24) {
                picture->format = SPAGE_PICTURE_DIB;
                if (BYTE* dib = RectDib(image, r)) {
                    // Cleaned through a movable block, as the cleaning works on one.
                    DibLayout layout;
                    const std::size_t size = DescribeDib(dib, std::size_t(-1) >> 1, layout)
                                                 ? static_cast<std::size_t>(layout.bits - dib) + layout.stride * layout.height
                                                 : 0;
                    HGLOBAL block = size ? GlobalAlloc(GMEM_MOVEABLE, size) : nullptr;
                    if (block && CopyToGlobal(block, 0, dib, static_cast<DWORD>(size)) == size) {
                        CPageImage::CleanColorPicture(block);
                        CopyFromGlobal(block, 0, dib, static_cast<DWORD>(size));
                    }
                    if (block) GlobalFree(block);
                    picture->pBits = dib;
                }
            }
            page->pBlocks->aEntries[0] = SPageBlockEntry{SPAGE_BLOCK_PICTURE, picture};
        }
        next = 1;
    }

    const std::string_view text = Text();
    for (int i = 0; i < root.GetChildCount() && next < entries; ++i) {
        CLayoutRegion* region = root.GetChild(i);
        const int flags = region->m_nFlags;
        const RECT rect = region->Rect();
        SPageBlockEntry& entry = page->pBlocks->aEntries[next];
        if (flags & kRegionPicture) {
            if (SPagePicture* picture = NewPicture(rect)) {
                FillPicture(image, picture, rect);
                entry = SPageBlockEntry{SPAGE_BLOCK_PICTURE, picture};
            }
            ++next;
        } else if (flags & kRegionTable) {
            auto* table = static_cast<CTableRegion*>(region);
            if (!m_bHasResult || !table->m_pGrid) continue;
            ++next;
            if (m_nTextLen == 0) continue;
            int first = -1, last = -1;
            GetRegionLineRange(i, &first, &last);
            std::size_t from = 0;
            if (first > 0) {
                for (int line = 0; line < first && from < text.size(); ++line) {
                    const std::size_t lf = text.find('\n', from);
                    from = lf == std::string_view::npos ? text.size() : lf + 1;
                }
            }
            std::size_t consumed = 0;
            SPageTable* exported = BuildExportTable(*table, text.substr(from), &consumed);
            if (!exported) continue;
            const TableGrid* grid = table->m_pGrid;
            int cellIndex = 0;
            for (int row = 0; row < grid->nRows; ++row) {
                for (int k = 0; k < grid->pCellsPerRow[row]; ++k) {
                    const TableCell& own = grid->ppRows[row][k];
                    if (!own.bOwn) continue;
                    CLayoutRegion* cell = table->GetChild(cellIndex++);
                    if (!cell) continue;
                    const int block = FindBlockInRect(cell->left, cell->top, cell->right, cell->bottom);
                    int size = 0, font = 0;
                    DWORD spacing = 0;
                    GetBlockStats(block, &size, &font, &spacing);
                    SPageCellArray* cells = exported->pCells;
                    for (INT c = 0; cells && c < cells->nCount; ++c) {
                        SPageCell& out = cells->aCells[c];
                        if (out.row != row || out.column != own.nFirstCol || out.contentKind != SPAGE_BLOCK_TEXT ||
                            !out.pContent)
                            continue;
                        auto* block2 = static_cast<SPageTextBlock*>(out.pContent);
                        block2->fontCode = font;
                        block2->charSize = size;
                        block2->spacing = static_cast<INT>(spacing);
                    }
                }
            }
            entry = SPageBlockEntry{SPAGE_BLOCK_TABLE, exported};
        } else if (flags & kRegionAnyText) {
            if (!m_bHasResult) continue;
            ++next;
            int first = -1, last = -1;
            GetRegionLineRange(i, &first, &last);
            if (first < 0 || last < first) continue;
            SPageTextBlock* block = NewExportTextBlock(FindBlockOverlapping(rect), first, last, rect);
            if (!block) continue;
            if (block->textLen == 0) {
                ReleasePageTextBlock(block);
                continue;
            }
            block->left = rect.left;
            block->top = rect.top;
            block->width = rect.right - rect.left + 1;
            block->height = rect.bottom - rect.top + 1;
            block->orientation = (flags & kRegionVertical) && !(flags & kRegionHorizontal) ? SPAGE_TEXT_VERTICAL
                                                                                             : SPAGE_TEXT_HORIZONTAL;
            entry = SPageBlockEntry{SPAGE_BLOCK_TEXT, block};
        }
    }
    return page;
}

std::u16string COcrPage::TextAsUnicode(UINT codePage) const {
    std::u16string out;
    TextToUnicode(codePage, out);
    return out;
}

bool COcrPage::TextToUnicode(UINT codePage, std::u16string& out) const {
    out.clear();
    std::string plain;
    const std::string_view text = Text();
    plain.reserve(text.size());
    for (std::size_t p = 0; p < text.size();) {
        const auto b = static_cast<BYTE>(text[p]);
        if (b == kRecoMark && p + kRecoUnitLength <= text.size()) {
            if (text[p + 1]) plain.push_back(text[p + 1]);
            plain.push_back(text[p + 2]);
            p += kRecoUnitLength;
        } else if (b > kRecoMark && p + 1 < text.size()) {
            plain.append(text.substr(p, 2));
            p += 2;
        } else {
            plain.push_back(static_cast<char>(b));
            ++p;
        }
    }
    // Only an empty text converts to nothing.
    const std::size_t end = plain.find('\0');
    if (end != std::string::npos) plain.resize(end);
    if (plain.empty()) return true;
    std::size_t units = 0;
    char16_t* wide = MultiByteToUnicode(plain.c_str(), static_cast<int>(codePage), FALSE, &units);
    if (!wide) return false;
    out.assign(wide, units);
    delete[] wide;
    return true;
}

BOOL CallExportToFile(SPage* page, const std::string& path, int format) {
    auto exportFn = OutsideEntry<PFN_OSTREL_EXPORTTOFILE>(OSTREL_DLL, "ExportToFile");
    if (!exportFn || !page) return FALSE;
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    return exportFn(page, name.data(), format) != 0;
}

BOOL WriteUnicodeTextFile(const std::string& path, const std::u16string& text) {
    std::string bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.push_back(static_cast<char>(0xFF));
    bytes.push_back(static_cast<char>(0xFE));
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return SuiteWriteFileAtomically(path.c_str(), bytes.data(), bytes.size());
}

BOOL COcrPage::ExportRecognizedText(std::string& outPath) {
    static const char* const kExtensions[4] = {".HTM", ".PDF", ".RTF", ".TXT"};
    const std::string image = PagePath();
    const int type = DocumentHost().EditFileType();
    if (image.empty() || type < 0 || type > 3) return FALSE;
    // The stem of the image path (not of the window title) and the last
    // three letters of its extension: scan001.tif gives scan001tif.
    const PathParts parts = SplitPath(image);
    std::string letters = parts.ext.empty() ? std::string() : parts.ext.substr(1);
    if (letters.size() > 3) letters = letters.substr(letters.size() - 3);
    const std::string path = DocumentHost().DataFolder() + "\\work\\" + parts.stem + letters + kExtensions[type];
    const int format = GetExportFormat(path.c_str());
    BOOL written = FALSE;
    if (format == -1) {
        std::u16string text;
        written = TextToUnicode(DocumentHost().SystemLanguageId() == 1028 ? 950 : 936, text) &&
                  WriteUnicodeTextFile(path, text);
    } else {
        SPage* page = BuildExportPage();
        written = page && CallExportToFile(page, path, format);
        FreeSPage(page, 1);
    }
    if (written) outPath = path;
    return written;
}
