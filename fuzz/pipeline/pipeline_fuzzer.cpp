// Builds, from the input bytes, an English engine answer, a page's region
// tree (text, English and table regions with their line counts, a grid for
// the table) and a Chinese result in the store; then runs the English
// conversion, the merge, the table text and the export page, and checks the
// text form after every step: whole units whose record indexes exist, CR
// only before LF, the text ending with CR LF, the line count the line ends.
// Before that, layout areas are cut back off the regions placed before them
// (no overlap, never grown, at least half kept) and the rules of a random
// plane are erased within a random area (ink only taken away, and only
// inside the area).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ocrdoc/document/english_text.h"
#include "ocrdoc/document/ocr_page.h"
#include "ocrdoc/document/rule_eraser.h"
#include "ocrdoc/regions/table_region.h"
#include "platform/win/memory.h"

namespace {

void Require(bool ok) {
    if (!ok) std::abort();
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    unsigned Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    unsigned Below(unsigned n) { return n ? Byte() % n : 0; }
    WORD Word() { return static_cast<WORD>(Byte() | (Byte() << 8)); }
    SHORT Short() { return static_cast<SHORT>(Word()); }
    bool More() const { return pos_ < size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// The store's text form holds its invariants.
void CheckStore(const CRecoResult& store) {
    if (!store.m_bHasResult) return;
    const std::string_view text = store.Text();
    Require(IsWholeTextForm(text, store.RecordCount()));
    Require(text.size() >= 2 && text.substr(text.size() - 2) == "\r\n");
    // Line ends counted unit by unit: a record index may hold the byte 10.
    UINT lines = 0;
    for (std::size_t p = 0; p < text.size();) {
        const std::size_t len = TextUnitLength(text, p);
        lines += text[p] == 13 && len == 2;
        p += len;
    }
    Require(lines == store.m_nLineCount);
}

// An English answer kept alive by the builder.
struct Answer {
    std::vector<std::unique_ptr<_regioninfoeng>> entries;
    std::vector<std::unique_ptr<_lineinfoeng>> lines;
    std::vector<std::unique_ptr<_wordinfoeng>> words;
    std::vector<std::unique_ptr<_charinfoeng>> chars;
    _regioninfoeng* head = nullptr;
};

void BuildAnswer(Reader& in, Answer& a) {
    _regioninfoeng** entryLink = &a.head;
    const unsigned entries = in.Below(5);
    for (unsigned e = 0; e < entries; ++e) {
        a.entries.push_back(std::make_unique<_regioninfoeng>());
        _regioninfoeng* entry = a.entries.back().get();
        *entryLink = entry;
        entryLink = &entry->next;
        entry->nLines = static_cast<SHORT>(in.Below(6));  // may disagree with the list
        _lineinfoeng** lineLink = &entry->pLines;
        const unsigned lines = in.Below(5);
        for (unsigned l = 0; l < lines; ++l) {
            a.lines.push_back(std::make_unique<_lineinfoeng>());
            _lineinfoeng* line = a.lines.back().get();
            *lineLink = line;
            lineLink = &line->next;
            line->top = in.Short(), line->bottom = in.Short(), line->left = in.Short(), line->right = in.Short();
            _wordinfoeng** wordLink = &line->pWords;
            const unsigned words = in.Below(5);
            for (unsigned w = 0; w < words; ++w) {
                a.words.push_back(std::make_unique<_wordinfoeng>());
                _wordinfoeng* word = a.words.back().get();
                *wordLink = word;
                wordLink = &word->next;
                word->nBlanks = static_cast<SHORT>(in.Below(300)) - 20;
                word->nChars = static_cast<SHORT>(in.Below(8));
                _charinfoeng** charLink = &word->pChars;
                const unsigned chars = in.Below(7);
                for (unsigned c = 0; c < chars; ++c) {
                    a.chars.push_back(std::make_unique<_charinfoeng>());
                    _charinfoeng* ch = a.chars.back().get();
                    *charLink = ch;
                    charLink = &ch->next;
                    ch->nCands = static_cast<SHORT>(in.Below(14)) - 1;
                    for (WORD& code : ch->wCand) code = in.Below(3) ? static_cast<WORD>(in.Byte()) : in.Word();
                    ch->nDist = in.Short();
                    ch->top = in.Short(), ch->bottom = in.Short(), ch->left = in.Short(), ch->right = in.Short();
                    ch->byFlags = static_cast<BYTE>(in.Byte());
                }
            }
        }
    }
}

// A Chinese result of `lines` lines in the text form, with its records.
void BuildChinese(Reader& in, std::string& text, std::vector<RecoCharInfo>& records, unsigned lines) {
    const unsigned count = in.Below(40);
    for (unsigned i = 0; i < count; ++i) {
        RecoCharInfo r{};
        r.wBlock = static_cast<WORD>(in.Below(6));
        r.nLineY = in.Short(), r.nLineThick = in.Short(), r.nBoxAcross = in.Short(), r.nBoxAlong = in.Short();
        r.nBoxThick = in.Short(), r.nBoxLen = in.Short();
        r.byFlags = static_cast<BYTE>(in.Byte());
        r.chClass = 'A';
        records.push_back(r);
    }
    for (unsigned l = 0; l < lines; ++l) {
        const unsigned units = in.Below(8);
        for (unsigned u = 0; u < units; ++u) {
            switch (in.Below(4)) {
            case 0:
                if (count) {
                    const UINT index = in.Below(count);
                    const bool wide = in.Below(2);
                    const BYTE b1 = wide ? static_cast<BYTE>(0x81 + in.Below(0x7E)) : 0;
                    BYTE b2 = wide ? static_cast<BYTE>(0x40 + in.Below(0xBF)) : static_cast<BYTE>(0x21 + in.Below(0x5E));
                    if (b2 == 0x7F || b2 == 0x80) b2 = 0x41;
                    const char unit[6] = {'\x80', static_cast<char>(b1), static_cast<char>(b2),
                                          static_cast<char>(index & 0xFF), static_cast<char>(index >> 8), '\x80'};
                    text.append(unit, 6);
                }
                break;
            case 1: text += "\xA9\xB3"; break;  // a box-drawing pair
            case 2: text += "\xD6\xD0"; break;
            default: text.push_back(static_cast<char>(0x20 + in.Below(0x5F))); break;
            }
        }
        text += "\r\n";
    }
}

class CFuzzPage : public COcrPage {};

long long AreaOf(const RECT& r) {
    return (static_cast<long long>(r.right) - r.left + 1) * (static_cast<long long>(r.bottom) - r.top + 1);
}

RECT RandomRect(Reader& in, int width, int height, int beyond) {
    auto coordinate = [&](int extent) { return static_cast<LONG>(in.Below(static_cast<unsigned>(extent + 2 * beyond))) - beyond; };
    LONG x0 = coordinate(width), x1 = coordinate(width), y0 = coordinate(height), y1 = coordinate(height);
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    return RECT{x0, y0, x1, y1};
}

void CheckTrimmedAreas(Reader& in) {
    CPageRegion page(RECT{0, 0, 999, 999});
    const unsigned areas = in.Below(10);
    for (unsigned i = 0; i < areas; ++i) {
        const RECT area = RandomRect(in, 1000, 1000, 0);
        RECT r = area;
        if (!page.TrimOffChildren(r)) continue;
        Require(!page.OverlapsChild(r));
        Require(RectHoldsRect(area, r));
        Require(AreaOf(r) * 2 >= AreaOf(area));
        Require(page.AddRegion(r, kRegionHorizontal) != nullptr);
    }
}

void CheckErasedRules(Reader& in) {
    const int width = 1 + static_cast<int>(in.Below(300)), height = 1 + static_cast<int>(in.Below(240));
    const std::size_t stride = (static_cast<std::size_t>(width) + 7) / 8;
    std::vector<BYTE> plane(stride * static_cast<std::size_t>(height), 0);
    // Bars, frames and lines of ink, some long and thin, with stray bytes.
    const unsigned shapes = in.Below(12);
    for (unsigned s = 0; s < shapes; ++s) {
        const RECT r = RandomRect(in, width, height, 0);
        const bool frame = in.Below(2);
        for (LONG y = std::max<LONG>(r.top, 0); y <= std::min<LONG>(r.bottom, height - 1); ++y)
            for (LONG x = std::max<LONG>(r.left, 0); x <= std::min<LONG>(r.right, width - 1); ++x)
                if (!frame || x <= r.left + 1 || x >= r.right - 1 || y <= r.top + 1 || y >= r.bottom - 1)
                    plane[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x >> 3)] |=
                        static_cast<BYTE>(0x80u >> (x & 7));
    }
    const unsigned stray = in.Below(64);
    for (unsigned s = 0; s < stray && !plane.empty(); ++s) plane[in.Word() % plane.size()] |= static_cast<BYTE>(in.Byte());
    const std::vector<BYTE> before = plane;
    const RECT area = RandomRect(in, width, height, 20);
    EraseRulesIn(plane.data(), width, height, area);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x >> 3);
            const BYTE bit = static_cast<BYTE>(0x80u >> (x & 7));
            const bool inside = x >= area.left && x <= area.right && y >= area.top && y <= area.bottom;
            Require((plane[at] & bit) == (before[at] & bit) || (inside && !(plane[at] & bit)));
        }
    // Padding bits past the width stay as they were.
    for (int y = 0; y < height; ++y)
        for (int x = width; x < static_cast<int>(stride * 8); ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x >> 3);
            Require(((plane[at] ^ before[at]) & (0x80u >> (x & 7))) == 0);
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    CheckTrimmedAreas(in);
    CheckErasedRules(in);

