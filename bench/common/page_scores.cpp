#include "bench/common/page_scores.h"

#include <QString>
#include <algorithm>
#include <map>

namespace bench {

using testpages::normalise;

namespace {
std::u32string u32(const std::string& s) { return QString::fromStdString(s).toStdU32String(); }

}  // namespace

// Aligns our characters with the truth (whitespace removed) by edit distance
// and counts the substitutions and those whose right character is a
// candidate. With `byCandidates`, of the alignments with the fewest edits the
// one with the most such substitutions is taken: where a character was
// dropped and another put in further on, the characters between them then
// pair with the truth they were read from rather than each with its
// neighbour's. Without it the plain alignment (substitutions taken first from
// the end back) is scored; both are printed, since the first favours us
// wherever the alignment is ambiguous.
void scoreCandidates(const std::string& page, const std::string& truth, const Reading& ours, bool byCandidates,
                     int& wrong, int& found, std::string& misses) {
    std::u32string want = u32(normalise(truth, false));
    std::vector<const Candidates*> got;
    std::vector<std::u32string> gotCands;  // the single characters among each one's candidates
    std::u32string gotText;
    for (const Candidates& c : ours.chars) {
        if (c.empty()) continue;
        std::u32string first = u32(c[0]);
        if (first.size() != 1 || first[0] == U' ') continue;
        got.push_back(&c);
        gotText += first[0];
        std::u32string cands;
        for (const std::string& k : c)
            if (std::u32string u = u32(k); u.size() == 1) cands += u[0];
        gotCands.push_back(std::move(cands));
    }
    const std::size_t n = want.size(), m = gotText.size();
    // Cost: edits times (n + m + 1), less one for each substitution whose
    // right character is a candidate (never as much as one edit).
    const long long edit = static_cast<long long>(n + m + 1);
    auto among = [&](std::size_t i, std::size_t j) { return gotCands[j - 1].find(want[i - 1]) != std::u32string::npos; };
    auto substitution = [&](std::size_t i, std::size_t j) {
        return want[i - 1] == gotText[j - 1] ? 0 : edit - (byCandidates && among(i, j) ? 1 : 0);
    };
    std::vector<std::vector<long long>> d(n + 1, std::vector<long long>(m + 1));
    for (std::size_t i = 0; i <= n; ++i) d[i][0] = static_cast<long long>(i) * edit;
    for (std::size_t j = 0; j <= m; ++j) d[0][j] = static_cast<long long>(j) * edit;
    for (std::size_t i = 1; i <= n; ++i)
        for (std::size_t j = 1; j <= m; ++j)
            d[i][j] = std::min({d[i - 1][j] + edit, d[i][j - 1] + edit, d[i - 1][j - 1] + substitution(i, j)});
    for (std::size_t i = n, j = m; i > 0 && j > 0;) {
        if (d[i][j] == d[i - 1][j - 1] + substitution(i, j)) {
            if (want[i - 1] != gotText[j - 1]) {
                ++wrong;
                found += among(i, j);
                // Each wrong character with its page, its candidates and the
                // truth around it (from the end of the page back).
                misses += page + ": want " + QString::fromStdU32String(std::u32string(1, want[i - 1])).toStdString() + " got";
                for (const std::string& c : *got[j - 1]) misses += " " + c;
                const std::size_t from = i >= 3 ? i - 3 : 0;
                misses += " in " + QString::fromStdU32String(want.substr(from, std::min<std::size_t>(5, n - from))).toStdString() + "\n";
            }
            --i;
            --j;
        } else if (d[i][j] == d[i - 1][j] + edit) {
            --i;
        } else {
            --j;
        }
    }
}

// Characters of a UTF-8 string (every byte that does not continue one).
int characterCount(const std::string& utf8) {
    return static_cast<int>(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

namespace {

bool isFrame(char32_t c) { return c == U'|' || (c >= 0x2500 && c <= 0x257F) || c == 0xFF5C; }

bool isWordCharacter(char32_t c) { return (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= 0xC0 && c < 0x2E80 && c != 0x2014 && c != 0x2019 && c != 0x201C && c != 0x201D); }

bool isIdeograph(char32_t c) { return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x2FFFF); }

// The words of a text: runs of Latin letters and digits, and each ideograph
// on its own; punctuation is no word.
std::map<std::u32string, int> wordBag(const std::string& text) {
    std::map<std::u32string, int> bag;
    std::u32string word;
    for (char32_t c : u32(text)) {
        if (isWordCharacter(c)) {
            word += c;
            continue;
        }
        if (!word.empty()) ++bag[word], word.clear();
        if (isIdeograph(c)) ++bag[std::u32string(1, c)];
    }
    if (!word.empty()) ++bag[word];
    return bag;
}

}  // namespace

std::string withoutTableFrames(const std::string& text) {
    std::u32string out;
    // A frame character parts the words on either side of it, as a blank does.
    for (char32_t c : u32(text)) out += isFrame(c) ? U' ' : c;
    return QString::fromStdU32String(out).toStdString();
}

double wordF1(const std::string& truth, const std::string& got) {
    const auto want = wordBag(truth), have = wordBag(got);
    long wanted = 0, had = 0, common = 0;
    for (const auto& [w, n] : want) {
        wanted += n;
        if (auto it = have.find(w); it != have.end()) common += std::min(n, it->second);
    }
    for (const auto& [w, n] : have) had += n;
    if (wanted == 0 && had == 0) return 1;
    if (common == 0) return 0;
    const double precision = static_cast<double>(common) / had, recall = static_cast<double>(common) / wanted;
    return 2 * precision * recall / (precision + recall);
}

}  // namespace bench
