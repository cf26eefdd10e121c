// The page list's decisions: column widths, the cell under a point, which
// rows a delete or a drag takes and where dragged rows land, and what the
// cell editors offer and write.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/frame/page_list_model.h"

namespace {

TEST(PageListModel, ColumnWidthsFollowTheListWidth) {
    EXPECT_EQ(PageListColumnWidths(600), (PageListWidths{500, 100, 0, 0, 0}));
    EXPECT_EQ(PageListColumnWidths(530), (PageListWidths{430, 100, 0, 0, 0}));
    EXPECT_EQ(PageListColumnWidths(529), (PageListWidths{449, 80, 0, 0, 0}));
    EXPECT_EQ(PageListColumnWidths(330), (PageListWidths{250, 80, 0, 0, 0}));
    EXPECT_EQ(PageListColumnWidths(300), (PageListWidths{235, 65, 0, 0, 0}));
    EXPECT_EQ(PageListColumnWidths(100), (PageListWidths{82, 65, 0, 0, 0})) << "the list scrolls sideways";
    EXPECT_EQ(PageListColumnWidths(0), (PageListWidths{82, 65, 0, 0, 0}));
}

TEST(PageListModel, CellsAreFoundWithBothEndsOfAColumnInside) {
    const PageListWidths w = PageListColumnWidths(300);  // 235, 65, 0, 0, 0
    EXPECT_EQ(PageListColumnAt(w, 0, 0), 0);
    EXPECT_EQ(PageListColumnAt(w, 0, 235), 0) << "the right end belongs to the first column that has it";
    EXPECT_EQ(PageListColumnAt(w, 0, 236), 1);
    EXPECT_EQ(PageListColumnAt(w, 0, 300), 1);
    EXPECT_EQ(PageListColumnAt(w, 0, 301), -1);
    EXPECT_EQ(PageListColumnAt(w, -50, 250), 1) << "a list scrolled sideways";
    EXPECT_EQ(PageListColumnAt(w, 10, 5), -1);
}

TEST(PageListModel, DeletingTwoThreeAndSevenOfTenTakesExactlyThose) {
    std::vector<std::string> rows;
    for (int i = 0; i < 10; ++i) rows.push_back("page" + std::to_string(i));
    for (int at : PageListDeletionOrder({2, 3, 7})) rows.erase(rows.begin() + at);
    EXPECT_EQ(rows, (std::vector<std::string>{"page0", "page1", "page4", "page5", "page6", "page8", "page9"}));
    EXPECT_TRUE(PageListDeletionOrder({}).empty());
    EXPECT_EQ(PageListDeletionOrder({0, 1, 2}), (std::vector<int>{0, 0, 0}));
}

TEST(PageListModel, ADragMovesARunOrOnlyTheRowItBeganOn) {
    EXPECT_EQ(PageListDraggedRows({3, 4, 5}, 4).first, 3);
    EXPECT_EQ(PageListDraggedRows({3, 4, 5}, 4).count, 3);
    const PageListRun split = PageListDraggedRows({1, 4}, 4);
    EXPECT_EQ(split.first, 4);
    EXPECT_EQ(split.count, 1) << "a selection with a gap moves only the row under the drag";
    // Rows 1 and 2 of six dropped onto row 4: they come before it.
    EXPECT_EQ(PageListDropOrder(6, {1, 2}, 4), (std::vector<int>{0, 3, 1, 2, 4, 5}));
    // Row 4 dropped onto row 1.
    EXPECT_EQ(PageListDropOrder(6, {4, 1}, 1), (std::vector<int>{0, 4, 1, 2, 3, 5}));
    // Below the last row: appended.
    EXPECT_EQ(PageListDropOrder(6, {0, 2}, -1), (std::vector<int>{2, 3, 4, 5, 0, 1}));
    // Onto itself: nothing moves; a run that is not in the list: nothing moves.
    EXPECT_EQ(PageListDropOrder(4, {1, 2}, 2), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(PageListDropOrder(3, {2, 5}, 0), (std::vector<int>{0, 1, 2}));
}

TEST(PageListModel, EditorsOpenOnTheCellsEntryAndWriteOnlyAChoiceOrASaneResolution) {
    EXPECT_EQ(PageListEditorFor(0, 200), PageListEditor::None);
    EXPECT_EQ(PageListEditorFor(3, 200), PageListEditor::None);
    EXPECT_EQ(PageListEditorFor(1, 65), PageListEditor::Language);
    EXPECT_EQ(PageListEditorFor(2, 0), PageListEditor::None) << "hidden columns cannot be edited";
    EXPECT_EQ(PageListEditorFor(2, 10), PageListEditor::Type);
    EXPECT_EQ(PageListEditorFor(4, 4), PageListEditor::None);
    EXPECT_EQ(PageListEditorFor(4, 5), PageListEditor::Resolution);
    EXPECT_EQ(PageListEditorChoices(PageListEditor::Language), (std::vector<UINT>{61211, 61212, 61213}));
    EXPECT_EQ(PageListEditorChoices(PageListEditor::Type), (std::vector<UINT>{61214, 61215}));
    const std::vector<std::string> languages = {"simplified", "both", "english"};
    EXPECT_EQ(PageListInitialChoice(languages, "english"), 2) << "opens on the cell's entry, not the first";
    EXPECT_EQ(PageListInitialChoice(languages, "other"), -1);
    // Closing the list without a choice writes nothing; a choice writes its text.
    EXPECT_FALSE(PageListEditResult(PageListEditor::Language, false, languages, -1, ""));
    EXPECT_EQ(PageListEditResult(PageListEditor::Language, false, languages, 1, ""), "both");
    EXPECT_FALSE(PageListEditResult(PageListEditor::Language, true, languages, 1, "")) << "Esc";
    // The resolution: a whole number of dots per inch, 1 to 10000.
    EXPECT_EQ(PageListEditResult(PageListEditor::Resolution, false, {}, -1, " 300 "), "300");
    EXPECT_EQ(PageListEditResult(PageListEditor::Resolution, false, {}, -1, "0600"), "600");
    for (const char* bad : {"", "0", "-300", "3OO", "300dpi", "10001", "99999999999", "1e3", " "})
        EXPECT_FALSE(PageListEditResult(PageListEditor::Resolution, false, {}, -1, bad)) << bad;
    EXPECT_EQ(PageListEditResult(PageListEditor::Resolution, false, {}, -1, "10000"), "10000");
}

}  // namespace
