// Filling the result store: from the Chinese and English engines' result
// lists, from the saved text and records of a project file, and from the
// engine's work files. Each fill builds its text and records first, bounded by
// what it was given, and only then takes the blocks.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ocrdoc/document_host.h"
#include "ocrdoc/helpers/reco_unit.h"
#include "ocrdoc/result/reco_result.h"
#include "platform/win/files.h"
#include "platform/win/handles.h"

BOOL CRecoResult::CommitFill(std::string_view text, const RecoCharInfo* records, UINT count, UINT capacity) {
    if (!AllocBlocks(count, capacity)) return FALSE;
    std::memcpy(m_pText, text.data(), text.size());
    if (count) std::memcpy(m_pChars, records, count * sizeof(RecoCharInfo));
    m_nTextLen = static_cast<UINT>(text.size());
    FinishFill(count, 1);
    return TRUE;
}

namespace {

// More nodes than this in one engine result means a damaged (or cyclic) list.
constexpr UINT kMaxEngineNodes = 1u << 22;

struct FillBuffers {
    std::string text;
    std::vector<RecoCharInfo> records;
};

// Coordinates are kept within the page (or within 0..32767 when no page size is known).
struct PageBounds {
    int maxX, maxY;
    PageBounds(int width, int height)
        : maxX(width > 0 ? std::min(width, 32768) - 1 : 32767), maxY(height > 0 ? std::min(height, 32768) - 1 : 32767) {}
    int X(int v) const { return std::clamp(v, 0, maxX); }
    int Y(int v) const { return std::clamp(v, 0, maxY); }
};

SHORT ToShort(int v) { return static_cast<SHORT>(std::clamp(v, -32768, 32767)); }

void AppendUnit(std::string& text, BYTE b1, BYTE b2, UINT index) {
    const char unit[kRecoUnitLength] = {static_cast<char>(kRecoMark), static_cast<char>(b1), static_cast<char>(b2),
                                        static_cast<char>(index & 0xFF), static_cast<char>(index >> 8),
                                        static_cast<char>(kRecoMark)};
    text.append(unit, kRecoUnitLength);
}

// Candidate codes are kept with their bytes in text order: a single-byte
// code becomes 0 followed by the byte.
WORD CandidateValue(unsigned code) { return static_cast<WORD>(code < 256 ? code << 8 : code); }

// Box and line of a horizontal character (or, with vertical, of a vertical one).
void SetGeometry(RecoCharInfo& rec, bool vertical, const PageBounds& page, int left, int top, int right, int bottom,
                 int lineLeft, int lineTop, int lineRight, int lineBottom) {
    left = page.X(left), right = std::max(page.X(right), left);
    top = page.Y(top), bottom = std::max(page.Y(bottom), top);
    lineLeft = page.X(lineLeft), lineRight = std::max(page.X(lineRight), lineLeft);
    lineTop = page.Y(lineTop), lineBottom = std::max(page.Y(lineBottom), lineTop);
    if (vertical) {
        rec.nBoxAcross = ToShort(right);
        rec.nBoxAlong = ToShort(top);
        rec.nBoxThick = ToShort(right - left + 1);
        rec.nBoxLen = ToShort(bottom - top + 1);
        rec.nLineX = ToShort(lineRight);
        rec.nLineY = ToShort(lineTop);
        rec.nLineThick = ToShort(lineRight - lineLeft + 1);
        rec.nLineLen = ToShort(lineBottom - lineTop + 1);
    } else {
        rec.nBoxAcross = ToShort(top);
        rec.nBoxAlong = ToShort(left);
        rec.nBoxThick = ToShort(bottom - top + 1);
        rec.nBoxLen = ToShort(right - left + 1);
        rec.nLineX = ToShort(lineLeft);
        rec.nLineY = ToShort(lineTop);
        rec.nLineThick = ToShort(lineBottom - lineTop + 1);
        rec.nLineLen = ToShort(lineRight - lineLeft + 1);
    }
    if (rec.nBoxLen < 1) rec.nBoxLen = 1;
}

WORD Le16(const unsigned char* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

void TooManyCharacters() { DocumentHost().MessageBox(kMsgTooManyChars, "", MB_OK | MB_ICONSTOP); }

// Reads a whole file of at most `limit` bytes: 0 read, 1 not opened, 2 too large or unreadable.
int ReadBoundedFile(const std::string& path, UINT limit, std::string& contents) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    LARGE_INTEGER size{};
    int result = 0;
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || size.QuadPart > limit) {
        result = 2;
    } else {
        contents.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        if (!contents.empty() &&
            (!ReadFile(file, contents.data(), static_cast<DWORD>(contents.size()), &got, nullptr) ||
             got != contents.size()))
            result = 2;
    }
    CloseHandle(file);
    return result;
}

}  // namespace

