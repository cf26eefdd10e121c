#include "imaging/block_list.h"

#include <algorithm>
#include <array>
#include <new>

namespace {

// Runs of set bits within one byte value: start and end bit (0 = leftmost).
struct ByteRuns {
    BYTE count = 0;
    BYTE start[4] = {};
    BYTE end[4] = {};
};

const std::array<ByteRuns, 256>& runTable() {
    static const std::array<ByteRuns, 256> table = [] {
        std::array<ByteRuns, 256> t{};
        for (int v = 0; v < 256; ++v) {
            ByteRuns& r = t[v];
            int bit = 0;
            while (bit < 8) {
                if (!((v >> (7 - bit)) & 1)) {
                    ++bit;
                    continue;
                }
                const int s = bit;
                while (bit < 8 && ((v >> (7 - bit)) & 1)) ++bit;
                r.start[r.count] = static_cast<BYTE>(s);
                r.end[r.count] = static_cast<BYTE>(bit - 1);
                ++r.count;
            }
        }
        return t;
    }();
    return table;
}

struct Run {
    int start, end;  // inclusive columns
    int block;
};

// Runs of one row, continuing across byte boundaries; the row's bits past
// the width are not read.
void extractRuns(const BYTE* row, int width, int rowBytes, std::vector<Run>& runs) {
    runs.clear();
    const auto& table = runTable();
    const BYTE lastMask = (width & 7) ? static_cast<BYTE>(0xFF << (8 - (width & 7))) : BYTE(0xFF);
    bool open = false;  // the last run reaches the right edge of the previous byte
    for (int b = 0; b < rowBytes; ++b) {
        BYTE v = row[b];
        if (b == rowBytes - 1) v &= lastMask;
        if (!v) {
            open = false;
            continue;
        }
        const ByteRuns& r = table[v];
        for (int k = 0; k < r.count; ++k) {
            const int s = b * 8 + r.start[k], e = b * 8 + r.end[k];
            if (k == 0 && open && r.start[0] == 0)
                runs.back().end = e;
            else
                runs.push_back(Run{s, e, -1});
        }
        open = r.end[r.count - 1] == 7;
    }
}

}  // namespace

CBlockList::CBlockList() = default;
CBlockList::~CBlockList() = default;

BOOL CBlockList::SetImage(const BYTE* pBits, int width, int height, int resolution) {
    if (!pBits || width <= 0 || height <= 0) return FALSE;
    m_nWidth = width;
    m_nHeight = height;
    m_nRowBytes = (width + 7) / 8;
    m_nResolution = resolution;
    try {
        m_image.assign(pBits, pBits + static_cast<std::size_t>(m_nRowBytes) * height);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CBlockList::FindBlocks() {
    BOOL ok = FALSE;
    try {
        ok = LabelBlocks();
    } catch (const std::bad_alloc&) {
        ok = FALSE;
        m_blocks.clear();
        m_nBlocks = 0;
    }
    std::vector<BYTE>().swap(m_image);
    return ok;
}

BOOL CBlockList::LabelBlocks() {
    if (m_image.empty()) return FALSE;
    // Blocks join by union: the surviving block of a joined group is always
    // the one opened first (the smallest index), and its box is the union.
    std::vector<BlockRecord> boxes;
    std::vector<int> parent;
    boxes.reserve(1000);
    parent.reserve(1000);
    auto root = [&](int b) {
        int r = b;
        while (parent[r] != r) r = parent[r];
        while (parent[b] != r) {
            const int next = parent[b];
            parent[b] = r;
            b = next;
        }
        return r;
    };
    auto unite = [&](int keep, int gone) {
        BlockRecord& k = boxes[keep];
        const BlockRecord& g = boxes[gone];
        k.left = std::min(k.left, g.left);
        k.top = std::min(k.top, g.top);
        k.right = std::max(k.right, g.right);
        k.bottom = std::max(k.bottom, g.bottom);
        parent[gone] = keep;
        boxes[gone].merged = 1;
    };

    std::vector<Run> previous, current;
    for (int y = 0; y < m_nHeight; ++y) {
        extractRuns(m_image.data() + static_cast<std::size_t>(y) * m_nRowBytes, m_nWidth, m_nRowBytes, current);
        std::size_t p = 0;
        for (Run& run : current) {
            // Previous runs ending left of this run's reach cannot touch it nor any later run.
            while (p < previous.size() && previous[p].end + 1 < run.start) ++p;
            int block = -1;
            for (std::size_t q = p; q < previous.size() && previous[q].start - 1 <= run.end; ++q) {
                const int other = root(previous[q].block);
                if (block < 0) {
                    block = other;
                } else if (other != block) {
                    const int keep = std::min(block, other), gone = std::max(block, other);
                    unite(keep, gone);
                    block = keep;
                }
            }
            if (block < 0) {
                block = static_cast<int>(boxes.size());
                boxes.push_back(BlockRecord{run.start, y, run.end, y, 0});
                parent.push_back(block);
            } else {
                BlockRecord& b = boxes[block];
                b.left = std::min(b.left, run.start);
                b.right = std::max(b.right, run.end);
                b.bottom = y;
            }
            run.block = block;
        }
        std::swap(previous, current);
    }
    m_blocks.clear();
    for (const BlockRecord& b : boxes)
        if (!b.merged) m_blocks.push_back(b);
    m_blocks.shrink_to_fit();
    m_nBlocks = static_cast<int>(m_blocks.size());
    return TRUE;
}

BOOL BoxesOverlap(const RECT& a, const RECT& b) {
    if (a.right < b.left || b.right < a.left) return FALSE;
    if (a.bottom < b.top || b.bottom < a.top) return FALSE;
    return TRUE;
}

void CBlockList::MergeBlocks(int nFlag) {
    // In 64 bits: a caller's resolution must not overflow the scaled limits.
    const long long r = m_nResolution;
    const long long margin = r * 20 / 300, limit = r * 1000 / 300;
    if (nFlag == 1) {
        for (int i = 0; i < m_nBlocks; ++i) {
            BlockRecord& b = m_blocks[i];
            const bool keep = b.left >= margin && m_nWidth - b.right >= margin && b.top >= margin &&
                              m_nHeight - b.bottom >= margin && b.bottom - b.top <= limit && b.right - b.left <= limit;
            if (!keep) b.merged = 1;
        }
    }
    for (int j = 0; j < m_nBlocks; ++j) {
        BlockRecord& bj = m_blocks[j];
        if (bj.merged) continue;
        for (int k = 0; k < m_nBlocks; ++k) {
            BlockRecord& bk = m_blocks[k];
            if (k == j || bk.merged) continue;
            const RECT a{bj.left, bj.top, bj.right, bj.bottom}, b{bk.left, bk.top, bk.right, bk.bottom};
            if (!BoxesOverlap(a, b)) continue;
            bj.left = std::min(bj.left, bk.left);
            bj.top = std::min(bj.top, bk.top);
            bj.right = std::max(bj.right, bk.right);
            bj.bottom = std::max(bj.bottom, bk.bottom);
            bk.merged = 1;
        }
    }
    int live = 0;
    for (int i = 0; i < m_nBlocks; ++i)
        if (!m_blocks[i].merged) m_blocks[live++] = m_blocks[i];
    m_nBlocks = live;
    m_blocks.resize(live);
}

void CBlockList::SortByTop(BlockRecord* pArray, int nCount) {
    if (!pArray || nCount <= 0) return;
    std::stable_sort(pArray, pArray + nCount, [](const BlockRecord& a, const BlockRecord& b) { return a.top < b.top; });
    for (int i = 0; i < nCount; ++i) pArray[i].merged = 0;
}
