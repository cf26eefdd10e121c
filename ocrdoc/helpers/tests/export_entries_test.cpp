#include "ocrdoc/helpers/export_entries.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "ocrdoc/helpers/helper_lists.h"

namespace {

SPagePicture* NewPicture() {
    auto* p = static_cast<SPagePicture*>(std::calloc(1, sizeof(SPagePicture)));
    p->pBits = static_cast<BYTE*>(std::malloc(64));
    return p;
}

// Runs under the address sanitizer: a missed free shows as a leak, a double
// free as an error.
TEST(ExportEntries, ReleaseEveryKindOfEntry) {
    auto* entries = static_cast<SPageBlockArray*>(std::calloc(1, SPageBlockArrayBytes(4)));
    entries->nCount = 4;
    SPageTextBlock* text = NewPageTextBlock("ab\r\n", 1);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text->pText, "ab\r\n");
    EXPECT_EQ(text->textLen, 4);
    text->pExtra = static_cast<char*>(std::malloc(8));
    entries->aEntries[0] = {SPAGE_BLOCK_TEXT, text};
    entries->aEntries[1] = {SPAGE_BLOCK_PICTURE, NewPicture()};

    auto* table = static_cast<SPageTable*>(std::calloc(1, sizeof(SPageTable)));
    table->pCells = NewPageCellArray(3);
    ASSERT_NE(table->pCells, nullptr);
    table->pCells->aCells[0].contentKind = SPAGE_BLOCK_TEXT;
    table->pCells->aCells[0].pContent = NewPageTextBlock("x", 1);
    table->pCells->aCells[1].contentKind = SPAGE_BLOCK_PICTURE;
    table->pCells->aCells[1].pContent = NewPicture();
    entries->aEntries[2] = {SPAGE_BLOCK_TABLE, table};
    entries->aEntries[3] = {SPAGE_BLOCK_NONE, nullptr};

    ReleasePageBlockEntry(entries->aEntries[0]);
    EXPECT_EQ(entries->aEntries[0].kind, SPAGE_BLOCK_NONE);
    EXPECT_EQ(entries->aEntries[0].pBlock, nullptr);
    ReleasePageBlockEntry(entries->aEntries[0]);  // a second release does nothing
    ReleasePageBlockArray(entries);
    ReleasePageBlockArray(nullptr);
}

TEST(ExportEntries, CellReleaseClearsKindAndPointer) {
    SPageCell cell{};
    cell.contentKind = SPAGE_BLOCK_PICTURE;
    cell.pContent = NewPicture();
    ReleasePageCell(cell);
    EXPECT_EQ(cell.contentKind, 0);
    EXPECT_EQ(cell.pContent, nullptr);
    EXPECT_EQ(NewPageCellArray(-1), nullptr);
    SPageCellArray* none = NewPageCellArray(0);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->nCount, 0);
    ReleasePageCellArray(none);
}

TEST(ColumnArrayTest, GrowsByTenItems) {
    ColumnArray columns;
    EXPECT_EQ(columns.GetCapacity(), 0);
    for (int i = 0; i < 10; ++i) {
        ColumnStruct c{i, 0, i + 5, 9, i * 2};
        ASSERT_TRUE(columns.Add(c));
    }
    EXPECT_EQ(columns.GetCapacity(), 10);
    ColumnStruct eleventh{10, 1, 2, 3, 4};
    EXPECT_TRUE(columns.Add(eleventh));
    EXPECT_EQ(columns.GetCapacity(), 20);
    EXPECT_EQ(columns.GetSize(), 11);
    EXPECT_EQ(columns[3].value, 6);
    EXPECT_EQ(columns[10].left, 10);
    columns.RemoveAll();
    EXPECT_EQ(columns.GetSize(), 0);
}

TEST(IndexOfMaxFirstTest, FirstOfTheLargest) {
    IndexedValue v[] = {{3, 0}, {-1, 9}, {7, 0}, {7, 1}, {2, 0}};
    EXPECT_EQ(IndexOfMaxFirst(v, 5), 2);
    EXPECT_EQ(IndexOfMaxFirst(v, 1), 0);
    IndexedValue negatives[] = {{-5, 0}, {-2, 0}};
    EXPECT_EQ(IndexOfMaxFirst(negatives, 2), 1);
    EXPECT_EQ(IndexOfMaxFirst(v, 0), -1);
    EXPECT_EQ(IndexOfMaxFirst(nullptr, 3), -1);
}

struct Counted {
    static int alive;
    Counted() { ++alive; }
    ~Counted() { --alive; }
};
int Counted::alive = 0;

TEST(FreePtrListItemsTest, DeletesEveryItemAndEmpties) {
    CPtrList list;
    for (int i = 0; i < 4; ++i) list.AddTail(new Counted);
    EXPECT_EQ(Counted::alive, 4);
    FreePtrListItems<Counted>(list);
    EXPECT_EQ(Counted::alive, 0);
    EXPECT_TRUE(list.IsEmpty());
}

}  // namespace
