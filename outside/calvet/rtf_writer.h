// RTF of our own: a font table, then each page's paragraphs in their font
// runs, pages parted by page breaks. Characters of the code page (GBK 936 or
// Big5 950, by the system language) are written as \'hh bytes, all others as
// \uN? with the UTF-16 unit as a signed number.
#pragma once

#include "outside/calvet/page_layout.h"

#include <string>
#include <string_view>
#include <vector>

namespace rtfconv {

class RtfWriter {
public:
    // `codePage` 950 writes Big5, anything else GBK. `fonts` are the names
    // the runs' font indexes refer to (subset prefixes such as "ABCDEF+" are dropped).
    RtfWriter(unsigned codePage, std::vector<std::string> fonts);

    // The document head, sized to the first page (points).
    std::string begin(double pageWidth, double pageHeight) const;
    // One page's paragraphs; every page but the first starts with a page break.
    void appendPage(std::string& out, const PageText& page, bool first) const;
    static std::string end() { return "}\r\n"; }

    // `text` escaped for RTF in the writer's code page.
    void appendText(std::string& out, std::u16string_view text) const;

private:
    unsigned codePage_;
    std::vector<std::string> fonts_;
};

// The code page the RTF is written in: Big5 (950) for a traditional-Chinese
// system language, else GBK (936).
unsigned RtfCodePage();

}  // namespace rtfconv
