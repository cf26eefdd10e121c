#include "outside/calvet/tests/pdf_fixtures.h"

#include "outside/tests/pages.h"

#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

#include <cstring>
#include <utility>

namespace pdffixtures {

bool WriteTextPdf(const std::string& path, const std::vector<TextPage>& pages) {
    testpages::ensureGui();
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer)) return false;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) writer.newPage();
        const TextPage& page = pages[i];
        QFont font(QString::fromStdString(page.family));
        font.setPointSizeF(page.pointSize);
        painter.setFont(font);
        painter.setPen(Qt::black);
        double y = 72 + page.pointSize;
        for (const std::string& line : page.lines) {
            if (!line.empty()) painter.drawText(QPointF(72, y), QString::fromStdString(line));
            y += page.pointSize * (line.empty() ? 1.0 : 1.4);
        }
        y = 72 + page.pointSize;
        for (const std::string& line : page.rightColumn) {
            if (!line.empty()) painter.drawText(QPointF(320, y), QString::fromStdString(line));
            y += page.pointSize * (line.empty() ? 1.0 : 1.4);
        }
        if (page.rule)
            painter.fillRect(QRectF(72, y + 30, 300, 4), QColor(page.ruleGrey, page.ruleGrey, page.ruleGrey, page.ruleAlpha));
    }
    return painter.end();
}

std::string WithoutSpaces(const std::string& utf8) {
    std::string out;
    for (char c : utf8)
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t' && c != '\f') out.push_back(c);
    // The PDF writer draws ligatures as single glyphs; read back they are one character.
    static const std::pair<const char*, const char*> ligatures[] = {
        {"\uFB00", "ff"}, {"\uFB01", "fi"}, {"\uFB02", "fl"}, {"\uFB03", "ffi"}, {"\uFB04", "ffl"}};
    for (const auto& [ligature, letters] : ligatures)
        for (std::size_t at = out.find(ligature); at != std::string::npos; at = out.find(ligature, at))
            out.replace(at, std::strlen(ligature), letters);
    return out;
}

std::string WithoutSpaces(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines) all += WithoutSpaces(l);
    return all;
}

TextPage SamplePage(int seed) {
    static const char* const families[] = {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono", "WenQuanYi Micro Hei"};
    static const double sizes[] = {10, 12, 14, 18};
    static const char* const latin[] = {
        "The quick brown fox jumps over the lazy dog,",
        "while seven wizards quietly judge the boxing match.",
        "Pack my box with five dozen liquor jugs; then ship it.",
        "Sphinx of black quartz, judge my vow (page %d).",
    };
    static const char* const chinese[] = {"纸上的文字变成可以编辑的文本。", "扫描仪按钮管理器和文档库。",
                                          "每一页都有自己的段落和字号。"};
    TextPage page;
    page.family = families[seed % 4];
    page.pointSize = sizes[(seed / 4) % 4];
    page.lines.push_back("Section " + std::to_string(seed + 1));
    page.lines.push_back("");
    for (int p = 0; p < 3; ++p) {
        for (int l = 0; l < 3; ++l) {
            std::string line = latin[(seed + p + l) % 4];
            const std::size_t mark = line.find("%d");
            if (mark != std::string::npos) line.replace(mark, 2, std::to_string(seed + 1));
            page.lines.push_back(line);
        }
        if (page.family == "WenQuanYi Micro Hei" || p == 1) page.lines.push_back(chinese[(seed + p) % 3]);
        page.lines.push_back("");
    }
    return page;
}

TextPage TwoColumnPage() {
    TextPage page;
    page.pointSize = 11;
    page.lines = {"Left column opens", "and carries on here", "to its own end.", "", "Second left paragraph", "ends now."};
    page.rightColumn = {"Right column text", "that must follow", "the left one whole.", "", "左栏之后是右栏。"};
    return page;
}

}  // namespace pdffixtures