int CRecoResult::LoadFromChineseResult(const _regioninfo* result, int pageWidth, int pageHeight) {
    Clear();
    FillBuffers fill;
    PageBounds page(pageWidth, pageHeight);
    UINT nodes = 0, block = 0;
    // Every engine entry is one block, also one without characters, so that
    // the block numbers stay those of the region list.
    for (const _regioninfo* region = result; region; region = region->next, ++block) {
        bool vertical = region->bVertical != 0;
        UINT l = 0;
        for (const _lineinfo* line = region->pLines; line; line = line->next, ++l) {
            UINT c = 0;
            for (const _charinfo* ch = line->pChars; ch; ch = ch->next, ++c) {
                if (++nodes > kMaxEngineNodes || fill.records.size() >= kRecoMaxRecords) {
                    TooManyCharacters();
                    return 0;
                }
                RecoCharInfo rec{};
                rec.byLine = static_cast<BYTE>(l);
                rec.byLineAttr = line->byAttr;
                rec.byChar = static_cast<BYTE>(c);
                rec.byFlags = static_cast<BYTE>((vertical ? kRecoVertical : 0) | (ch->byFont & 0x7F));
                SetGeometry(rec, vertical, page, ch->left, ch->top, ch->right, ch->bottom, line->left, line->top,
                            line->right, line->bottom);
                rec.wBlock = static_cast<WORD>(block);
                rec.chClass = ch->nDist > 150 ? 'E' : ch->nDist <= 80 ? 'A' : 'D';
                int cands = std::clamp<int>(ch->nCands, 0, TRESK_MAX_CANDIDATES);
                for (int k = 0; k < cands; ++k) rec.wCand[k] = CandidateValue(ch->wCand[k]);
                unsigned code = cands > 0 ? ch->wCand[0] : '~';
                if (cands == 0) rec.chClass = 'E';
                fill.text.append(static_cast<size_t>(std::clamp<int>(ch->nSpaces, 0, 255)), ' ');
                // Lead byte in the low half; a code below 256 is a single byte.
                if (code < 256)
                    AppendUnit(fill.text, 0, static_cast<BYTE>(code), static_cast<UINT>(fill.records.size()));
                else
                    AppendUnit(fill.text, static_cast<BYTE>(code & 0xFF), static_cast<BYTE>(code >> 8),
                               static_cast<UINT>(fill.records.size()));
                fill.records.push_back(rec);
            }
            fill.text.append("\r\n");
            if (++nodes > kMaxEngineNodes) {
                TooManyCharacters();
                return 0;
            }
        }
        if (++nodes > kMaxEngineNodes || block >= 0xFFFF) {
            TooManyCharacters();
            return 0;
        }
    }
    UINT capacity = std::max<UINT>(static_cast<UINT>(fill.text.size()) + 64000, 128000);
    if (!CommitFill(fill.text, fill.records.data(), static_cast<UINT>(fill.records.size()), capacity)) return 0;
    return static_cast<int>(m_nLineCount);
}

namespace {

// An English code as the text form can carry it: a single byte up to 128,
// or a double-byte character whose lead byte sits in the low half. Anything
// else (a byte above 128, a broken pair, a byte that would end a line or the
// text) is shown as '~', as is a character without candidates.
WORD EnglishCode(unsigned code) {
    if (code == 0 || code == 10 || code == 13) return '~';
    if (code <= 0x80) return static_cast<WORD>(code);
    if (code > 0xFF && IsRecoLeadByte(static_cast<BYTE>(code & 0xFF)) && IsRecoTrailByte(static_cast<BYTE>(code >> 8)))
        return static_cast<WORD>(code);
    return '~';
}

}  // namespace

