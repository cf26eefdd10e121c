// The logic of the OCR settings page: the language groups, the primary
// language combo and the secondary language list, and what the page stores.
#pragma once

#include <string>
#include <vector>

#include "platform/win/registry.h"
#include "plugins/common/registry_texts.h"
#include "plugins/moplink/export_settings.h"

namespace moplink {

// "Group a", "Group b", ... under the language key until one is missing,
// each with its values "1", "2", ... until one is missing. A language whose
// flag is "1" is kept only when its file exists in `programFolder`.
using LanguageGroups = std::vector<std::vector<plugins::LanguageEntry>>;
LanguageGroups LoadLanguageGroups(HKEY languageKey, const std::string& programFolder);

class LanguagePageModel {
public:
    struct ComboItem {
        std::string name;
        DWORD data;  // id << 16 | group
    };
    struct ListItem {
        std::string name;
        DWORD id;
        bool checked;
    };
    enum class StoreResult { Stored, TooManySecondaries };

    void Open(const ExportSettings& settings, LanguageGroups groups, bool pdfImage);

    const std::vector<ComboItem>& Combo() const { return combo_; }
    int ComboSelection() const { return comboSelection_; }
    const std::vector<ListItem>& List() const { return list_; }
    bool Numeric() const { return numeric_; }
    bool Orientation() const { return orientation_; }
    bool Deskew() const { return deskew_; }
    // The language controls take input: not for PDF Image, and the combo and
    // list not while "Numeric" is checked.
    bool NumericEnabled() const { return !pdfImage_; }
    bool LanguagesEnabled() const { return !pdfImage_ && !numeric_; }

    void SelectCombo(int index);  // also forgets the stored secondaries
    void SetChecked(int index, bool checked);
    void SetNumeric(bool on) { numeric_ = on; }
    void SetOrientation(bool on) { orientation_ = on; }
    void SetDeskew(bool on) { deskew_ = on; }

    StoreResult Store(const plugins::NumericLanguage& numeric, ExportSettings* settings) const;

private:
    void RefillList();

    LanguageGroups groups_;
    std::vector<ComboItem> combo_;
    int comboSelection_ = -1;
    std::vector<ListItem> list_;
    std::vector<DWORD> secondaries_;
    DWORD primary_ = 1;
    bool numeric_ = false, orientation_ = true, deskew_ = true, pdfImage_ = false;
};

}  // namespace moplink
