// Builders for result-store tests: text-form units, saved records and engine
// result lists that the tests assemble themselves.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "ocrdoc/result/reco_result.h"

inline std::string RecoUnit(unsigned char b1, unsigned char b2, unsigned index) {
    std::string u;
    u.push_back(static_cast<char>(0x80));
    u.push_back(static_cast<char>(b1));
    u.push_back(static_cast<char>(b2));
    u.push_back(static_cast<char>(index & 0xFF));
    u.push_back(static_cast<char>(index >> 8));
    u.push_back(static_cast<char>(0x80));
    return u;
}

inline RecoCharInfo MakeRecord(WORD block, BYTE line, char cls, SHORT left = 10, SHORT top = 20, SHORT width = 16,
                               SHORT height = 18) {
    RecoCharInfo r{};
    r.wBlock = block;
    r.byLine = line;
    r.chClass = static_cast<BYTE>(cls);
    r.nBoxAlong = left;
    r.nBoxAcross = top;
    r.nBoxLen = width;
    r.nBoxThick = height;
    r.nLineX = left;
    r.nLineY = top;
    r.nLineThick = height;
    r.nLineLen = 200;
    return r;
}

// Loads text and records as the project reader does; false when refused.
inline bool LoadText(CRecoResult& store, const std::string& text, const std::vector<RecoCharInfo>& records) {
    return store.LoadSaved(1, reinterpret_cast<const BYTE*>(text.data()), static_cast<UINT>(text.size()),
                           reinterpret_cast<const BYTE*>(records.data()),
                           static_cast<UINT>(records.size() * sizeof(RecoCharInfo))) != FALSE;
}

// A Chinese engine result kept alive by the builder (nodes are linked in order).
struct ChineseResultBuilder {
    std::deque<_regioninfo> regions;
    std::deque<_lineinfo> lines;
    std::deque<_charinfo> chars;
    std::map<_lineinfo*, _charinfo*> tails;

    _regioninfo* AddRegion(bool vertical) {
        _regioninfo r{};
        r.bVertical = vertical ? 1 : 0;
        regions.push_back(r);
        if (regions.size() > 1) regions[regions.size() - 2].next = &regions.back();
        return &regions.back();
    }
    _lineinfo* AddLine(_regioninfo* region, SHORT left, SHORT top, SHORT right, SHORT bottom, BYTE attr = 0) {
        _lineinfo l{};
        l.byAttr = attr;
        l.left = left, l.top = top, l.right = right, l.bottom = bottom;
        lines.push_back(l);
        _lineinfo* added = &lines.back();
        _lineinfo** link = &region->pLines;
        while (*link) link = &(*link)->next;
        *link = added;
        ++region->nLines;
        return added;
    }
    _charinfo* AddChar(_lineinfo* line, WORD code, SHORT dist, SHORT left, SHORT top, SHORT right, SHORT bottom,
                       SHORT spaces = 0, BYTE font = 0) {
        _charinfo c{};
        c.left = left, c.top = top, c.right = right, c.bottom = bottom;
        c.nSpaces = spaces;
        c.nCands = 1;
        c.wCand[0] = code;
        c.nDist = dist;
        c.byFont = font;
        chars.push_back(c);
        _charinfo* added = &chars.back();
        _charinfo*& tail = tails[line];
        (tail ? tail->next : line->pChars) = added;
        tail = added;
        ++line->nChars;
        return added;
    }
    const _regioninfo* Result() const { return regions.empty() ? nullptr : &regions.front(); }
};
