#include "outside/ostrel/model.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "outside/ocrkit/codepage.h"
#include "platform/win/resolution.h"

namespace ostrel {

namespace {

constexpr int kMaxItems = 100000;

QString decode(const char* text, int len) {
    if (!text || len <= 0) return {};
    std::string bytes(text, static_cast<std::size_t>(len));
    bytes = bytes.substr(0, bytes.find('\0'));
    return QString::fromStdString(ocrkit::toUtf8(bytes, ocrkit::ansiCodePage()));
}

bool readText(const SPageTextBlock* b, TextItem& t) {
    if (!b) return false;
    t.left = b->left;
    t.top = b->top;
    t.width = b->width;
    t.height = b->height;
    t.vertical = b->orientation == SPAGE_TEXT_VERTICAL;
    t.fontCode = b->fontCode;
    t.charSize = b->charSize > 0 && b->charSize < 2000 ? b->charSize : 48;
    t.ink = b->ink;
    t.lineGap = (b->spacing >> 16) & 0xFFFF;
    t.charGap = b->spacing & 0xFFFF;
    if (b->textLen < 0) return false;
    QString all = decode(b->pText, b->textLen);
    all.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    all.replace(QChar('\r'), QChar('\n'));
    for (const QString& l : all.split('\n')) t.lines.push_back(l);
    while (!t.lines.empty() && t.lines.back().trimmed().isEmpty()) t.lines.pop_back();
    return true;
}

// A device-independent bitmap (header, colours, bottom-up rows) or a 1-bit
// plane as an image; a null image when the data does not fit its header.
QImage readPicture(const SPagePicture* p) {
    if (!p || !p->pBits || p->width <= 0 || p->height <= 0 || p->width > 30000 || p->height > 30000) return {};
    if (p->format == SPAGE_PICTURE_MONO) {
        QImage img(p->width, p->height, QImage::Format_Mono);
        img.setColor(0, qRgb(255, 255, 255));
        img.setColor(1, qRgb(0, 0, 0));
        int stride = (p->width + 7) / 8;
        for (int y = 0; y < p->height; ++y) std::memcpy(img.scanLine(y), p->pBits + static_cast<std::size_t>(y) * stride, stride);
        return img;
    }
    if (p->format != SPAGE_PICTURE_DIB) return {};
    BITMAPINFOHEADER h;
    std::memcpy(&h, p->pBits, sizeof h);
    // The record's size must be the bitmap's: the buffer holds no length of its own.
    if (h.biSize < sizeof h || h.biSize > 124 || h.biWidth != p->width || std::abs(h.biHeight) != p->height) return {};
    if (h.biCompression != BI_RGB) return {};
    int bits = h.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return {};
    int colours = bits <= 8 ? (h.biClrUsed ? static_cast<int>(h.biClrUsed) : 1 << bits) : 0;
    if (colours > 256) return {};
    const BYTE* palette = p->pBits + h.biSize;
    const BYTE* rows = palette + colours * 4;
    int w = h.biWidth, hgt = std::abs(h.biHeight);
    int stride = ((w * bits + 31) / 32) * 4;
    QImage img(w, hgt, QImage::Format_RGB32);
    for (int y = 0; y < hgt; ++y) {
        const BYTE* src = rows + static_cast<std::size_t>(h.biHeight > 0 ? hgt - 1 - y : y) * stride;
        auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if (bits == 24 || bits == 32) {
                const BYTE* px = src + x * (bits / 8);
                dst[x] = qRgb(px[2], px[1], px[0]);
            } else {
                int index = bits == 8 ? src[x] : bits == 4 ? (src[x / 2] >> (x % 2 ? 0 : 4)) & 15 : (src[x / 8] >> (7 - x % 8)) & 1;
                const BYTE* c = palette + std::min(index, colours - 1) * 4;
                dst[x] = qRgb(c[2], c[1], c[0]);
            }
        }
    }
    return img;
}

bool readTable(const SPageTable* t, TableItem& out) {
    if (!t) return false;
    out.left = t->left;
    out.top = t->top;
    out.width = t->width;
    out.height = t->height;
    int n = t->pCells ? t->pCells->nCount : 0;
    if (n < 0 || n > kMaxItems) return false;
    // The grid's columns and rows are the distinct cell edges.
    std::set<int> xs, ys;
    for (int i = 0; i < n; ++i) {
        const SPageCell& c = t->pCells->aCells[i];
        int left = c.right - c.width + 1;
        xs.insert(left);
        xs.insert(c.right + 1);
        ys.insert(c.top);
        ys.insert(c.top + c.height);
    }
    // Edges a few pixels apart are one edge.
    auto snap = [](const std::set<int>& s) {
        std::vector<int> v;
        for (int e : s)
            if (v.empty() || e - v.back() > 6) v.push_back(e);
        return v;
    };
    std::vector<int> cx = snap(xs), cy = snap(ys);
    auto index = [](const std::vector<int>& v, int e) {
        int best = 0;
        for (int i = 0; i < static_cast<int>(v.size()); ++i)
            if (std::abs(v[i] - e) < std::abs(v[best] - e)) best = i;
        return best;
    };
    out.cols = std::max(static_cast<int>(cx.size()) - 1, 0);
    out.rows = std::max(static_cast<int>(cy.size()) - 1, 0);
    for (int i = 0; i < n; ++i) {
        const SPageCell& c = t->pCells->aCells[i];
        CellItem cell;
        int left = c.right - c.width + 1;
        cell.col = index(cx, left);
        cell.row = index(cy, c.top);
        cell.colSpan = std::max(index(cx, c.right + 1) - cell.col, 1);
        cell.rowSpan = std::max(index(cy, c.top + c.height) - cell.row, 1);
        cell.left = t->left + left;
        cell.top = t->top + c.top;
        cell.width = c.width;
        cell.height = c.height;
        cell.rules[0] = c.leftRule != 0;
        cell.rules[1] = c.topRule != 0;
        cell.rules[2] = c.rightRule != 0;
        cell.rules[3] = c.bottomRule != 0;
        if (c.contentKind == SPAGE_BLOCK_TEXT && c.pContent) {
            if (!readText(static_cast<const SPageTextBlock*>(c.pContent), cell.text)) return false;
        } else if (c.contentKind == SPAGE_BLOCK_PICTURE && c.pContent) {
            cell.picture = readPicture(static_cast<const SPagePicture*>(c.pContent));
        }
        out.cells.push_back(std::move(cell));
    }
    std::stable_sort(out.cells.begin(), out.cells.end(), [](const CellItem& a, const CellItem& b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    });
    return true;
}

}  // namespace

