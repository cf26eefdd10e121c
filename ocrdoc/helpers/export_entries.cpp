#include "ocrdoc/helpers/export_entries.h"

#include <cstdlib>
#include <cstring>

SPageTextBlock* NewPageTextBlock(std::string_view text, int lines) {
    auto* block = static_cast<SPageTextBlock*>(std::calloc(1, sizeof(SPageTextBlock)));
    if (!block) return nullptr;
    auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (!copy) {
        std::free(block);
        return nullptr;
    }
    if (!text.empty()) std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    block->pText = copy;
    block->textLen = static_cast<INT>(text.size());
    block->nLines = lines;
    return block;
}

SPageCellArray* NewPageCellArray(int count) {
    if (count < 0) return nullptr;
    auto* cells = static_cast<SPageCellArray*>(std::calloc(1, SPageCellArrayBytes(count)));
    if (cells) cells->nCount = count;
    return cells;
}

void ReleasePageTextBlock(SPageTextBlock* block) {
    if (!block) return;
    std::free(block->pText);
    block->pText = nullptr;
    block->textLen = 0;
    std::free(block->pExtra);
    block->pExtra = nullptr;
    std::free(block);
}

void ReleasePagePicture(SPagePicture* picture) {
    if (!picture) return;
    std::free(picture->pBits);
    std::free(picture);
}

void ReleasePageCell(SPageCell& cell) {
    if (cell.contentKind == SPAGE_BLOCK_PICTURE) ReleasePagePicture(static_cast<SPagePicture*>(cell.pContent));
    else if (cell.contentKind == SPAGE_BLOCK_TEXT) ReleasePageTextBlock(static_cast<SPageTextBlock*>(cell.pContent));
    cell.pContent = nullptr;
    cell.contentKind = 0;
}

void ReleasePageCellArray(SPageCellArray* cells) {
    if (!cells) return;
    for (INT i = 0; i < cells->nCount; ++i) ReleasePageCell(cells->aCells[i]);
    std::free(cells);
}

void ReleasePageTable(SPageTable* table) {
    if (!table) return;
    ReleasePageCellArray(table->pCells);
    std::free(table);
}

void ReleasePageBlockEntry(SPageBlockEntry& entry) {
    switch (entry.kind) {
    case SPAGE_BLOCK_TEXT: ReleasePageTextBlock(static_cast<SPageTextBlock*>(entry.pBlock)); break;
    case SPAGE_BLOCK_PICTURE: ReleasePagePicture(static_cast<SPagePicture*>(entry.pBlock)); break;
    case SPAGE_BLOCK_TABLE: ReleasePageTable(static_cast<SPageTable*>(entry.pBlock)); break;
    default: break;
    }
    entry.pBlock = nullptr;
    entry.kind = SPAGE_BLOCK_NONE;
}

void ReleasePageBlockArray(SPageBlockArray* entries) {
    if (!entries) return;
    for (INT i = 0; i < entries->nCount; ++i) ReleasePageBlockEntry(entries->aEntries[i]);
    std::free(entries);
}
