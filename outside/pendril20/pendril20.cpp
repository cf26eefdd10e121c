// English recognition of page blocks through Tesseract's English model.

#include "outside/include/pendril20.h"

#include <algorithm>
#include <cmath>
#include <leptonica/allheaders.h>
#include <string>

#include "outside/ocrkit/chain.h"
#include "outside/ocrkit/codepage.h"
#include "outside/ocrkit/plane.h"
#include "outside/ocrkit/scan_lookalikes.h"
#include "outside/ocrkit/tess.h"

namespace {

using ocrkit::appendNew;

void freeResult(_regioninfoeng* result) {
    ocrkit::freeChain(result, [](_regioninfoeng* r) {
        ocrkit::freeChain(r->pLines, [](_lineinfoeng* l) {
            ocrkit::freeChain(l->pWords, [](_wordinfoeng* w) { ocrkit::freeChain(w->pChars); });
        });
    });
}

// The engine's reading of one character as plain ASCII: typographic quotes,
// dashes and ligatures become their keyboard forms; empty when there is none.
std::string asciiOf(const std::string& utf8) {
    std::string out;
    for (const std::string& ch : ocrkit::splitUtf8(utf8)) {
        char32_t c = ocrkit::firstCodePoint(ch);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        switch (c) {
        case 0x2018: case 0x2019: case 0x201A: case 0x2032: out += '\''; break;
        case 0x201C: case 0x201D: case 0x201E: case 0x2033: out += '"'; break;
        case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2212: out += '-'; break;
        case 0x2026: out.append(3, '.'); break;
        case 0xFB01: out.append("fi", 2); break;
        case 0xFB02: out.append("fl", 2); break;
        case 0xFB00: out.append(2, 'f'); break;
        case 0x00A0: out += ' '; break;
        case 0x00B7: case 0x2022: out += '.'; break;
        default:
            if (c >= 0xFF01 && c <= 0xFF5E) out += static_cast<char>(c - 0xFEE0);
            else return {};
        }
    }
    return out;
}

// Confidence 0..100 as the engine's distance: up to 100 (confidence 75 and
// more) sure, above 150 (below 62.5) very doubtful.
short distanceOf(float confidence) {
    float c = std::clamp(confidence, 0.0f, 100.0f);
    return static_cast<short>(std::lround((100.0f - c) * 4.0f));
}

_charinfoeng* appendChar(_charinfoeng**& tail, const ocrkit::Box& b, short dist) {
    _charinfoeng* c = appendNew(tail);
    if (!c) return nullptr;
    ocrkit::setCharBox(*c, b);
    c->nDist = dist;
    return c;
}

// The codes of one reading: ASCII where it has a keyboard form, else the
// letter in the program's code page (accented letters the code page holds);
// empty when the code page cannot hold it.
std::vector<WORD> codesOf(const std::string& utf8, int codePage) {
    std::vector<WORD> codes;
    std::string a = asciiOf(utf8);
    if (!a.empty()) {
        for (char ch : a) codes.push_back(static_cast<unsigned char>(ch));
        return codes;
    }
    for (const std::string& ch : ocrkit::splitUtf8(utf8)) {
        std::string bytes;
        if (!ocrkit::fromUtf8(ch, codePage, bytes) || bytes.empty() || bytes.size() > 2) return {};
        codes.push_back(ocrkit::packCode(bytes));
    }
    return codes;
}

bool buildBlock(const std::vector<ocrkit::Line>& lines, _regioninfoeng* region) {
    const int codePage = ocrkit::ansiCodePage();
    _lineinfoeng** lineTail = &region->pLines;
    for (const ocrkit::Line& src : lines) {
        _lineinfoeng* line = appendNew(lineTail);
        if (!line) return false;
        ++region->nLines;
        ocrkit::setBox(*line, src.box);
        _wordinfoeng** wordTail = &line->pWords;
        for (const ocrkit::Word& w : src.words) {
            _wordinfoeng* word = appendNew(wordTail);
            if (!word) return false;
            word->nBlanks = static_cast<short>(std::min(w.blanks, 8));
            _charinfoeng** charTail = &word->pChars;
            for (const ocrkit::Symbol& s : w.symbols) {
                std::vector<WORD> best = codesOf(s.utf8, codePage);
                short dist = distanceOf(s.confidence);
                if (best.empty()) {
                    best.push_back(ocrkit::unknownCode(codePage));
                    dist = 255;
                }
                // A ligature or ellipsis gives several characters sharing its box.
                int n = static_cast<int>(best.size());
                for (int k = 0; k < n; ++k) {
                    ocrkit::Box b = s.box;
                    if (n > 1) {
                        b.left = s.box.left + s.box.width() * k / n;
                        b.right = s.box.left + s.box.width() * (k + 1) / n - 1;
                    }
                    _charinfoeng* c = appendChar(charTail, b, dist);
                    if (!c) return false;
                    ++word->nChars;
                    c->wCand[c->nCands++] = best[k];
                    if (n > 1) continue;
                    // The recogniser's alternatives, then (where room is
                    // left) what a poor scan makes of the reading.
                    std::vector<std::string> alternatives;
                    for (const ocrkit::Choice& ch : s.choices) alternatives.push_back(ch.utf8);
                    for (auto* like : {&ocrkit::lettersLike, &ocrkit::bulletsLike})
                        for (std::string& l : like(s.utf8)) alternatives.push_back(std::move(l));
                    for (const std::string& alternative : alternatives) {
                        if (c->nCands >= PENDRIL20_MAX_CANDIDATES) break;
                        std::vector<WORD> a = codesOf(alternative, codePage);
                        if (a.size() != 1) continue;
                        WORD code = a[0];
                        bool dup = false;
                        for (int j = 0; j < c->nCands; ++j) dup = dup || c->wCand[j] == code;
                        if (!dup) c->wCand[c->nCands++] = code;
                    }
                }
            }
        }
    }
    return true;
}

}  // namespace