BOOL ConvertEnglishResult(const _regioninfoeng* result, int pageWidth, int pageHeight, std::string& text,
                          std::vector<RecoCharInfo>& records) {
    text.clear();
    records.clear();
    PageBounds page(pageWidth, pageHeight);
    UINT nodes = 0, block = 0;
    auto refuse = [&]() {
        text.clear();
        records.clear();
        return FALSE;
    };
    for (const _regioninfoeng* region = result; region; region = region->next, ++block) {
        if (++nodes > kMaxEngineNodes || block >= 0xFFFF) return refuse();
        UINT l = 0;
        for (const _lineinfoeng* line = region->pLines; line; line = line->next, ++l) {
            if (++nodes > kMaxEngineNodes) return refuse();
            UINT c = 0;
            for (const _wordinfoeng* word = line->pWords; word; word = word->next) {
                if (++nodes > kMaxEngineNodes) return refuse();
                text.append(static_cast<size_t>(std::clamp<int>(word->nBlanks, 0, 255)), ' ');
                for (const _charinfoeng* ch = word->pChars; ch; ch = ch->next, ++c) {
                    if (++nodes > kMaxEngineNodes || records.size() >= kRecoMaxRecords) return refuse();
                    RecoCharInfo rec{};
                    rec.byLine = static_cast<BYTE>(std::min<UINT>(l, 255));
                    rec.byLineAttr = c == 0 ? 1 : 0;
                    rec.byChar = static_cast<BYTE>(std::min<UINT>(c, 255));
                    rec.byFlags = static_cast<BYTE>(ch->byFlags & 0x7F);
                    SetGeometry(rec, false, page, ch->left, ch->top, ch->right, ch->bottom, line->left, line->top,
                                line->right, line->bottom);
                    rec.wBlock = static_cast<WORD>(block);
                    rec.chClass = EnglishCharClass(ch->nDist);
                    const int cands = std::clamp<int>(ch->nCands, 0, PENDRIL20_MAX_CANDIDATES);
                    for (int k = 0; k < cands; ++k) rec.wCand[k] = CandidateValue(EnglishCode(ch->wCand[k]));
                    const WORD code = cands > 0 ? EnglishCode(ch->wCand[0]) : WORD('~');
                    if (cands == 0) rec.chClass = 'E';
                    if (code <= 0x80)
                        AppendUnit(text, 0, static_cast<BYTE>(code), static_cast<UINT>(records.size()));
                    else
                        AppendUnit(text, static_cast<BYTE>(code & 0xFF), static_cast<BYTE>(code >> 8),
                                   static_cast<UINT>(records.size()));
                    records.push_back(rec);
                }
            }
            text.append("\r\n");
        }
    }
    return TRUE;
}

BOOL CRecoResult::LoadFromEnglishResult(const _regioninfoeng* result, int pageWidth, int pageHeight) {
    Clear();
    FillBuffers fill;
    if (!ConvertEnglishResult(result, pageWidth, pageHeight, fill.text, fill.records)) {
        TooManyCharacters();
        return FALSE;
    }
    UINT capacity = std::max<UINT>(static_cast<UINT>(fill.text.size()) + 64000, 128000);
    return CommitFill(fill.text, fill.records.data(), static_cast<UINT>(fill.records.size()), capacity);
}

BOOL CRecoResult::LoadSaved(int mode, const BYTE* text, UINT textLen, const BYTE* chars, UINT charBytes) {
    if (mode == 0) {
        Clear();
        std::string base = DocumentHost().DataFolder() + kRecoWorkFileBase;
        std::string ce, idx, txt;
        static const struct {
            const char* ext;
            UINT limit;
            const char* openError;
        } files[] = {{".c&e", kRecoMaxWorkCeBytes, kMsgCeOpenError},
                     {".idx", kRecoMaxRecords * 24 + 23, kMsgIdxOpenError},
                     {".txt", kRecoMaxWorkTxtBytes, kMsgTxtOpenError}};
        std::string* contents[] = {&ce, &idx, &txt};
        for (int i = 0; i < 3; ++i) {
            int read = ReadBoundedFile(base + files[i].ext, files[i].limit, *contents[i]);
            if (read != 0) {
                DocumentHost().MessageBox(read == 1 ? files[i].openError : kMsgWorkFilesDamaged, "",
                                           MB_OK | MB_ICONSTOP);
                return FALSE;
            }
        }
        return LoadFromWorkFileBytes(ce, idx, txt);
    }

    Clear();
    // The saved pair is checked once here; every walk afterwards relies on it.
    if (!text || textLen < 2 || text[textLen - 2] != 13 || text[textLen - 1] != 10) return FALSE;
    if (charBytes % sizeof(RecoCharInfo) != 0 || (charBytes != 0 && !chars)) return FALSE;
    UINT records = charBytes / static_cast<UINT>(sizeof(RecoCharInfo));
    if (records > kRecoMaxRecords) return FALSE;
    for (UINT p = 0; p < textLen;) {
        BYTE b = text[p];
        if (b == kRecoMark) {
            if (textLen - p < kRecoUnitLength || text[p + 5] != kRecoMark) return FALSE;
            if (dochelpers::RecoUnitIndex(text + p) >= records) return FALSE;
            p += kRecoUnitLength;
        } else if (b == 13) {
            if (p + 1 >= textLen || text[p + 1] != 10) return FALSE;
            p += 2;
        } else if (b == 10) {
            return FALSE;
        } else if (IsRecoLeadByte(b) && p + 1 < textLen && IsRecoTrailByte(text[p + 1])) {
            p += 2;
        } else {
            ++p;
        }
    }
    if (!CommitFill(std::string_view(reinterpret_cast<const char*>(text), textLen),
                    reinterpret_cast<const RecoCharInfo*>(chars), records, std::max<UINT>(textLen, 256000)))
        return FALSE;
    m_bModified = 0;  // as saved
    return TRUE;
}

