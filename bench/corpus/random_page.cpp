#include "bench/corpus/random_page.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <sstream>

#include "outside/tests/pages.h"

namespace bench {

using testpages::Script;

namespace {

const char* const kChineseFaces[] = {"WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "AR PL UMing", "AR PL UKai"};
const char* const kLatinFaces[] = {"DejaVu Serif", "DejaVu Sans", "Liberation Serif", "Liberation Sans", "FreeSerif",
                                   "FreeSans"};

enum class Kind { Columns, RuledTable, PartlyRuledTable, UnruledTable, Magazine };

class Dice {
public:
    Dice(unsigned seed, int index) {
        std::seed_seq seq{seed, static_cast<unsigned>(index), 0x5eedu};
        rng_.seed(seq);
    }
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    double real(double low, double high) { return std::uniform_real_distribution<double>(low, high)(rng_); }
    bool chance(double p) { return real(0, 1) < p; }
    unsigned raw() { return static_cast<unsigned>(rng_()); }
    template <class T>
    const T& pick(const std::vector<T>& v) { return v[static_cast<std::size_t>(between(0, static_cast<int>(v.size()) - 1))]; }

private:
    std::mt19937 rng_;
};

std::string scriptGroup(Script s) {
    switch (s) {
    case Script::English: return "eng";
    case Script::Mixed: return "mix";
    default: return "chi";
    }
}

// Lays a page out: text lines, rules and pictures to paint, and the truth in
// reading order.
class Layout {
public:
    Layout(testpages::Style style, bool latin) : style_(std::move(style)), latin_(latin) {}

    int px() const { return style_.pixelSize; }
    int lineStep(double scale = 1.0) const { return static_cast<int>(px() * scale * step_); }
    void setLineSpacing(double step) { step_ = step; }
    bool latin() const { return latin_; }

    QFont font(double scale = 1.0, bool bold = false, bool italic = false) const {
        QFont f = testpages::styleFont(style_, scale);
        f.setBold(bold);
        f.setItalic(italic);
        return f;
    }
    std::vector<QString> wrap(const QString& text, const QFont& f, int width) const {
        return testpages::wrap(text, QFontMetrics(f), width);
    }
    // One line at x with its top at y; it is part of the truth.
    void text(const QString& line, const QFont& f, int x, int y, bool inTruth = true) {
        const int baseline = y + QFontMetrics(f).ascent();
        ink_.push_back([=](QPainter& p) {
            p.setFont(f);
            p.drawText(x, baseline, line);
        });
        if (inTruth) truth_ += line.toStdString() + "\n";
    }
    void rule(int x, int y, int w, int h) {
        ink_.push_back([=](QPainter& p) { p.fillRect(QRect(x, y, w, h), Qt::black); });
    }
    void picture(const QRect& r, QImage img) {
        ink_.push_back([=](QPainter& p) { p.drawImage(r, img); });
    }
    void raw(const std::string& truth) { truth_ += truth; }

    // Paragraph lines wrapped to width, placed from y down as far as bottom;
    // returns the lines that did not fit.
    std::vector<QString> lines(const std::vector<QString>& all, const QFont& f, int x, int& y, int bottom, double scale,
                               int indent = 0) {
        std::size_t k = 0;
        for (; k < all.size() && y + lineStep(scale) <= bottom; ++k) {
            text(all[k], f, x + (k == 0 ? 0 : indent), y);
            y += lineStep(scale);
        }
        return {all.begin() + static_cast<std::ptrdiff_t>(k), all.end()};
    }

    const testpages::Style& style() const { return style_; }
    const std::vector<std::function<void(QPainter&)>>& ink() const { return ink_; }
    const std::string& truth() const { return truth_; }

private:
    testpages::Style style_;
    bool latin_;
    double step_ = 1.45;
    std::vector<std::function<void(QPainter&)>> ink_;
    std::string truth_;
};

// A picture: soft shapes in grey, or a line drawing; printed as a halftone
// screen when `halftone`.
QImage pictureImage(Dice& dice, int w, int h, bool halftone) {
    QImage img(std::max(w, 1), std::max(h, 1), QImage::Format_Grayscale8);
    img.fill(dice.between(150, 235));
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, 0, h);
        sky.setColorAt(0, QColor::fromHsv(0, 0, dice.between(120, 240)));
        sky.setColorAt(1, QColor::fromHsv(0, 0, dice.between(60, 200)));
        p.fillRect(img.rect(), sky);
        const int shapes = dice.between(3, 9);
        for (int i = 0; i < shapes; ++i) {
            const int g = dice.between(0, 200);
            p.setBrush(QColor(g, g, g));
            p.setPen(dice.chance(0.5) ? QPen(QColor(0, 0, 0), dice.between(1, 4)) : Qt::NoPen);
            QRect r(dice.between(-w / 4, w), dice.between(-h / 4, h), dice.between(w / 8, w / 2 + 1), dice.between(h / 8, h / 2 + 1));
            if (dice.chance(0.5))
                p.drawEllipse(r);
            else
                p.drawRect(r);
        }
    }
    if (!halftone) return img;
    // A clustered-dot screen at 45 degrees: a dot grows with the darkness.
    const double cell = dice.between(4, 8);
    const double c = std::cos(0.785398), s = std::sin(0.785398);
    for (int y = 0; y < img.height(); ++y) {
        uchar* row = img.scanLine(y);
        for (int x = 0; x < img.width(); ++x) {
            const double u = (x * c + y * s) / cell, v = (-x * s + y * c) / cell;
            const double du = u - std::floor(u) - 0.5, dv = v - std::floor(v) - 0.5;
            const double spot = (du * du + dv * dv) * 2;  // 0 at a dot's centre, 1 at the corner
            row[x] = (1.0 - row[x] / 255.0) > spot ? 0 : 255;
        }
    }
    return img;
}

std::vector<std::string> paragraphs(Script s, Dice& dice, int n) { return testpages::corpusParagraphs(s, dice.raw(), n); }

QString sentenceOf(const std::string& paragraph, bool latin) {
    QString q = QString::fromStdString(paragraph);
    const int end = q.indexOf(latin ? QChar('.') : QChar(0x3002));
    return end > 0 ? q.left(end + 1) : q;
}

// An item flowed in a column.
struct Item {
    enum Type { Paragraph, ListEntry, Picture, PullQuote } type = Paragraph;
    QString text;        // the paragraph, entry, quote or caption
    QString marker;      // a list entry's bullet or number
    int pictureHeight = 0;
};

struct Columns {
    int left, top, bottom, width, columns, gutter;
    bool rules;
    int colWidth() const { return (width - (columns - 1) * gutter) / columns; }
    int x(int c) const { return left + c * (colWidth() + gutter); }
};

// Flows items down the columns, column after column; a heading over the
// first `headed` columns comes first, and those columns start below it.
void flowColumns(Layout& lay, Dice& dice, const Columns& cols, std::vector<Item> items, const QString& heading,
                 int headed, double headingScale, bool halftone) {
    const int cw = cols.colWidth();
    int headingBottom = cols.top;
    if (!heading.isEmpty() && headed > 0) {
        const QFont hf = lay.font(headingScale, true);
        const int span = headed * cw + (headed - 1) * cols.gutter;
        int y = cols.top;
        lay.lines(lay.wrap(heading, hf, span), hf, cols.left, y, cols.bottom, headingScale);
        headingBottom = y + lay.lineStep() / 2;
    }
    const QFont body = lay.font();
    int lowest = cols.top;
    std::size_t next = 0;
    std::vector<QString> carried;  // the rest of a paragraph cut by a column end
    for (int c = 0; c < cols.columns && (next < items.size() || !carried.empty()); ++c) {
        const int x = cols.x(c);
        int y = c < headed ? headingBottom : cols.top;
        if (!carried.empty()) carried = lay.lines(carried, body, x, y, cols.bottom, 1.0);
        while (carried.empty() && next < items.size()) {
            const Item& it = items[next];
            if (it.type == Item::Picture) {
                const QFont cf = lay.font(0.85, false, true);
                auto caption = lay.wrap(it.text, cf, cw);
                const int need = it.pictureHeight + lay.lineStep() / 2 + lay.lineStep(0.85) * static_cast<int>(caption.size());
                if (y + need > cols.bottom) break;
                lay.picture(QRect(x, y, cw, it.pictureHeight), pictureImage(dice, cw, it.pictureHeight, halftone));
                y += it.pictureHeight + lay.lineStep() / 2;
                lay.lines(caption, cf, x, y, cols.bottom, 0.85);
                y += lay.lineStep() / 2;
                ++next;
                continue;
            }
            if (it.type == Item::PullQuote) {
                const QFont qf = lay.font(1.3, false, true);
                auto quote = lay.wrap(it.text, qf, cw - lay.px());
                const int need = lay.lineStep(1.3) * static_cast<int>(quote.size()) + lay.px() * 2;
                if (y + need > cols.bottom) break;
                const int thick = std::max(2, lay.px() / 12);
                lay.rule(x, y, cw, thick);
                y += lay.px() / 2 + thick;
                lay.lines(quote, qf, x + lay.px() / 2, y, cols.bottom, 1.3);
                lay.rule(x, y + lay.px() / 4, cw, thick);
                y += lay.px() + thick;
                ++next;
                continue;
            }
            if (y + lay.lineStep() > cols.bottom) break;
            if (it.type == Item::ListEntry) {
                const int indent = lay.px() * 2;
                auto entry = lay.wrap(it.text, body, cw - indent);
                lay.raw("");
                // The marker starts the entry's first line in the truth.
                QString first = it.marker + (lay.latin() ? " " : "") + (entry.empty() ? QString() : entry.front());
                lay.text(first, body, x + lay.px() / 2, y);
                y += lay.lineStep();
                std::vector<QString> rest(entry.begin() + (entry.empty() ? 0 : 1), entry.end());
                carried = lay.lines(rest, body, x + indent, y, cols.bottom, 1.0);
            } else {
                carried = lay.lines(lay.wrap(it.text, body, cw), body, x, y, cols.bottom, 1.0);
            }
            ++next;
            y += lay.lineStep() / 3;  // a little space between paragraphs
        }
        lowest = std::max(lowest, y);
    }
    if (cols.rules)
        for (int c = 1; c < cols.columns; ++c) {
            const int gx = cols.x(c) - cols.gutter / 2;
            lay.rule(gx, c < headed ? headingBottom : cols.top, std::max(1, lay.px() / 25), lowest - cols.top);
        }
}

std::vector<Item> columnItems(Layout& lay, Dice& dice, Script script, int colWidth, int pageHeight, bool pictures,
                              int paragraphCount) {
    std::vector<Item> items;
    std::vector<std::string> paras = paragraphs(script, dice, paragraphCount);
    const bool latin = lay.latin();
    const bool withList = dice.chance(0.35), withQuote = dice.chance(0.3);
    const int pictureCount = pictures ? dice.between(1, 2) : 0;
    for (std::size_t i = 0; i < paras.size(); ++i) {
        Item it;
        it.text = QString::fromStdString(paras[i]);
        items.push_back(it);
        if (withList && i == 1) {
            const bool bullets = latin && dice.chance(0.5);
            const int n = dice.between(2, 4);
            for (int k = 0; k < n; ++k) {
                Item e;
                e.type = Item::ListEntry;
                e.marker = bullets ? QString::fromUtf8("\u2022") : QString::number(k + 1) + ".";
                e.text = sentenceOf(paragraphs(script, dice, 1).front(), latin);
                items.push_back(e);
            }
        }
        if (withQuote && i == 3) {
            Item q;
            q.type = Item::PullQuote;
            q.text = sentenceOf(paras[i], latin);
            items.push_back(q);
        }
        if (static_cast<int>(i) < pictureCount * 3 && i % 3 == 2) {
            Item p;
            p.type = Item::Picture;
            p.pictureHeight = std::min(colWidth * dice.between(50, 90) / 100, pageHeight / 4);
            p.text = sentenceOf(paragraphs(script, dice, 1).front(), latin);
            items.push_back(p);
        }
    }
    return items;
}

// Footnotes over the text width at the bottom, under a short rule: drawn
// after the columns (they read last), their room kept first.
struct Footnotes {
    std::vector<QString> lines;
    int top = 0;
};

Footnotes footnotes(Layout& lay, Dice& dice, Script script, int width, int bottom) {
    Footnotes notes;
    const QFont f = lay.font(0.8);
    const int n = dice.between(1, 2);
    for (int i = 0; i < n; ++i)
        for (const QString& l : lay.wrap(QString::number(i + 1) + " " + sentenceOf(paragraphs(script, dice, 1).front(), lay.latin()), f, width))
            notes.lines.push_back(l);
    notes.top = bottom - lay.lineStep(0.8) * static_cast<int>(notes.lines.size());
    return notes;
}

void placeFootnotes(Layout& lay, const Footnotes& notes, int left, int width, int bottom) {
    lay.rule(left, notes.top - lay.px() / 2, width / 4, std::max(1, lay.px() / 20));
    int y = notes.top;
    lay.lines(notes.lines, lay.font(0.8), left, y, bottom + lay.px(), 0.8);
}

// A table of text cells and numbers, a row of the truth for each row: with
// every rule, with rules above, under the head row and below only, or with
// none (aligned columns).
void table(Layout& lay, Dice& dice, Script script, Kind kind, int left, int width, int& y) {
    const int rows = dice.between(4, 9), cols = dice.between(3, 5);
    const auto& words = testpages::corpusCells(script);
    const QFont f = lay.font(), hf = lay.font(1.0, true);
    const int cellH = lay.px() * dice.between(18, 24) / 10, cellW = width / cols;
    const int rule = dice.between(1, 3) * std::max(1, lay.px() / 25);
    for (int r = 0; r < rows; ++r) {
        std::string row;
        for (int k = 0; k < cols; ++k) {
            const bool number = r > 0 && k >= cols - 2 && dice.chance(0.7);
            std::string cell = number ? std::to_string(dice.between(1, 9999)) + (dice.chance(0.5) ? "." + std::to_string(dice.between(10, 99)) : "")
                                      : dice.pick(words);
            lay.text(QString::fromStdString(cell), r == 0 ? hf : f, left + k * cellW + lay.px() / 2,
                     y + r * cellH + (cellH - lay.px()) / 2, false);
            row += (row.empty() ? "" : " ") + cell;
        }
        lay.raw(row + "\n");
    }
    const int tableW = cols * cellW + rule, tableH = rows * cellH + rule;
    if (kind == Kind::RuledTable) {
        for (int r = 0; r <= rows; ++r) lay.rule(left, y + r * cellH, tableW, rule);
        for (int k = 0; k <= cols; ++k) lay.rule(left + k * cellW, y, rule, tableH);
    } else if (kind == Kind::PartlyRuledTable) {
        const int thick = rule * 2;
        lay.rule(left, y - thick, tableW, thick);
        lay.rule(left, y + cellH, tableW, rule);
        lay.rule(left, y + rows * cellH, tableW, thick);
        // Some partly ruled tables keep the rules between their columns.
        if (dice.chance(0.4))
            for (int k = 1; k < cols; ++k) lay.rule(left + k * cellW, y, rule, tableH);
    }
    y += tableH + lay.lineStep();
}

}  // namespace