OUTSIDE_EXPORT _regioninfoeng* OR_PENDRIL20_RECOGIMG_ENGSTR(unsigned char* plane, short width, short height,
                                                            _recblockeng* blocks,
                                                            PENDRIL20_PROGRESS_CALLBACK progress,
                                                            PENDRIL20_PUMP_CALLBACK pump) {
    if (!plane || width <= 0 || height <= 0 || !blocks) return nullptr;
    ocrkit::PlaneView view(plane, width, height);
    ocrkit::Engine* engine = ocrkit::Engine::forThread("eng", {});
    if (!engine) return nullptr;
    Pix* pix = ocrkit::toPix(view, 3);
    if (!pix) return nullptr;
    int total = 0;
    for (_recblockeng* b = blocks; b; b = b->next) ++total;
    bool cancelled = false;
    ocrkit::CancelCheck check = ocrkit::pumpCheck(pump, cancelled);
    _regioninfoeng* head = nullptr;
    _regioninfoeng** tail = &head;
    bool failed = false;
    int done = 0;
    for (_recblockeng* b = blocks; b && !failed; b = b->next, ++done) {
        _regioninfoeng* r = appendNew(tail);
        if (!r) {
            failed = true;
            break;
        }
        if (progress) progress(static_cast<unsigned>(done * 100 / total));
        if (check()) break;
        ocrkit::Box box = view.clip(ocrkit::Box{b->left, b->top, b->right, b->bottom});
        if (box.empty()) continue;
        std::vector<ocrkit::Line> lines;
        if (!engine->recognise(pix, box, false, check, lines)) {
            failed = true;
            break;
        }
        if (!buildBlock(lines, r)) failed = true;
    }
    pixDestroy(&pix);
    if (failed || cancelled) {
        freeResult(head);
        return nullptr;
    }
    if (progress) progress(100);
    return head;
}

OUTSIDE_EXPORT void OR_PENDRIL20_FREERGNINFO_ENGSTR(_regioninfoeng* result) { freeResult(result); }
