#include "outside/calvet/rtf_writer.h"

#include "platform/win/codepage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace rtfconv {
namespace {

// RTF font names: the subset tag dropped, and only characters that cannot
// end or open a group.
std::string cleanFontName(const std::string& name) {
    std::string_view n = name;
    const std::size_t plus = n.find('+');
    if (plus == 6) n.remove_prefix(7);
    std::string out;
    for (char c : n)
        if (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F && c != ';' && c != '{' &&
            c != '}' && c != '\\')
            out.push_back(c);
    if (out.size() > 64) out.resize(64);
    return out.empty() ? "Sans" : out;
}

int twips(double points) {
    const double t = std::isfinite(points) ? points * 20 : 0;
    return static_cast<int>(std::lround(std::clamp(t, 0.0, 31680.0)));
}

void appendHex(std::string& out, unsigned char byte) {
    static const char digits[] = "0123456789abcdef";
    out += "\\'";
    out.push_back(digits[byte >> 4]);
    out.push_back(digits[byte & 15]);
}

void appendUnicode(std::string& out, char16_t unit) {
    out += "\\u";
    out += std::to_string(static_cast<int>(static_cast<std::int16_t>(unit)));
    out += '?';
}

}  // namespace

unsigned RtfCodePage() {
    return suite::AnsiCodePageForLangID(GetUserDefaultLangID()) == 950 ? 950u : 936u;
}

RtfWriter::RtfWriter(unsigned codePage, std::vector<std::string> fonts)
    : codePage_(codePage == 950 ? 950 : 936), fonts_(std::move(fonts)) {
    for (std::string& f : fonts_) f = cleanFontName(f);
    if (fonts_.empty()) fonts_.push_back("Sans");
}

std::string RtfWriter::begin(double pageWidth, double pageHeight) const {
    const int charset = codePage_ == 950 ? 136 : 134;
    std::string out = "{\\rtf1\\ansi\\ansicpg" + std::to_string(codePage_) + "\\deff0\\uc1{\\fonttbl";
    for (std::size_t i = 0; i < fonts_.size(); ++i)
        out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset" + std::to_string(charset) + " " + fonts_[i] + ";}";
    out += "}\r\n\\paperw" + std::to_string(twips(pageWidth)) + "\\paperh" + std::to_string(twips(pageHeight)) +
           "\\margl720\\margr720\\margt720\\margb720\r\n";
    return out;
}

void RtfWriter::appendPage(std::string& out, const PageText& page, bool first) const {
    if (!first) out += "\\page\r\n";
    for (const Paragraph& p : page.paragraphs) {
        out += "\\pard\\plain\\li" + std::to_string(twips(p.left - 36));
        for (const Run& run : p.runs) {
            const int font = run.font >= 0 && static_cast<std::size_t>(run.font) < fonts_.size() ? run.font : 0;
            out += "{\\f" + std::to_string(font) + "\\fs" + std::to_string(run.halfPoints) + ' ';
            appendText(out, run.text);
            out += '}';
        }
        out += "\\par\r\n";
    }
}

void RtfWriter::appendText(std::string& out, std::u16string_view text) const {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out.push_back(static_cast<char>(c));
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c < 0x20) {
            continue;
        } else if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            // Surrogates (pairs or strays) have no code page form.
            appendUnicode(out, c);
        } else {
            bool exact = false;
            const std::string bytes = suite::Utf16ToAnsi(std::u16string_view(&c, 1), codePage_, &exact);
            if (exact && !bytes.empty()) {
                for (char b : bytes) appendHex(out, static_cast<unsigned char>(b));
            } else {
                appendUnicode(out, c);
            }
        }
    }
}

}  // namespace rtfconv