RandomPage drawRandomPage(unsigned seed, int index, PageLayout layout) {
    testpages::ensureGui();
    Dice dice(seed, index);
    RandomPage out;
    const int kindDraw = dice.between(0, 99);
    Kind kind = kindDraw < 58 ? Kind::Columns : kindDraw < 66 ? Kind::RuledTable : kindDraw < 74 ? Kind::PartlyRuledTable
                : kindDraw < 82 ? Kind::UnruledTable : Kind::Magazine;
    switch (layout) {
    case PageLayout::Drawn: break;
    case PageLayout::RuledTable: kind = Kind::RuledTable; break;
    case PageLayout::PartlyRuledTable: kind = Kind::PartlyRuledTable; break;
    case PageLayout::UnruledTable: kind = Kind::UnruledTable; break;
    case PageLayout::Magazine: kind = Kind::Magazine; break;
    default: kind = Kind::Columns; break;
    }
    const Script scripts[] = {Script::Simplified, Script::Traditional, Script::English, Script::Mixed};
    out.script = kind == Kind::Magazine ? Script::English : scripts[dice.between(0, 3)];
    const bool latin = out.script == Script::English;
    int width, height;
    double pt;
    if (kind == Kind::Magazine) {
        width = dice.between(1900, 2100);
        height = width * 5 / 4;
        out.dpi = 240;
        pt = dice.real(8, 11);
    } else {
        out.dpi = dice.chance(0.5) ? 200 : 300;
        width = static_cast<int>(8.27 * out.dpi);
        height = static_cast<int>(11.69 * out.dpi);
        pt = dice.real(8, 16);
    }
    testpages::Style st;
    st.seed = dice.raw();
    st.pixelSize = std::max(12, static_cast<int>(pt * out.dpi / 72.0));
    const std::string chinese = kChineseFaces[dice.between(0, 3)];
    const std::string cjk = chinese.rfind("AR PL", 0) == 0 ? chinese + (out.script == Script::Traditional ? " TW" : " CN") : chinese;
    const std::string roman = kLatinFaces[dice.between(0, 5)];
    st.families = latin ? std::vector<std::string>{roman} : out.script == Script::Mixed ? std::vector<std::string>{roman, cjk}
                                                                                            : std::vector<std::string>{cjk};
    // Scanned looks: every page but the crisp 1-bit ones is painted with
    // smooth edges (a threshold marks the style as scanned).
    const bool clean = kind != Kind::Magazine && dice.chance(0.3);
    const int mode = clean ? (dice.chance(0.5) ? 0 : 1) : dice.between(0, 9);  // 0: 1-bit; 1..5: grey; 6..9: colour
    const bool mono = mode == 0 && kind != Kind::Magazine, colour = mode >= 6 && kind != Kind::Magazine;
    st.threshold = clean ? 0 : 128;
    if (!clean) {
        if (dice.chance(0.7)) st.skewDegrees = dice.real(-2, 2);
        // A page cut to 1-bit, or printed small, is blurred less: a cut of a
        // wide blur leaves strokes no reader can follow.
        st.blurRadius = dice.between(0, mono || st.pixelSize < 30 ? 1 : 2);
        st.greyNoise = dice.chance(0.6) ? dice.real(3, 18) : 0;
    }
    Layout lay(st, latin);
    lay.setLineSpacing(dice.real(1.3, 1.6));
    const int margin = static_cast<int>(out.dpi * dice.real(0.5, 0.9));
    const int textWidth = width - 2 * margin;
    int bottom = height - margin;
    const bool halftone = kind == Kind::Magazine || dice.chance(0.5);
    std::ostringstream what;
    const std::string group = scriptGroup(out.script);
    // A page number (and for magazines a running head) at the foot.
    const bool pageNumber = dice.chance(0.6) || kind == Kind::Magazine;
    const int number = dice.between(1, 480);
    if (pageNumber) bottom -= lay.lineStep() * 2;
    int top = margin;
    if (kind == Kind::Magazine) {
        const QFont run = lay.font(0.8);
        lay.text(QString::fromStdString(dice.pick(testpages::corpusHeadings(Script::English))).toUpper().left(40), run, margin, top);
        lay.rule(margin, top + lay.lineStep(0.8), textWidth, std::max(1, lay.px() / 20));
        top += lay.lineStep() * 2;
    }
    if (kind == Kind::Columns || kind == Kind::Magazine) {
        int columns = kind == Kind::Magazine ? dice.between(2, 3) : dice.between(1, 4);
        if (layout >= PageLayout::OneColumn && layout <= PageLayout::FourColumns)
            columns = 1 + static_cast<int>(layout) - static_cast<int>(PageLayout::OneColumn);
        Columns cols{margin, top, bottom, textWidth, columns, lay.px() * dice.between(10, 40) / 10, columns > 1 && dice.chance(0.35)};
        Footnotes notes;
        const bool withNotes = dice.chance(0.3) || kind == Kind::Magazine;
        if (withNotes) {
            notes = footnotes(lay, dice, out.script, textWidth, bottom);
            cols.bottom = notes.top - lay.px() * 2;
        }
        const QString heading = QString::fromStdString(dice.pick(testpages::corpusHeadings(out.script)));
        int headed = dice.chance(0.5) ? columns : dice.chance(0.5) ? dice.between(1, columns) : 0;
        double headingScale = dice.real(1.3, 2.0);
        if (kind == Kind::Magazine) headed = columns, headingScale = dice.real(2.0, 2.8);
        const bool pictures = dice.chance(0.5) || kind == Kind::Magazine;
        std::vector<Item> items = columnItems(lay, dice, out.script, cols.colWidth(), height, pictures, 40);
        flowColumns(lay, dice, cols, items, heading, headed, headingScale, halftone);
        if (withNotes) placeFootnotes(lay, notes, margin, textWidth, bottom);
        out.className = kind == Kind::Magazine ? "magazine-eng" : std::to_string(columns) + "col-" + group;
        what << columns << " columns, gutter " << cols.gutter << " px" << (cols.rules ? " with rules" : "") << ", heading over "
             << headed << (pictures ? ", pictures" : "") << (withNotes ? ", footnotes" : "");
    } else {
        const QFont hf = lay.font(1.4, true);
        int y = top;
        lay.lines(lay.wrap(QString::fromStdString(dice.pick(testpages::corpusHeadings(out.script))), hf, textWidth), hf, margin, y, bottom, 1.4);
        y += lay.lineStep();
        const QFont body = lay.font();
        lay.lines(lay.wrap(QString::fromStdString(paragraphs(out.script, dice, 1).front()), body, textWidth), body, margin, y, bottom, 1.0);
        y += lay.lineStep();
        const int tableWidth = dice.chance(0.5) ? textWidth : textWidth * dice.between(55, 85) / 100;
        table(lay, dice, out.script, kind, margin, tableWidth, y);
        for (const std::string& para : paragraphs(out.script, dice, 6)) {
            if (y + lay.lineStep() > bottom) break;
            lay.lines(lay.wrap(QString::fromStdString(para), body, textWidth), body, margin, y, bottom, 1.0);
            y += lay.lineStep() / 3;
        }
        out.className = std::string(kind == Kind::RuledTable ? "table-ruled-" : kind == Kind::PartlyRuledTable ? "table-partly-" : "table-unruled-") + group;
        what << "table " << tableWidth << " px wide";
    }
    if (pageNumber) {
        const QString n = QString::number(number);
        const QFont f = lay.font(0.9);
        lay.text(n, f, dice.chance(0.5) ? margin + textWidth / 2 : margin + textWidth - QFontMetrics(f).horizontalAdvance(n), height - margin - lay.lineStep());
    }
    QImage grey = testpages::paintPage(width, height, st, [&](QPainter& p) {
        for (const auto& ink : lay.ink()) ink(p);
    });
    // Light falling off towards one side or the corners, and paper of a
    // colour: the page is multiplied by both.
    // A 1-bit page is cut by the scanner against its own paper: light and
    // paper colour are gone from it (cut at one level they would black out
    // whole corners, which no reader can read).
    const bool uneven = !clean && dice.chance(0.4) && !mono;
    const double dim = dice.real(0.55, 0.85), angle = dice.real(0, 6.2832);
    const bool radial = dice.chance(0.4);
    static const QRgb kPapers[] = {qRgb(250, 240, 215), qRgb(228, 236, 250), qRgb(250, 228, 232), qRgb(228, 245, 226),
                                   qRgb(218, 216, 208), qRgb(245, 245, 230)};
    const bool paper = !clean && dice.chance(0.35) && !mono;
    const QRgb tint = paper ? kPapers[dice.between(0, 5)] : qRgb(255, 255, 255);
    QImage page(width, height, QImage::Format_RGB32);
    const double ca = std::cos(angle), sa = std::sin(angle), half = std::hypot(width, height) / 2;
    for (int y = 0; y < height; ++y) {
        const uchar* in = grey.constScanLine(y);
        QRgb* row = reinterpret_cast<QRgb*>(page.scanLine(y));
        for (int x = 0; x < width; ++x) {
            double light = 1;
            if (uneven) {
                const double dx = x - width / 2.0, dy = y - height / 2.0;
                const double t = radial ? std::hypot(dx, dy) / half : 0.5 + (dx * ca + dy * sa) / (2 * half);
                light = 1 - (1 - dim) * std::clamp(t, 0.0, 1.0);
            }
            const double v = in[x] * light / 255.0;
            row[x] = qRgb(static_cast<int>(qRed(tint) * v), static_cast<int>(qGreen(tint) * v), static_cast<int>(qBlue(tint) * v));
        }
    }
    int cut = 0;
    if (mono) {
        // A scanner's own cut, somewhat dark so that thin strokes hold.
        const QImage g = page.convertToFormat(QImage::Format_Grayscale8);
        cut = dice.between(140, 190);
        out.image = QImage(width, height, QImage::Format_Mono);
        out.image.setColor(0, qRgb(255, 255, 255));
        out.image.setColor(1, qRgb(0, 0, 0));
        out.image.fill(0);
        for (int y = 0; y < height; ++y) {
            const uchar* in = g.constScanLine(y);
            uchar* row = out.image.scanLine(y);
            for (int x = 0; x < width; ++x)
                if (in[x] < cut) row[x / 8] |= static_cast<uchar>(0x80 >> (x % 8));
        }
    } else {
        out.image = colour ? page : page.convertToFormat(QImage::Format_Grayscale8);
        if (kind == Kind::Magazine || dice.chance(0.6)) out.jpegQuality = dice.between(30, 80);
    }
    out.truth = lay.truth();
    what << "; " << st.families.front() << (st.families.size() > 1 ? " + " + st.families.back() : "") << ", " << st.pixelSize
         << " px (" << static_cast<int>(pt + 0.5) << " pt) at " << out.dpi << " dpi, tilt " << st.skewDegrees << ", blur "
         << st.blurRadius << ", noise " << static_cast<int>(st.greyNoise) << (uneven ? ", uneven light" : "")
         << (paper ? ", coloured paper" : "") << (halftone ? ", halftone" : "") << ", "
         << (mono ? "1-bit cut at " + std::to_string(cut) : colour ? "colour" : "grey");
    if (out.jpegQuality) what << ", JPEG " << out.jpegQuality;
    out.description = what.str();
    return out;
}

std::string pageExtension(const RandomPage& page) { return page.jpegQuality > 0 ? "jpg" : "bmp"; }

bool writePage(const RandomPage& page, const std::string& path) {
    QImage img = page.image;
    const int dotsPerMetre = static_cast<int>(page.dpi / 0.0254 + 0.5);
    img.setDotsPerMeterX(dotsPerMetre);
    img.setDotsPerMeterY(dotsPerMetre);
    return page.jpegQuality > 0 ? img.save(QString::fromStdString(path), "JPEG", page.jpegQuality)
                                : img.save(QString::fromStdString(path), "BMP");
}

}  // namespace bench