    // The English conversion on its own.
    Answer answer;
    BuildAnswer(in, answer);
    std::string english;
    std::vector<RecoCharInfo> englishRecords;
    if (ConvertEnglishResult(answer.head, 0, 0, english, englishRecords)) {
        Require(IsWholeTextForm(english, static_cast<UINT>(englishRecords.size())));
        Require(english.empty() || english.substr(english.size() - 2) == "\r\n");
        Require(static_cast<long long>(englishRecords.size()) == CountEnglishChars(answer.head));
        for (const RecoCharInfo& r : englishRecords) {
            Require(r.nBoxLen >= 1 && r.nBoxThick >= 1);
            Require(r.chClass == 'A' || r.chClass == 'D' || r.chClass == 'E');
        }
    }

    // A page with regions and a Chinese result.
    CFuzzPage page;
    const int width = 64 + static_cast<int>(in.Below(400)), height = 64 + static_cast<int>(in.Below(400));
    page.m_pImage = new CPageImage;
    page.m_pImage->m_nWidth = width;
    page.m_pImage->m_nHeight = height;
    page.m_pImage->m_nBitCount = 1;
    page.m_pImage->AllocBits(page.m_pImage->PlaneBytes());
    page.m_pPageRegion = new CPageRegion(RECT{0, 0, width, height});
    unsigned chineseLines = 0;
    const unsigned regions = in.Below(5);
    for (unsigned r = 0; r < regions; ++r) {
        const int top = static_cast<int>(r) * (height / 5), bottom = top + height / 5 - 2;
        const unsigned kind = in.Below(3);
        const int flags = kind == 0 ? kRegionHorizontal : kind == 1 ? kRegionEnglish : kRegionTable;
        CLayoutRegion* region = page.m_pPageRegion->AddRegion(RECT{2, top, width - 3, bottom}, flags);
        if (!region) continue;
        if (flags == kRegionTable) {
            auto* table = static_cast<CTableRegion*>(region);
            TableGrid* grid = NewTableGrid(1, 2);
            if (!grid) continue;
            grid->ppRows[0] = new TableCell[2];
            grid->pCellsPerRow[0] = 2;
            const int w = width - 5, h = bottom - top;
            for (int c = 0; c < 2; ++c) {
                TableCell cell{};
                cell.nFirstCol = c, cell.nLastCol = c + 1, cell.nLastRow = 1;
                cell.left = 1 + c * (w / 2), cell.right = (c + 1) * (w / 2) - 2, cell.top = 1, cell.bottom = h - 1;
                cell.nLeftRule = cell.nTopRule = cell.nRightRule = cell.nBottomRule = 1;
                cell.nColumns = 1;
                cell.bOwn = 1;
                grid->ppRows[0][c] = cell;
            }
            if (in.Below(4) == 0) grid->ppRows[0][1].nLastCol = static_cast<INT>(in.Below(4));  // sometimes refused
            table->AttachGrid(page.m_pImage, grid);
            for (int c = 0; c < table->GetChildCount(); ++c) {
                table->GetChild(c)->m_nLines = static_cast<int>(in.Below(4));
                chineseLines += static_cast<unsigned>(table->GetChild(c)->m_nLines);
            }
        } else {
            region->m_nLines = static_cast<int>(in.Below(4));
            if (flags == kRegionHorizontal) chineseLines += static_cast<unsigned>(region->m_nLines);
        }
    }
    std::string chinese;
    std::vector<RecoCharInfo> chineseRecords;
    BuildChinese(in, chinese, chineseRecords, chineseLines + in.Below(2));
    if (chinese.empty()) chinese = "\r\n";
    Require(page.ReplaceContents(chinese, chineseRecords.data(), static_cast<UINT>(chineseRecords.size())));
    CheckStore(page);

    // The merge of the converted answer, then of raw bytes as English text.
    page.AppendEnglishResult(answer.head);
    CheckStore(page);
    const std::string before(page.Text());
    const UINT recordsBefore = page.RecordCount();
    std::string raw;
    while (in.More() && raw.size() < 256) raw.push_back(static_cast<char>(in.Byte()));
    RecoCharInfo one{};
    if (!page.MergeEnglishResult(raw.data(), static_cast<UINT>(raw.size()), &one, sizeof one)) {
        Require(std::string(page.Text()) == before && page.RecordCount() == recordsBefore);
    }
    CheckStore(page);

    // The table text, both ways, and the export page.
    page.AssembleTableText();
    CheckStore(page);
    page.AssembleTableTextEnglish();
    CheckStore(page);
    SPage* exported = page.BuildExportPage();
    Require(exported != nullptr);
    FreeSPage(exported, 1);
    return 0;
}
