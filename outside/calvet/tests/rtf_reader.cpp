#include "outside/calvet/tests/rtf_reader.h"

#include "platform/win/codepage.h"

#include <cctype>
#include <cstdlib>

namespace rtftest {

Document Read(const std::string& rtf) {
    Document doc;
    std::u16string page;
    std::string pendingBytes;
    int depth = 0;
    int skipDepth = 0;  // depth of the destination group being skipped, 0 when none
    bool started = false;
    int skipChars = 0;
    auto flush = [&] {
        if (pendingBytes.empty()) return;
        page += suite::AnsiToUtf16(pendingBytes, doc.codePage ? doc.codePage : 936u);
        pendingBytes.clear();
    };
    auto endPage = [&] {
        flush();
        doc.pages.push_back(suite::Utf16ToUtf8(page));
        page.clear();
    };
    std::size_t i = 0;
    while (i < rtf.size()) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            started = true;
            ++i;
            if (rtf.compare(i, 2, "\\*") == 0 || rtf.compare(i, 8, "\\fonttbl") == 0)
                if (!skipDepth) skipDepth = depth;
            continue;
        }
        if (c == '}') {
            if (skipDepth == depth) skipDepth = 0;
            --depth;
            ++i;
            if (depth < 0) return doc;
            if (depth == 0) break;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            if (!skipDepth) {
                if (skipChars > 0) {
                    --skipChars;
                } else {
                    flush();
                    page.push_back(static_cast<unsigned char>(c));
                }
            }
            ++i;
            continue;
        }
        // A control symbol or word.
        ++i;
        if (i >= rtf.size()) return doc;
        const char s = rtf[i];
        if (s == '\'') {
            if (i + 2 >= rtf.size()) return doc;
            const std::string hex = rtf.substr(i + 1, 2);
            i += 3;
            if (skipDepth) continue;
            if (skipChars > 0) {
                --skipChars;
                continue;
            }
            pendingBytes.push_back(static_cast<char>(std::strtol(hex.c_str(), nullptr, 16)));
            continue;
        }
        if (!std::isalpha(static_cast<unsigned char>(s))) {
            if (!skipDepth) {
                flush();
                page.push_back(static_cast<unsigned char>(s));
            }
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
        const std::string word = rtf.substr(i, j - i);
        std::size_t k = j;
        if (k < rtf.size() && (rtf[k] == '-' || std::isdigit(static_cast<unsigned char>(rtf[k])))) ++k;
        while (k < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[k]))) ++k;
        const long param = k > j ? std::strtol(rtf.substr(j, k - j).c_str(), nullptr, 10) : 0;
        if (k < rtf.size() && rtf[k] == ' ') ++k;
        i = k;
        if (word == "ansicpg") doc.codePage = static_cast<unsigned>(param);
        if (skipDepth) continue;
        if (word == "par") {
            flush();
            page += u'\n';
        } else if (word == "page") {
            endPage();
        } else if (word == "tab") {
            flush();
            page += u'\t';
        } else if (word == "u") {
            flush();
            page.push_back(static_cast<char16_t>(static_cast<std::int16_t>(param)));
            skipChars = 1;
        }
    }
    endPage();
    doc.wellFormed = depth == 0 && started && rtf.find_first_not_of("\r\n", i) == std::string::npos;
    return doc;
}

}  // namespace rtftest