bool readPages(const SPage* page, std::vector<PageModel>& out) {
    int guard = 0;
    for (; page; page = page->next) {
        if (++guard > 10000) return false;
        PageModel m;
        if (page->width > 0 && page->height > 0) {
            m.width = page->width;
            m.height = page->height;
        }
        if (suite::KnownDpi(page->resolution)) m.resolution = page->resolution;
        int n = page->pBlocks ? page->pBlocks->nCount : 0;
        if (n < 0 || n > kMaxItems) return false;
        for (int i = 0; i < n; ++i) {
            const SPageBlockEntry& e = page->pBlocks->aEntries[i];
            if (!e.pBlock) continue;
            Item item;
            switch (e.kind) {
            case SPAGE_BLOCK_TEXT:
                item.kind = Item::Text;
                if (!readText(static_cast<const SPageTextBlock*>(e.pBlock), item.text)) return false;
                break;
            case SPAGE_BLOCK_PICTURE: {
                auto* p = static_cast<const SPagePicture*>(e.pBlock);
                item.kind = Item::Picture;
                item.picture.left = p->left;
                item.picture.top = p->top;
                item.picture.image = readPicture(p);
                if (item.picture.image.isNull()) continue;
                break;
            }
            case SPAGE_BLOCK_TABLE:
                item.kind = Item::Table;
                if (!readTable(static_cast<const SPageTable*>(e.pBlock), item.table)) return false;
                break;
            default: continue;
            }
            m.items.push_back(std::move(item));
        }
        out.push_back(std::move(m));
    }
    return !out.empty();
}

QString fontFamily(int fontCode) {
    switch (fontCode) {
    case 22: return QStringLiteral("FangSong");
    case 23: return QStringLiteral("KaiTi");
    case 24: return QStringLiteral("SimHei");
    case 41: return QStringLiteral("Times New Roman");
    case 43: return QStringLiteral("Arial");
    default: return QStringLiteral("SimSun");
    }
}

}  // namespace ostrel
