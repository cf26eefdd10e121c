#include "ocrdoc/document/page_settings.h"

#include "ocrdoc/document_host.h"
#include "platform/afx/afxwin.h"

namespace {

// The names in GBK when a language library lacks them.
const char* const kBuiltinLanguages[3] = {"\xBC\xF2\xCC\xE5", "\xBC\xF2\xB7\xB1", "\xD3\xA2\xCE\xC4"};
const char* const kBuiltinTypes[5] = {"\xD7\xD4\xB6\xAF", "\xB9\xAB\xCE\xC4", "\xB6\xE0\xC0\xB8",
                                      "\xB1\xED\xB8\xF1", "\xCA\xD6\xD0\xB4"};

std::string LoadName(UINT id, const char* fallback) {
    CString text;
    if (AfxLoadString(id, text) && !text.IsEmpty()) return std::string(text.GetString());
    return fallback;
}

}  // namespace

int PageSettings::TypeIndex() const {
    for (int i = 0; i < 5; ++i)
        if (type == typeNames[i]) return i;
    return 5;
}

PageSettings PageSettings::Defaults() {
    PageSettings s;
    for (int i = 0; i < 3; ++i) s.languageNames[i] = LoadName(61211 + i, kBuiltinLanguages[i]);
    for (int i = 0; i < 5; ++i) s.typeNames[i] = LoadName(61214 + i, kBuiltinTypes[i]);
    CDocumentHost& shell = DocumentHost();
    s.simplified = shell.IsSimplified();
    s.systemLanguage = shell.SystemLanguageId();
    s.autoAdjust = shell.AutoAdjust();
    s.programFolder = shell.ProgramFolder();
    s.dataFolder = shell.DataFolder();
    return s;
}

PageSettings PageSettings::FromRow(int row) {
    PageSettings s = Defaults();
    if (row < 0) return s;
    s.valid = true;
    s.language = DocumentHost().PageListItemText(row, kPageListLanguage);
    s.type = DocumentHost().PageListItemText(row, kPageListType);
    return s;
}

PageSettings PageSettings::FromFocusedRow() { return FromRow(DocumentHost().PageListCurrentRow()); }