BOOL CRecoResult::LoadFromWorkFileBytes(std::string_view ceFile, std::string_view idxFile, std::string_view txtFile) {
    Clear();
    auto damaged = []() {
        DocumentHost().MessageBox(kMsgWorkFilesDamaged, "", MB_OK | MB_ICONSTOP);
        return FALSE;
    };
    if (txtFile.size() > kRecoMaxWorkTxtBytes || ceFile.size() > kRecoMaxWorkCeBytes) return damaged();
    auto ce = reinterpret_cast<const unsigned char*>(ceFile.data());
    auto idx = reinterpret_cast<const unsigned char*>(idxFile.data());
    auto txt = reinterpret_cast<const unsigned char*>(txtFile.data());
    size_t ceSize = ceFile.size(), txtSize = txtFile.size();
    size_t idxRecords = idxFile.size() / 24, idxUsed = 0;
    size_t cePos = std::min<size_t>(20, ceSize);
    FillBuffers fill;
    int blockCounter = -1;
    for (size_t i = 0; i < txtSize;) {
        unsigned char b = txt[i];
        if (b == '\t' || b == ' ') {
            fill.text.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        // Line ends are kept as CR LF pairs: a lone LF gets its CR, a lone CR is dropped.
        if (b == '\r' || b == '\n') {
            if (b == '\n' || (i + 1 < txtSize && txt[i + 1] == '\n')) fill.text.append("\r\n");
            i += (b == '\r' && i + 1 < txtSize && txt[i + 1] == '\n') ? 2 : 1;
            continue;
        }
        // A character: one index record and one class-and-candidates entry.
        if (idxUsed >= idxRecords || cePos + 2 > ceSize) return damaged();
        const unsigned char* d = idx + 24 * idxUsed++;
        unsigned char letter = ce[cePos], count = ce[cePos + 1];
        size_t codes = count < '0' ? 0 : static_cast<size_t>(count - '0' + 1);
        size_t entrySize = 2 * codes + 4;
        if (cePos + entrySize > ceSize) return damaged();
        const unsigned char* code = ce + cePos + 2;
        cePos += entrySize;
        if (codes >= 1 && code[0] == 0x80 && code[1] == 0x80) {
            i = std::min(i + 2, txtSize);
            continue;
        }
        if (fill.records.size() >= kRecoMaxRecords) {
            TooManyCharacters();
            return FALSE;
        }
        RecoCharInfo rec{};
        bool vertical = (d[7] & 0x80) != 0;
        rec.nLineX = static_cast<SHORT>(Le16(vertical ? d : d + 20));
        rec.nLineY = static_cast<SHORT>(Le16(vertical ? d + 20 : d));
        rec.nLineThick = static_cast<SHORT>(Le16(d + 2));
        rec.byLine = d[4];
        rec.byLineAttr = d[5];
        rec.byChar = d[6];
        if ((d[4] == 0 && d[6] == 0) || blockCounter < 0) ++blockCounter;
        rec.wBlock = static_cast<WORD>(std::min(blockCounter, 0xFFFF));
        rec.byFlags = static_cast<BYTE>((d[7] & 0x80) | (d[22] & 0x7F));
        rec.nBoxAcross = static_cast<SHORT>(Le16(d + 8));
        rec.nBoxAlong = static_cast<SHORT>(Le16(d + 10));
        rec.nBoxThick = static_cast<SHORT>(Le16(d + 12));
        rec.nBoxLen = static_cast<SHORT>(Le16(d + 14));
        if (rec.nBoxLen < 1) rec.nBoxLen = 1;
        rec.chClass = letter;
        for (size_t k = 0; k < codes && k < 10; ++k) {
            unsigned char c0 = code[2 * k], c1 = code[2 * k + 1];
            rec.wCand[k] = (c0 < 0x80 && c1 < 0x80) ? static_cast<WORD>(c1 << 8) : static_cast<WORD>(c0 | (c1 << 8));
        }
        BYTE b1 = 0, b2 = b;
        if (b & 0x80) {
            if (i + 1 >= txtSize) return damaged();
            b1 = b;
            b2 = txt[i + 1];
            i += 2;
        } else {
            ++i;
        }
        AppendUnit(fill.text, b1, b2, static_cast<UINT>(fill.records.size()));
        fill.records.push_back(rec);
    }
    if (!fill.text.empty() && fill.text.back() != '\n') fill.text.append("\r\n");
    UINT capacity = std::max<UINT>(8 * static_cast<UINT>(txtSize) + 64000, 256000);
    capacity = std::max<UINT>(capacity, static_cast<UINT>(fill.text.size()) + 64000);
    if (!CommitFill(fill.text, fill.records.data(), static_cast<UINT>(fill.records.size()), capacity)) return FALSE;
    return TRUE;
}
