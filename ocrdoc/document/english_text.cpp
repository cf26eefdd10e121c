#include "ocrdoc/document/english_text.h"

#include <algorithm>

#include "ocrdoc/helpers/dbcs.h"

namespace {

// Walking a result made by another library: its lists are bounded here so
// that a looped or huge answer cannot run away.
constexpr long long kMaxAnswerNodes = 4'000'000;

void AppendChar(std::string& text, WORD code, UINT index) {
    const BYTE b1 = code <= 0x80 ? 0 : static_cast<BYTE>(code & 0xFF);
    const BYTE b2 = code <= 0x80 ? static_cast<BYTE>(code) : static_cast<BYTE>(code >> 8);
    const char unit[6] = {static_cast<char>(kRecoMark), static_cast<char>(b1), static_cast<char>(b2),
                          static_cast<char>(index & 0xFF), static_cast<char>((index >> 8) & 0xFF),
                          static_cast<char>(kRecoMark)};
    text.append(unit, 6);
}

SHORT Extent(SHORT low, SHORT high) {
    const int extent = static_cast<int>(high) - low + 1;
    return static_cast<SHORT>(std::clamp(extent, 1, 32767));
}

}  // namespace

long long CountEnglishChars(const _regioninfoeng* result) {
    long long n = 0, nodes = 0;
    for (const _regioninfoeng* e = result; e && nodes < kMaxAnswerNodes; e = e->next, ++nodes)
        for (const _lineinfoeng* l = e->pLines; l && nodes < kMaxAnswerNodes; l = l->next, ++nodes)
            for (const _wordinfoeng* w = l->pWords; w && nodes < kMaxAnswerNodes; w = w->next, ++nodes)
                for (const _charinfoeng* c = w->pChars; c && nodes < kMaxAnswerNodes; c = c->next, ++nodes) ++n;
    return n;
}

BOOL ConvertEnglishResult(const _regioninfoeng* result, std::string& text, std::vector<RecoCharInfo>& records) {
    text.clear();
    records.clear();
    long long nodes = 0;
    int block = -1;
    auto refuse = [&]() {
        text.clear();
        records.clear();
        return FALSE;
    };
    for (const _regioninfoeng* entry = result; entry; entry = entry->next) {
        if (++nodes > kMaxAnswerNodes) return refuse();
        int lineIndex = 0;
        for (const _lineinfoeng* line = entry->pLines; line; line = line->next, ++lineIndex) {
            if (++nodes > kMaxAnswerNodes) return refuse();
            int charIndex = 0;
            for (const _wordinfoeng* word = line->pWords; word; word = word->next) {
                if (++nodes > kMaxAnswerNodes) return refuse();
                text.append(static_cast<std::size_t>(std::clamp<int>(word->nBlanks, 0, 255)), ' ');
                for (const _charinfoeng* ch = word->pChars; ch; ch = ch->next, ++charIndex) {
                    if (++nodes > kMaxAnswerNodes || records.size() >= kRecoMaxRecords) return refuse();
                    if (lineIndex == 0 && charIndex == 0) ++block;
                    RecoCharInfo rec{};
                    rec.nLineX = line->left;
                    rec.nLineY = line->top;
                    rec.nLineThick = Extent(line->top, line->bottom);
                    rec.nLineLen = Extent(line->left, line->right);
                    rec.wBlock = static_cast<WORD>(std::max(block, 0));
                    rec.byLine = static_cast<BYTE>(std::min(lineIndex, 255));
                    rec.byLineAttr = charIndex == 0 ? 1 : 0;
                    rec.byChar = static_cast<BYTE>(std::min(charIndex, 255));
                    rec.byFlags = static_cast<BYTE>(ch->byFlags & 0x7F);
                    rec.nBoxAcross = ch->top;
                    rec.nBoxAlong = ch->left;
                    rec.nBoxThick = Extent(ch->top, ch->bottom);
                    rec.nBoxLen = Extent(ch->left, ch->right);
                    rec.chClass = EnglishCharClass(ch->nDist);
                    const int cands = std::clamp<int>(ch->nCands, 0, PENDRIL20_MAX_CANDIDATES);
                    for (int k = 0; k < cands; ++k) {
                        const WORD code = ch->wCand[k];
                        rec.wCand[k] = code < 256 ? static_cast<WORD>(code << 8) : code;
                    }
                    WORD first = cands > 0 ? ch->wCand[0] : WORD('?');
                    // A code the text form cannot carry (no byte, or a lone
                    // line-break byte) is shown as unknown.
                    if (first == 0 || first == 10 || first == 13) first = '?';
                    if (cands == 0) rec.chClass = 'E';
                    AppendChar(text, first, static_cast<UINT>(records.size()));
                    records.push_back(rec);
                }
            }
            text.append("\r\n");
        }
    }
    text.append("\r\n");
    return TRUE;
}

std::size_t TextUnitLength(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 0;
    const std::size_t left = text.size() - pos;
    const auto b = static_cast<BYTE>(text[pos]);
    if (b == kRecoMark) return std::min<std::size_t>(kRecoUnitLength, left);
    if (left >= 2 && b == 13 && text[pos + 1] == 10) return 2;
    if (left >= 2 && dochelpers::IsLeadByte(b) && dochelpers::IsTrailByte(static_cast<BYTE>(text[pos + 1]))) return 2;
    return 1;
}

std::size_t SpanOfLines(std::string_view text, std::size_t pos, int lines) {
    std::size_t p = std::min(pos, text.size());
    for (int l = 0; l < lines && p < text.size(); ++l) {
        while (p < text.size()) {
            const std::size_t len = TextUnitLength(text, p);
            p += len;
            if (text[p - 1] == 10) break;
        }
    }
    return p - std::min(pos, text.size());
}

void RaiseRecordIndexes(std::string& text, UINT delta) {
    for (std::size_t p = 0; p < text.size();) {
        const std::size_t len = TextUnitLength(text, p);
        if (static_cast<BYTE>(text[p]) == kRecoMark && len == kRecoUnitLength) {
            UINT index = static_cast<BYTE>(text[p + 3]) | (static_cast<UINT>(static_cast<BYTE>(text[p + 4])) << 8);
            index += delta;
            text[p + 3] = static_cast<char>(index & 0xFF);
            text[p + 4] = static_cast<char>((index >> 8) & 0xFF);
        }
        p += len;
    }
}

bool IsWholeTextForm(std::string_view text, UINT recordCount) {
    for (std::size_t p = 0; p < text.size();) {
        const auto b = static_cast<BYTE>(text[p]);
        const std::size_t len = TextUnitLength(text, p);
        if (b == kRecoMark) {
            if (len != kRecoUnitLength || static_cast<BYTE>(text[p + 5]) != kRecoMark) return false;
            const UINT index = static_cast<BYTE>(text[p + 3]) | (static_cast<UINT>(static_cast<BYTE>(text[p + 4])) << 8);
            if (index >= recordCount) return false;
        } else if ((b == 13 || b == 10) && len != 2) {
            return false;  // a CR or LF that is not a CR LF pair
        }
        p += len;
    }
    return true;
}
