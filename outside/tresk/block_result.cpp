#include "outside/tresk/block_result.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "outside/ocrkit/chain.h"
#include "outside/ocrkit/codepage.h"
#include "outside/ocrkit/scan_lookalikes.h"
#include "outside/tresk/character_cells.h"

namespace tresk {

namespace {

using ocrkit::appendNew;

// Confidence 0..100 as the engine's distance: up to 80 (confidence 75 and
// more) sure, above 150 (below about 53) very doubtful, at most 254 (255
// marks a character nothing was read for).
short distanceOf(float confidence) {
    float c = std::clamp(confidence, 0.0f, 100.0f);
    return static_cast<short>(std::min(254L, std::lround((100.0f - c) * 3.2f)));
}

// Candidates after the chosen reading: the recogniser's own alternatives
// rarely hold the right ideograph when it misreads one, so the character's
// image is also matched against the code page's glyphs; the nearest shapes
// come first, then the recogniser's alternatives, then further shapes.
constexpr int kShapesFirst = 6;
// Characters the recogniser is this sure of (0..100) are nearly always
// right; matching their shapes would cost time for nothing: their further
// candidates are the characters that look most like them.
constexpr float kSureConfidence = 99.0f;

bool looksLikeIdeograph(const ocrkit::Symbol& s, const std::string& reading) {
    if (ocrkit::isWideCharacter(ocrkit::firstCodePoint(reading))) return true;
    // A Latin letter or mark read where the ink is as wide as it is tall.
    return s.box.height() >= 8 && s.box.width() * 10 >= s.box.height() * 7;
}

// Marks a poor scan turns into one another, whose shapes say nothing: a
// blot at the foot of the cell (full stop, comma, enumeration comma, or the
// ASCII dot or comma the recogniser takes them for) and a flat stroke (the
// ideograph one read as a dash or tilde). The other marks of the reading's
// kind follow it as candidates.
std::vector<std::string> marksLike(const std::string& reading) {
    static const std::vector<std::string> blots{".", ",", "\u3002", "\uFF0C", "\u3001"}, blotMarks{"\u3002", "\uFF0C", "\u3001"};
    static const std::vector<std::string> strokes{"-", "~", "_", "\u2014", "\uFF0D"}, strokeMarks{"\u4E00", "\uFF0D"};
    std::vector<std::string> out;
    auto among = [&](const std::vector<std::string>& kind) { return std::find(kind.begin(), kind.end(), reading) != kind.end(); };
    const std::vector<std::string>* marks = among(blots) ? &blotMarks : among(strokes) ? &strokeMarks : nullptr;
    if (marks)
        for (const std::string& m : *marks)
            if (m != reading) out.push_back(m);
    return out;
}

std::vector<std::string> candidatesOf(const ocrkit::Symbol& s, const ocrkit::Box& cell, const Output& out) {
    std::vector<std::string> own;
    for (const ocrkit::Choice& ch : s.choices) own.push_back(ch.utf8);
    if (own.empty()) return own;
    std::vector<std::string> marks = marksLike(own[0]);
    if (!marks.empty()) {
        own.insert(own.begin() + 1, marks.begin(), marks.end());
        return own;
    }
    // A Latin character in Chinese text: the letters a poor scan makes of
    // it follow the recogniser's own alternatives.
    for (const std::string& l : ocrkit::lettersLike(own[0]))
        if (std::find(own.begin(), own.end(), l) == own.end()) own.push_back(l);
    const ocrkit::GlyphShapes* shapes = out.plane ? out.shapes : nullptr;
    if (!shapes) return own;
    std::vector<std::string> near;
    if (s.confidence >= kSureConfidence)
        near = shapes->lookalikes(own[0], TRESK_MAX_CANDIDATES - 1);
    else if (looksLikeIdeograph(s, own[0])) {
        near = shapes->nearest(*out.plane, cell, TRESK_MAX_CANDIDATES);
        // A cell cut without ink (columns of vertical text, touching
        // characters): the engine's own box, else the shapes like the reading.
        if (near.empty()) near = shapes->nearest(*out.plane, s.box, TRESK_MAX_CANDIDATES);
        if (near.empty()) near = shapes->lookalikes(own[0], TRESK_MAX_CANDIDATES - 1);
    }
    if (near.empty()) return own;
    std::vector<std::string> merged{own[0]};
    std::size_t k = 0;
    for (; k < near.size() && k < static_cast<std::size_t>(kShapesFirst); ++k) merged.push_back(near[k]);
    for (std::size_t j = 1; j < own.size(); ++j) merged.push_back(own[j]);
    for (; k < near.size(); ++k) merged.push_back(near[k]);
    return merged;
}

// The full-width form of ASCII punctuation, or "" for other text.
std::string fullWidthOf(const std::string& s) {
    static const char* const ascii = ",;:?!()";
    static const char* const wide[] = {"\uFF0C", "\uFF1B", "\uFF1A", "\uFF1F", "\uFF01", "\uFF08", "\uFF09"};
    if (s.size() != 1) return {};
    const char* p = std::strchr(ascii, s[0]);
    return p && *p ? wide[p - ascii] : std::string();
}

// The models sometimes read Chinese punctuation as its ASCII look-alike;
// next to Chinese characters it is the full-width mark (the ASCII one stays a
// candidate).
void widenPunctuation(ocrkit::Line& line) {
    std::vector<ocrkit::Symbol*> syms;
    for (ocrkit::Word& w : line.words)
        for (ocrkit::Symbol& s : w.symbols) syms.push_back(&s);
    auto wideAt = [&](std::size_t i) {
        return i < syms.size() && ocrkit::isWideCharacter(ocrkit::firstCodePoint(syms[i]->utf8));
    };
    for (std::size_t i = 0; i < syms.size(); ++i) {
        std::string wide = fullWidthOf(syms[i]->utf8);
        if (wide.empty() || !(wideAt(i + 1) || (i > 0 && wideAt(i - 1)))) continue;
        syms[i]->choices.insert(syms[i]->choices.begin(), {wide, syms[i]->confidence});
        syms[i]->utf8 = wide;
    }
}

// Hands a line to the text callback in pieces of at most kPieceBytes bytes
// (the receiver copies each into a buffer of its own), never splitting a
// double-byte character, then the line end.
constexpr std::size_t kPieceBytes = 240;

void sendLine(TRESK_TEXT_CALLBACK text, const std::string& line) {
    std::size_t i = 0;
    while (i < line.size()) {
        std::size_t end = i;
        while (end < line.size()) {
            std::size_t unit = static_cast<unsigned char>(line[end]) >= 0x80 && end + 1 < line.size() ? 2 : 1;
            if (end + unit - i > kPieceBytes) break;
            end += unit;
        }
        text(line.substr(i, end - i).c_str());
        i = end;
    }
    text("\n");
}

// The recogniser gives no character boxes in some lines (columns of vertical
// text): its characters then share the line's box evenly along the reading
// direction, so that cells are cut from the ink near them and the result
// holds a place for every character.
void placeCharacters(ocrkit::Line& line, bool vertical) {
    std::vector<ocrkit::Symbol*> syms;
    bool missing = false;
    for (ocrkit::Word& w : line.words)
        for (ocrkit::Symbol& s : w.symbols) {
            syms.push_back(&s);
            missing = missing || s.box.empty();
        }
    if (!missing || syms.empty() || line.box.empty()) return;
    const int n = static_cast<int>(syms.size());
    const int length = vertical ? line.box.height() : line.box.width();
    const int start = vertical ? line.box.top : line.box.left;
    for (int i = 0; i < n; ++i) {
        ocrkit::Box b = line.box;
        int low = start + static_cast<int>(static_cast<long long>(length) * i / n);
        int high = std::max(low, start + static_cast<int>(static_cast<long long>(length) * (i + 1) / n) - 1);
        (vertical ? b.top : b.left) = low;
        (vertical ? b.bottom : b.right) = high;
        syms[static_cast<std::size_t>(i)]->box = b;
    }
}

}  // namespace

bool buildBlock(std::vector<ocrkit::Line>& lines, bool vertical, const Output& out, _regioninfo* region) {
    _lineinfo** lineTail = &region->pLines;
    for (ocrkit::Line& src : lines) {
        widenPunctuation(src);
        placeCharacters(src, vertical);
        _lineinfo* line = appendNew(lineTail);
        if (!line) return false;
        ++region->nLines;
        line->byAttr = src.paragraphStart ? 1 : 0;
        ocrkit::setBox(*line, src.box);
        _charinfo** charTail = &line->pChars;
        std::vector<tresk::CellInput> cellInput;
        for (const ocrkit::Word& w : src.words)
            for (const ocrkit::Symbol& s : w.symbols) cellInput.push_back({s.box, !s.utf8.empty() && looksLikeIdeograph(s, s.utf8)});
        std::vector<ocrkit::Box> cells = out.plane ? tresk::characterCells(*out.plane, cellInput, vertical) : std::vector<ocrkit::Box>(cellInput.size());
        std::size_t symbolIndex = 0;
        std::string lineText;
        bool prevWide = false;
        for (const ocrkit::Word& w : src.words) {
            bool firstOfWord = true;
            for (const ocrkit::Symbol& s : w.symbols) {
                const ocrkit::Box& cell = cells[symbolIndex++];
                // One engine symbol may hold several characters (ligatures):
                // they share its box, cut along the reading direction.
                auto parts = ocrkit::splitUtf8(s.utf8);
                for (std::size_t k = 0; k < parts.size(); ++k) {
                    _charinfo* c = appendNew(charTail);
                    if (!c) return false;
                    ++line->nChars;
                    ocrkit::Box b = s.box;
                    if (parts.size() > 1) {
                        int n = static_cast<int>(parts.size()), i = static_cast<int>(k);
                        if (vertical) {
                            int h = b.height();
                            b.top = s.box.top + h * i / n;
                            b.bottom = s.box.top + h * (i + 1) / n - 1;
                        } else {
                            int wd = b.width();
                            b.left = s.box.left + wd * i / n;
                            b.right = s.box.left + wd * (i + 1) / n - 1;
                        }
                    }
                    ocrkit::setCharBox(*c, b);
                    bool wide = ocrkit::isWideCharacter(ocrkit::firstCodePoint(parts[k]));
                    // Blanks the engine puts between Chinese characters are not typed spaces.
                    if (firstOfWord && k == 0 && w.blanks > 0 && !wide && !prevWide)
                        c->nSpaces = static_cast<short>(std::min(w.blanks, 8));
                    prevWide = wide;
                    c->nDist = distanceOf(s.confidence);
                    // Candidates: the best reading, then the engine's alternatives.
                    std::vector<std::string> cands;
                    if (parts.size() == 1) {
                        cands = candidatesOf(s, cell, out);
                    } else {
                        cands.push_back(parts[k]);
                    }
                    for (const std::string& u : cands) {
                        if (c->nCands >= TRESK_MAX_CANDIDATES) break;
                        if (ocrkit::splitUtf8(u).size() != 1) continue;
                        std::string bytes;
                        if (!ocrkit::fromUtf8(u, out.codePage, bytes) || bytes.empty() || bytes.size() > 2) continue;
                        std::uint16_t code = ocrkit::packCode(bytes);
                        bool dup = false;
                        for (int j = 0; j < c->nCands; ++j) dup = dup || c->wCand[j] == code;
                        if (!dup) c->wCand[c->nCands++] = code;
                    }
                    if (c->nCands == 0) {
                        c->wCand[c->nCands++] = ocrkit::unknownCode(out.codePage);
                        c->nDist = 255;
                    }
                    for (int j = 0; j < c->nSpaces; ++j) lineText += ' ';
                    lineText += ocrkit::unpackCode(c->wCand[0]);
                }
                firstOfWord = false;
            }
        }
        if (out.text) sendLine(out.text, lineText);
    }
    return true;
}

void freeResult(_regioninfo* result) {
    ocrkit::freeChain(result, [](_regioninfo* r) {
        ocrkit::freeChain(r->pLines, [](_lineinfo* l) { ocrkit::freeChain(l->pChars); });
    });
}

}  // namespace tresk
