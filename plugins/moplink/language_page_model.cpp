#include "plugins/moplink/language_page_model.h"

#include <algorithm>

#include "platform/win/files.h"
#include "platform/win/locator.h"
#include "platform/win/registry_key.h"

namespace moplink {

LanguageGroups LoadLanguageGroups(HKEY languageKey, const std::string& programFolder) {
    LanguageGroups groups;
    if (!languageKey) return groups;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        suite::RegKey group(languageKey, std::string("Group ") + letter);
        if (!group) break;
        std::vector<plugins::LanguageEntry> entries;
        for (int n = 1; n <= 1000; ++n) {
            std::string text;
            if (!suite::ReadStringValue(group.get(), std::to_string(n), &text)) break;
            plugins::LanguageEntry entry;
            if (!plugins::ParseLanguageEntry(text, &entry)) continue;
            if (entry.flag == "1") {
                std::string file = programFolder + entry.file;
                if (entry.file.empty() || GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
            }
            entries.push_back(std::move(entry));
        }
        groups.push_back(std::move(entries));
    }
    return groups;
}

void LanguagePageModel::Open(const ExportSettings& s, LanguageGroups groups, bool pdfImage) {
    groups_ = std::move(groups);
    pdfImage_ = pdfImage;
    orientation_ = s.detectOrientation != 0;
    deskew_ = s.deskew != 0;
    primary_ = s.primaryLanguage;
    secondaries_ = s.secondaryLanguages;
    numeric_ = primary_ == 0;
    if (numeric_) primary_ = 1;
    combo_.clear();
    comboSelection_ = -1;
    for (std::size_t g = 0; g < groups_.size(); ++g)
        for (const plugins::LanguageEntry& e : groups_[g]) {
            if (e.id == primary_ && comboSelection_ < 0) comboSelection_ = static_cast<int>(combo_.size());
            combo_.push_back({e.name, (e.id << 16) | static_cast<DWORD>(g)});
        }
    RefillList();
}

void LanguagePageModel::RefillList() {
    list_.clear();
    if (comboSelection_ < 0 || comboSelection_ >= static_cast<int>(combo_.size())) return;
    DWORD data = combo_[comboSelection_].data;
    DWORD primary = data >> 16;
    std::size_t g = data & 0xFFFF;
    auto add = [&](std::size_t group, bool skipPrimary) {
        if (group >= groups_.size()) return;
        for (const plugins::LanguageEntry& e : groups_[group]) {
            if (skipPrimary && e.id == primary) continue;
            bool checked = std::find(secondaries_.begin(), secondaries_.end(), e.id) != secondaries_.end();
            list_.push_back({e.name, e.id, checked});
        }
    };
    if (g == 0) {
        add(0, true);
        add(2, false);
    } else {
        add(0, false);
        add(g, true);
    }
}

void LanguagePageModel::SelectCombo(int index) {
    if (index < 0 || index >= static_cast<int>(combo_.size())) return;
    comboSelection_ = index;
    secondaries_.clear();
    RefillList();
}

void LanguagePageModel::SetChecked(int index, bool checked) {
    if (index >= 0 && index < static_cast<int>(list_.size())) list_[index].checked = checked;
}

LanguagePageModel::StoreResult LanguagePageModel::Store(const plugins::NumericLanguage& numeric,
                                                        ExportSettings* s) const {
    if (numeric_) {
        s->primaryLanguage = 0;
        s->secondaryLanguages = {numeric.id};
        s->secondaryNames = {numeric.name};
        s->primaryName = numeric.name;
    } else {
        std::vector<DWORD> ids;
        std::vector<std::string> names;
        for (const ListItem& item : list_)
            if (item.checked) {
                ids.push_back(item.id);
                names.push_back(item.name);
            }
        if (ids.size() > plugins::kMaxSecondaryLanguages) return StoreResult::TooManySecondaries;
        if (comboSelection_ >= 0) {
            s->primaryLanguage = combo_[comboSelection_].data >> 16;
            s->primaryName = combo_[comboSelection_].name;
        }
        s->secondaryLanguages = ids;
        s->secondaryNames = names;
    }
    s->detectOrientation = orientation_;
    s->deskew = deskew_;
    return StoreResult::Stored;
}

}  // namespace moplink
