// Connected groups of black pixels of a 1-bit image (rows top-down,
// (width + 7) / 8 bytes each, most significant bit leftmost, 1 = black),
// kept as bounding boxes, then filtered and merged with limits scaled from
// 300 dpi to the image's resolution.
#pragma once

#include <vector>

#include "platform/win/types.h"

struct BlockRecord {
    int32_t left, top, right, bottom;  // inclusive
    int32_t merged;                    // 0 = live
};

class CBlockList {
public:
    CBlockList();
    virtual ~CBlockList();
    CBlockList(const CBlockList&) = delete;
    CBlockList& operator=(const CBlockList&) = delete;

    // Keeps a copy of the image; FALSE when the copy cannot be had.
    BOOL SetImage(const BYTE* pBits, int width, int height, int resolution);
    // Labels the 8-connected blocks of the copy, then frees the copy.
    BOOL FindBlocks();
    // Flag 1 drops blocks near the margins and blocks larger than 1000/300
    // inch; then overlapping boxes are merged in one pass and the live blocks
    // are moved to the front.
    void MergeBlocks(int nFlag);
    // Sorts records by top edge and clears their merge marks.
    static void SortByTop(BlockRecord* pArray, int nCount);

    int Count() const { return m_nBlocks; }
    const BlockRecord& Block(int i) const { return m_blocks[i]; }

private:
    BOOL LabelBlocks();

    std::vector<BYTE> m_image;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nRowBytes = 0;
    int m_nBlocks = 0;
    int m_nResolution = 0;
    std::vector<BlockRecord> m_blocks;
};

// TRUE unless one box lies wholly left of, right of, above or below the other
// (touching boxes overlap; edges inclusive).
BOOL BoxesOverlap(const RECT& a, const RECT& b);
