#include "shell/frame/page_list_model.h"

#include <algorithm>
#include <cctype>

#include "platform/win/codepage.h"

bool PageListSameFile(const std::string& a, const std::string& b) { return suite::AnsiCompareNoCase(a, b) == 0; }

PageListWidths PageListColumnWidths(int w) {
    if (w >= 530) return {w - 100, 100, 0, 0, 0};
    if (w >= 330) return {w - 80, 80, 0, 0, 0};
    return {std::max(w - 65, 82), 65, 0, 0, 0};
}

int PageListColumnAt(const PageListWidths& widths, int rowLeft, int x) {
    int left = rowLeft;
    for (int c = 0; c < kPageListColumns; ++c) {
        if (x >= left && x <= left + widths[static_cast<std::size_t>(c)]) return c;
        left += widths[static_cast<std::size_t>(c)];
    }
    return -1;
}

std::vector<int> PageListDeletionOrder(const std::vector<int>& selected) {
    std::vector<int> order;
    for (std::size_t i = 0; i < selected.size(); ++i) order.push_back(selected[i] - static_cast<int>(i));
    return order;
}

PageListRun PageListDraggedRows(const std::vector<int>& selected, int startRow) {
    bool run = !selected.empty();
    for (std::size_t i = 1; i < selected.size() && run; ++i) run = selected[i] == selected[i - 1] + 1;
    if (run) return {selected.front(), static_cast<int>(selected.size())};
    return {startRow, startRow >= 0 ? 1 : 0};
}

std::vector<int> PageListDropOrder(int rowCount, PageListRun run, int target) {
    std::vector<int> order;
    if (run.first < 0 || run.count <= 0 || run.first + run.count > rowCount) {
        for (int i = 0; i < rowCount; ++i) order.push_back(i);
        return order;
    }
    if (target < 0 || target > rowCount) target = rowCount;
    std::vector<int> rest;
    for (int i = 0; i < rowCount; ++i)
        if (i < run.first || i >= run.first + run.count) rest.push_back(i);
    // Where the target row stands among the rows that stay.
    int at = static_cast<int>(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i)
        if (rest[i] >= target) {
            at = static_cast<int>(i);
            break;
        }
    if (target >= run.first && target < run.first + run.count) at = static_cast<int>(
        std::count_if(rest.begin(), rest.end(), [&](int r) { return r < run.first; }));
    order.assign(rest.begin(), rest.begin() + at);
    for (int k = 0; k < run.count; ++k) order.push_back(run.first + k);
    order.insert(order.end(), rest.begin() + at, rest.end());
    return order;
}

PageListEditor PageListEditorFor(int column, int width) {
    if (column == 1 && width >= 10) return PageListEditor::Language;
    if (column == 2 && width >= 10) return PageListEditor::Type;
    if (column == 4 && width > 4) return PageListEditor::Resolution;
    return PageListEditor::None;
}

std::vector<UINT> PageListEditorChoices(PageListEditor editor) {
    if (editor == PageListEditor::Language) return {61211, 61212, 61213};
    if (editor == PageListEditor::Type) return {61214, 61215};
    return {};
}

int PageListInitialChoice(const std::vector<std::string>& choices, const std::string& cell) {
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i] == cell) return static_cast<int>(i);
    return -1;
}

std::optional<std::string> PageListEditResult(PageListEditor editor, bool cancelled, const std::vector<std::string>& choices,
                                              int chosen, const std::string& typed) {
    if (cancelled || editor == PageListEditor::None) return std::nullopt;
    if (editor == PageListEditor::Resolution) {
        std::size_t b = typed.find_first_not_of(' '), e = typed.find_last_not_of(' ');
        if (b == std::string::npos) return std::nullopt;
        const std::string digits = typed.substr(b, e - b + 1);
        if (digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            return std::nullopt;
        const int dpi = std::stoi(digits);
        if (dpi < 1 || dpi > 10000) return std::nullopt;
        return std::to_string(dpi);
    }
    if (chosen < 0 || chosen >= static_cast<int>(choices.size())) return std::nullopt;
    return choices[static_cast<std::size_t>(chosen)];
}
