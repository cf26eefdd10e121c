// The settings that steer layout analysis and recognition of one page: the
// language and type columns of its page-list row, and the application
// settings the engines need. Read on the user-interface thread (from the
// focused row, or from a batch row before a worker takes the page) and then
// handed around as values.
#pragma once

#include <string>

#include "platform/win/types.h"

struct PageSettings {
    bool valid = false;    // false: no row; every pipeline step does nothing
    std::string language;  // column 1 as the list shows it
    std::string type;      // column 2
    bool simplified = true;        // m_bSimplified
    WORD systemLanguage = 2052;    // m_wSysLangID
    bool autoAdjust = false;       // m_bAutoAdjust
    std::string programFolder;
    std::string dataFolder;
    // The names of the string table, in order: languages 61211-61213, types 61214-61218.
    std::string languageNames[3];
    std::string typeNames[5];

    bool IsEnglish() const { return language == languageNames[2]; }
    bool IsSimplifiedTraditional() const { return language == languageNames[1]; }
    bool IsOfficial() const { return type == typeNames[1]; }
    bool IsHandwriting() const { return type == typeNames[4]; }
    // 0..4 by the type names, 5 for a type that matches none.
    int TypeIndex() const;
    // The Chinese engine's code letter and traditional flag.
    char CodeLetter() const { return simplified ? (IsSimplifiedTraditional() ? 'K' : 'G') : 'B'; }
    int TraditionalFlag() const { return simplified ? (IsSimplifiedTraditional() ? 1 : 0) : 1; }
    // The ANSI code page of the system's texts: 950 on language 1028, else 936.
    UINT CodePage() const { return systemLanguage == 1028 ? 950 : 936; }

    // The names only (from the string table, with the built-in GBK names
    // where a string is missing) and the application settings.
    static PageSettings Defaults();
    // Defaults() with the texts of page-list row `row` (valid only for a row).
    static PageSettings FromRow(int row);
    // The focused row (the first selected or focused one).
    static PageSettings FromFocusedRow();
};
