#include "outside/calvet/page_layout.h"

#include <algorithm>
#include <cmath>

namespace rtfconv {
namespace {

struct Line {
    std::vector<const Word*> words;
    Box box;
    double size = 0;
};

bool isCjk(char16_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0xD800 && c <= 0xDFFF);
}

double height(const Box& b) { return b.bottom - b.top; }

void extend(Box& into, const Box& b) {
    into.left = std::min(into.left, b.left);
    into.top = std::min(into.top, b.top);
    into.right = std::max(into.right, b.right);
    into.bottom = std::max(into.bottom, b.bottom);
}

std::vector<Line> gatherLines(const std::vector<Word>& words) {
    std::vector<Line> lines;
    for (const Word& w : words) {
        if (w.text.empty()) continue;
        const double middle = (w.box.top + w.box.bottom) / 2;
        bool join = false;
        if (!lines.empty()) {
            const Line& line = lines.back();
            const Word& last = *line.words.back();
            join = middle >= line.box.top && middle <= line.box.bottom && w.box.left >= last.box.left;
        }
        if (join) {
            lines.back().words.push_back(&w);
            extend(lines.back().box, w.box);
            lines.back().size = std::max(lines.back().size, w.size);
        } else {
            lines.push_back(Line{{&w}, w.box, w.size});
        }
    }
    return lines;
}

int halfPointsOf(double size) {
    const double clamped = std::clamp(std::isfinite(size) ? size : 12.0, 1.0, 1600.0);
    return static_cast<int>(std::lround(clamped * 2));
}

// Appends text in the given font, starting a new run when the font or size changes.
void appendRun(Paragraph& p, const std::u16string& text, int font, int halfPoints) {
    if (!p.runs.empty() && p.runs.back().font == font && p.runs.back().halfPoints == halfPoints) {
        p.runs.back().text += text;
    } else {
        p.runs.push_back(Run{text, font, halfPoints});
    }
}

void appendLine(Paragraph& p, const Line& line) {
    if (!p.runs.empty()) {
        const std::u16string& before = p.runs.back().text;
        const char16_t end = before.empty() ? u' ' : before.back();
        const char16_t start = line.words.front()->text.front();
        if (end != u' ' && !(isCjk(end) && isCjk(start))) p.runs.back().text += u' ';
    }
    for (std::size_t i = 0; i < line.words.size(); ++i) {
        const Word& w = *line.words[i];
        std::u16string text = w.text;
        if (w.spaceAfter && i + 1 < line.words.size()) text += u' ';
        appendRun(p, text, w.font, halfPointsOf(w.size));
    }
}

}  // namespace

std::vector<Paragraph> LayoutWords(const std::vector<Word>& words) {
    std::vector<Paragraph> paragraphs;
    const Line* previous = nullptr;
    const std::vector<Line> lines = gatherLines(words);
    for (const Line& line : lines) {
        bool join = false;
        if (previous) {
            const double lineHeight = std::max(height(previous->box), height(line.box));
            const double gap = line.box.top - previous->box.bottom;
            join = gap >= -lineHeight * 0.3 && gap < lineHeight * 0.7 && std::fabs(line.size - previous->size) <= 1.0 &&
                   std::fabs(line.box.left - previous->box.left) <= 2 * lineHeight;
        }
        if (!join) paragraphs.push_back(Paragraph{{}, line.box.left});
        appendLine(paragraphs.back(), line);
        previous = &line;
    }
    return paragraphs;
}

}  // namespace rtfconv
