// One page of each layout of the benchmark's random corpus, drawn with a fixed
// seed, read through the program's road (Textory IMAGE OUT.txt in a fresh
// home): every page is written and reads at least its layout's floor. The
// floors are what the road reads today less a margin; they rise as it gets
// better. Magazine pages the road once read out of order read in order. The
// full comparison with the command line is bench/corpus.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/common/timed_command.h"
#include "bench/corpus/page_measure.h"
#include "bench/corpus/random_page.h"
#include "platform/win/tests/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using bench::PageLayout;

constexpr unsigned kSeed = 33;

struct Floor {
    PageLayout layout;
    const char* name;
    double chars, words;  // character accuracy and word F1 the road reaches at least
    unsigned seed = kSeed;
    int index = -1;  // the page of the run; -1: the layout's own
};

const Floor kFloors[] = {
    {PageLayout::OneColumn, "OneColumn", 0.88, 0.88},
    {PageLayout::TwoColumns, "TwoColumns", 0.86, 0.89},
    {PageLayout::ThreeColumns, "ThreeColumns", 0.92, 0.92},
    {PageLayout::FourColumns, "FourColumns", 0.89, 0.91},
    {PageLayout::RuledTable, "RuledTable", 0.31, 0.40},
    {PageLayout::PartlyRuledTable, "PartlyRuledTable", 0.89, 0.89},
    {PageLayout::UnruledTable, "UnruledTable", 0.95, 0.95},
    {PageLayout::Magazine, "Magazine", 0.89, 0.89},
    // Tables whose cells were lost or read column by column: rules above,
    // under the head and below with rules between the columns only (the
    // outer columns were dropped); the same without column rules (the rows
    // were read a cell at a time); thin rules a little off the text's slant
    // (the frame was taken for a picture and most rows lost).
    {PageLayout::PartlyRuledTable, "PartlyRuledTableRuledBetweenColumns", 0.98, 0.98, 698864146, 12},
    {PageLayout::PartlyRuledTable, "PartlyRuledTableWithoutColumnRules", 0.98, 0.98, 698864146, 15},
    {PageLayout::Drawn, "RuledTableOfThinRulesOffTheTextsSlant", 0.98, 0.97, 644489746, 138},
};

class CorpusRoad : public ::testing::TestWithParam<Floor> {};

TEST_P(CorpusRoad, APageReadsAtLeastItsFloor) {
    const Floor& floor = GetParam();
    suite_test::ScratchFolder scratch;
    testpages::ensureGui();
    // Each layout its own index, so that scripts, faces and looks vary.
    const bench::RandomPage page =
        bench::drawRandomPage(floor.seed, floor.index >= 0 ? floor.index : static_cast<int>(floor.layout), floor.layout);
    const fs::path file = scratch / ("page." + bench::pageExtension(page));
    ASSERT_TRUE(bench::writePage(page, file.string()));
    const bench::Run run = bench::readWithTextory(page, file, (fs::path(bench::programFolder()) / "Textory").string(), scratch.path());
    const std::string about = page.className + ": " + page.description;
    ASSERT_EQ(run.status, 0) << about;
    const double chars = bench::characterScore(page, run.text), words = bench::wordScore(page, run.text);
    std::printf("%s: %.1f %% characters, %.1f %% words\n", about.c_str(), 100 * chars, 100 * words);
    EXPECT_GE(chars, floor.chars) << about;
    EXPECT_GE(words, floor.words) << about;
}

INSTANTIATE_TEST_SUITE_P(Layouts, CorpusRoad, ::testing::ValuesIn(kFloors),
                         [](const ::testing::TestParamInfo<Floor>& info) { return std::string(info.param.name); });

// Magazine pages the road once read out of order: footnotes between the
// columns, a column beside a halftone cut into single lines, lines run across
// the gutter with the halftone read as letters. Both read in reading order.
TEST(MagazineRoad, ColumnsBesidePicturesAndFootnotesAreReadInOrder) {
    suite_test::ScratchFolder scratch;
    testpages::ensureGui();
    for (int index : {1, 17}) {
        const bench::RandomPage page = bench::drawRandomPage(911928557, index, PageLayout::Magazine);
        const fs::path file = scratch / ("page-" + std::to_string(index) + "." + bench::pageExtension(page));
        ASSERT_TRUE(bench::writePage(page, file.string()));
        const bench::Run run = bench::readWithTextory(page, file, (fs::path(bench::programFolder()) / "Textory").string(), scratch.path());
        const std::string about = page.className + ": " + page.description;
        ASSERT_EQ(run.status, 0) << about;
        EXPECT_GE(bench::characterScore(page, run.text), 0.95) << about;
    }
}

}  // namespace

namespace {

// The rows of the first table of a web page Textory wrote, each the texts
// of its cells.
std::vector<std::vector<std::string>> tableRows(const std::string& html) {
    std::vector<std::vector<std::string>> rows;
    const std::size_t start = html.find("<table"), end = html.find("</table>");
    if (start == std::string::npos || end == std::string::npos) return rows;
    for (std::size_t tr = html.find("<tr>", start); tr < end; tr = html.find("<tr>", tr + 1)) {
        rows.emplace_back();
        const std::size_t rowEnd = html.find("</tr>", tr);
        for (std::size_t td = html.find("<td>", tr); td < rowEnd; td = html.find("<td>", td + 1))
            rows.back().push_back(html.substr(td + 4, html.find("</td>", td) - td - 4));
    }
    return rows;
}

}  // namespace

TEST(CorpusRoadOutputs, ATableRuledOnlyAboveUnderItsHeadAndBelowReachesTheWebPageRowByRow) {
    // Eight rows of three cells, rules between the columns only: each line
    // of the table is a row of the web page's table, one line in each cell.
    suite_test::ScratchFolder scratch;
    testpages::ensureGui();
    const bench::RandomPage page = bench::drawRandomPage(698864146, 12, PageLayout::PartlyRuledTable);
    const fs::path file = scratch / ("page." + bench::pageExtension(page));
    ASSERT_TRUE(bench::writePage(page, file.string()));
    const bench::Run run =
        bench::writeWithTextory(page, file, (fs::path(bench::programFolder()) / "Textory").string(), scratch.path(), "page.htm");
    ASSERT_EQ(run.status, 0);
    const auto rows = tableRows(run.text);
    ASSERT_EQ(rows.size(), 8u) << run.text;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 3u);
        for (const std::string& cell : row) {
            EXPECT_FALSE(cell.empty());
            EXPECT_EQ(cell.find("<br>"), std::string::npos) << cell;
        }
    }
    EXPECT_EQ(rows[1][0], "Region");
    EXPECT_EQ(rows[7][0], "Bread");
}
