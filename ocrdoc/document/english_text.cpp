#include "ocrdoc/document/english_text.h"

#include <algorithm>

#include "ocrdoc/helpers/dbcs.h"
#include "ocrdoc/helpers/reco_unit.h"

namespace {

// Walking a result made by another library: its lists are bounded here so
// that a looped or huge answer cannot run away.
constexpr long long kMaxAnswerNodes = 4'000'000;

}  // namespace

long long CountEnglishChars(const _regioninfoeng* result) {
    long long n = 0, nodes = 0;
    for (const _regioninfoeng* e = result; e && nodes < kMaxAnswerNodes; e = e->next, ++nodes)
        for (const _lineinfoeng* l = e->pLines; l && nodes < kMaxAnswerNodes; l = l->next, ++nodes)
            for (const _wordinfoeng* w = l->pWords; w && nodes < kMaxAnswerNodes; w = w->next, ++nodes)
                for (const _charinfoeng* c = w->pChars; c && nodes < kMaxAnswerNodes; c = c->next, ++nodes) ++n;
    return n;
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
            UINT index = dochelpers::RecoUnitIndex(text.data() + p);
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
            const UINT index = dochelpers::RecoUnitIndex(text.data() + p);
            if (index >= recordCount) return false;
        } else if ((b == 13 || b == 10) && len != 2) {
            return false;  // a CR or LF that is not a CR LF pair
        }
        p += len;
    }
    return true;
}
