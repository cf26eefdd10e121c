#include "outside/tests/corpus.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

namespace testpages {

namespace {

// Text of the corpus beyond the shared pools: headings and table cells.
const std::vector<std::string> kHeadingsSimplified = {
    "城市公共交通改进计划的年度进展报告与下一阶段的工作安排", "关于加强社区图书馆建设和开展全民阅读活动的通知",
    "二〇二四年全省农业生产情况回顾以及明年的主要任务", "新建博物馆展厅开放首月参观人数与观众意见汇总"};
const std::vector<std::string> kHeadingsTraditional = {
    "城市公共交通改進計畫的年度進展報告與下一階段的工作安排", "關於加強社區圖書館建設和開展全民閱讀活動的通知",
    "二〇二四年全省農業生產情況回顧以及明年的主要任務", "新建博物館展廳開放首月參觀人數與觀眾意見彙整"};
const std::vector<std::string> kHeadingsEnglish = {
    "Annual Report on the Renewal of the City Bus and Tram Network", "Notes from the Spring Meeting of the Regional Library Board",
    "Harvest Figures for the Northern Valleys and Plans for Next Year", "Visitors and Their Views in the First Month of the New Museum Hall"};
const std::vector<std::string> kMixedExtra = {
    "研究人员用 Python 编写了数据分析程序，并把结果整理成 Excel 表格。",
    "这家 café 的老板曾在 Zürich 学习烹饪，菜单上有不少欧洲风味。",
    "请在周五以前通过 email 提交报告，标题写明 Quarterly Review。",
    "展览期间，观众可以使用 WiFi 免费下载导览 App 和 MP3 讲解。",
    "这台打印机支持 USB 和 Ethernet 连接，打印速度为每分钟 30 页。",
    "课程采用 English 授课，教材选自 Oxford 出版的入门读物。",
};
const std::vector<std::string> kCellsSimplified = {"名称", "数量", "单价", "日期", "地区", "备注", "苹果", "香蕉", "大米",
                                                   "北京", "上海", "广州", "合计", "完成", "待定", "已发货"};
const std::vector<std::string> kCellsTraditional = {"名稱", "數量", "單價", "日期", "地區", "備註", "蘋果", "香蕉", "稻米",
                                                    "臺北", "香港", "高雄", "合計", "完成", "待定", "已出貨"};
const std::vector<std::string> kCellsEnglish = {"Item", "Count", "Price", "Date", "Region", "Notes", "Apples", "Bread",
                                                "Rice", "North", "South", "Total", "Done", "Pending", "Shipped", "Open"};

std::vector<std::string> paragraphsOf(Script s, unsigned seed, int n) {
    switch (s) {
    case Script::Simplified: return simplifiedText(seed, n);
    case Script::Traditional: return traditionalText(seed, n);
    case Script::English: return englishText(seed, n);
    case Script::Mixed: {
        // Chinese prose with English words in about every other sentence.
        std::vector<std::string> out = simplifiedText(seed, n), mixed = mixedText(seed + 1, n);
        std::mt19937 rng(seed);
        for (int i = 0; i < n; ++i) {
            const std::string& extra = kMixedExtra[rng() % kMixedExtra.size()];
            out[i] = (rng() % 2 ? mixed[i] + extra : extra + out[i]);
        }
        return out;
    }
    }
    return {};
}

const std::vector<std::string>& headingsOf(Script s) {
    return s == Script::English ? kHeadingsEnglish : s == Script::Traditional ? kHeadingsTraditional : kHeadingsSimplified;
}

const std::vector<std::string>& cellsOf(Script s) {
    return s == Script::English ? kCellsEnglish : s == Script::Traditional ? kCellsTraditional : kCellsSimplified;
}

Style styleFor(Script script, unsigned seed, bool degraded) {
    Style st;
    st.seed = seed;
    st.pixelSize = 38 + static_cast<int>((seed * 7) % 12);
    const bool second = (seed / 2) % 2 != 0;
    switch (script) {
    case Script::English: {
        static const char* latin[] = {"DejaVu Serif", "Liberation Serif", "Liberation Sans"};
        st.families = {latin[seed % 3]};
        break;
    }
    case Script::Traditional:
        st.families = {second ? "AR PL UMing TW" : "WenQuanYi Micro Hei"};
        break;
    case Script::Simplified:
        st.families = {second ? "AR PL UMing CN" : "WenQuanYi Micro Hei"};
        break;
    case Script::Mixed:
        // Latin letters from a Latin face, the rest from the CJK one.
        st.families = {seed % 3 == 0 ? "Liberation Serif" : "DejaVu Serif", second ? "AR PL UMing CN" : "WenQuanYi Micro Hei"};
        break;
    }
    if (degraded) {
        double tilt = 0.5 + 0.5 * static_cast<double>(seed % 4);
        st.skewDegrees = seed % 2 ? tilt : -tilt;
        st.blurRadius = 1;
        st.greyNoise = 10 + static_cast<double>(seed % 3) * 6;
        st.threshold = 130 + static_cast<int>((seed * 13) % 30);
        st.noise = 0.0004;
    }
    return st;
}

struct Placed {
    QString text;
    int x, baseline;
    double scale;
};

// Lays text out on a page and keeps the truth in reading order.
class Composer {
public:
    Composer(const Style& style, int width, int height)
        : style_(style), font_(styleFont(style)), fm_(font_), width_(width), height_(height) {}

    QFontMetrics& metrics() { return fm_; }
    int lineStep() const { return style_.pixelSize * 3 / 2; }

    // One line of text at x, top y (in the body font times scale).
    void line(const QString& text, int x, int y, double scale = 1.0) {
        QFontMetrics fm(styleFont(style_, scale));
        placed_.push_back({text, x, y + fm.ascent(), scale});
        truth_ += text.toStdString() + "\n";
        lines_.push_back({x, y, x + fm.horizontalAdvance(text) - 1, y + static_cast<int>(style_.pixelSize * scale) - 1});
    }
    std::vector<Rect>& lines() { return lines_; }
    // Paragraphs flowed into columns between top and bottom, column after
    // column; returns the paragraphs not placed.
    std::vector<std::string> flow(std::vector<std::string> paras, int left, int colWidth, int gutter, int columns, int top,
                                  int bottom) {
        int col = 0, y = top;
        cutShort_ = false;
        while (!paras.empty() && col < columns) {
            auto lines = wrap(QString::fromStdString(paras.front()), fm_, colWidth);
            int x = left + col * (colWidth + gutter);
            std::size_t k = 0;
            while (k < lines.size()) {
                if (y + lineStep() > bottom) break;
                line(lines[k++], x, y);
                y += lineStep();
            }
            if (k < lines.size()) {
                // The rest of the paragraph continues at the top of the next column.
                QString rest;
                for (std::size_t j = k; j < lines.size(); ++j) rest += lines[j] + (isLatin() ? " " : "");
                paras.front() = rest.trimmed().toStdString();
                cutShort_ = true;
                ++col;
                y = top;
                continue;
            }
            paras.erase(paras.begin());
            cutShort_ = false;
            y += lineStep();  // a blank line between paragraphs
            if (y + lineStep() > bottom) {
                ++col;
                y = top;
            }
        }
        return paras;
    }
    void rule(int x, int y, int w, int h) { rules_.push_back(QRect(x, y, w, h)); }

    // Whether the last flow ended inside a paragraph.
    bool cutShort() const { return cutShort_; }
    bool isLatin() const { return latin_; }
    void setLatin(bool l) { latin_ = l; }
    std::string& truth() { return truth_; }

    Plane paint() {
        return renderPage(width_, height_, style_, [&](QPainter& p) {
            for (const Placed& pl : placed_) {
                p.setFont(styleFont(style_, pl.scale));
                p.drawText(pl.x, pl.baseline, pl.text);
            }
            for (const QRect& r : rules_) p.fillRect(r, Qt::black);
        });
    }

private:
    Style style_;
    QFont font_;
    QFontMetrics fm_;
    int width_, height_;
    std::vector<Placed> placed_;
    std::vector<QRect> rules_;
    std::string truth_;
    std::vector<Rect> lines_;
    bool latin_ = false;
    bool cutShort_ = false;
};

int columnsOf(Layout l, unsigned seed) {
    switch (l) {
    case Layout::OneColumn: return 1;
    case Layout::TwoColumns: return 2;
    case Layout::ThreeColumns: return 3;
    case Layout::RuledColumns: return 2 + static_cast<int>((seed / 3) % 2);
    default: return 2 + static_cast<int>(seed % 2);
    }
}

void composeColumns(Composer& c, const CorpusClass& cls, Script script, unsigned seed, const Style& st, int width,
                    int height) {
    const int margin = 140 + static_cast<int>(seed % 5) * 15;
    // Columns parted by a thin rule sit closer: one to two character widths.
    const bool ruled = cls.layout == Layout::RuledColumns;
    const int gutter = st.pixelSize * (ruled ? 10 + static_cast<int>(seed % 6) * 2 : 16 + static_cast<int>(seed % 5) * 3) / 10;
    std::vector<std::string> paras = paragraphsOf(script, seed, 60);
    int sections = cls.layout == Layout::SpanningHeading ? 2 : 1;
    int top = margin;
    for (int s = 0; s < sections; ++s) {
        int columns = columnsOf(cls.layout, seed + s);
        int colWidth = (width - 2 * margin - (columns - 1) * gutter) / columns;
        int bottom = s + 1 == sections ? height - margin : top + (height - 2 * margin) / 2;
        if (cls.layout == Layout::SpanningHeading) {
            // A heading in a larger face running over the column gaps.
            const auto& heads = headingsOf(script);
            QString head = QString::fromStdString(heads[(seed + s) % heads.size()]);
            c.line(head, margin + (seed % 3) * 20, top, 1.35);
            top += c.lineStep() * 2;
        }
        if (cls.layout == Layout::AlignedGaps) {
            // Paragraphs of equal length side by side, so that the gaps between
            // them line up across the columns.
            int rows = std::max(1, (bottom - top) / (c.lineStep() * 6));
            int perPara = std::max(2, (bottom - top) / rows / c.lineStep() - 1);
            std::vector<std::vector<QString>> colLines(columns);
            for (int col = 0; col < columns; ++col)
                for (int r = 0; r < rows; ++r) {
                    QString text;
                    std::vector<QString> lines;
                    while (static_cast<int>(lines.size()) < perPara && !paras.empty()) {
                        text += QString::fromStdString(paras.front()) + (script == Script::English ? " " : "");
                        paras.erase(paras.begin());
                        lines = wrap(text.trimmed(), c.metrics(), colWidth);
                    }
                    lines.resize(std::min<std::size_t>(lines.size(), perPara));
                    for (int k = 0; k < static_cast<int>(lines.size()); ++k)
                        colLines[col].push_back(lines[k]);
                    colLines[col].push_back(QString());  // the gap
                }
            for (int col = 0; col < columns; ++col) {
                int y = top, x = margin + col * (colWidth + gutter);
                for (const QString& l : colLines[col]) {
                    if (!l.isEmpty() && y + c.lineStep() <= bottom) c.line(l, x, y);
                    y += c.lineStep();
                }
            }
        } else {
            paras = c.flow(paras, margin, colWidth, gutter, columns, top, bottom);
            for (int col = 1; ruled && col < columns; ++col)
                c.rule(margin + col * (colWidth + gutter) - gutter / 2 - 1, top, 1 + static_cast<int>(seed % 3), bottom - top);
        }
        top = bottom + c.lineStep();
    }
}

void composeVertical(Composer& c, Script script, unsigned seed, const Style& st, int width, int height,
                     std::vector<std::pair<QString, QPoint>>& chars) {
    const int margin = 150 + static_cast<int>(seed % 4) * 20;
    const int charStep = st.pixelSize * 11 / 10, colStep = st.pixelSize * (15 + static_cast<int>(seed % 4)) / 10;
    const int perColumn = (height - 2 * margin) / charStep;
    QFontMetrics fm = c.metrics();
    int x = width - margin - st.pixelSize;
    for (const std::string& para : paragraphsOf(script, seed, 40)) {
        QString q = QString::fromStdString(para);
        for (int start = 0; start < q.size() && x >= margin; start += perColumn, x -= colStep) {
            QString piece = q.mid(start, perColumn);
            for (int k = 0; k < piece.size(); ++k) chars.push_back({piece.mid(k, 1), QPoint(x, margin + k * charStep + fm.ascent())});
            c.truth() += piece.toStdString() + "\n";
            c.lines().push_back({x, margin, x + st.pixelSize - 1, margin + static_cast<int>(piece.size()) * charStep - 1});
        }
        if (x < margin) break;
    }
}

void composeTable(Composer& c, Script script, unsigned seed, const Style& st, int width, int height,
                  std::vector<Rect>& tables) {
    const int margin = 150;
    int y = margin;
    const auto& heads = headingsOf(script);
    c.line(QString::fromStdString(heads[seed % heads.size()]), margin, y, 1.3);
    y += c.lineStep() * 2;
    std::vector<std::string> paras = paragraphsOf(script, seed, 30);
    int full = width - 2 * margin;
    // A paragraph above the table.
    int above = y + c.lineStep() * 4;
    paras = c.flow(paras, margin, full, 0, 1, y, above);
    y = above + c.lineStep();
    const bool beside = seed % 2 == 0;
    const int rows = 4 + static_cast<int>(seed % 4), cols = 3 + static_cast<int>((seed / 2) % 2);
    const int tableWidth = beside ? full * 58 / 100 : full;
    const int cellW = tableWidth / cols, cellH = st.pixelSize * 22 / 10, rule = 2 + static_cast<int>(seed % 3);
    const auto& words = cellsOf(script);
    std::mt19937 rng(seed);
    for (int r = 0; r < rows; ++r)
        for (int k = 0; k < cols; ++k) {
            std::string text = r > 0 && k == cols - 1 ? std::to_string(10 + rng() % 990) + "." + std::to_string(10 + rng() % 90)
                                                      : words[rng() % words.size()];
            c.line(QString::fromStdString(text), margin + k * cellW + rule + st.pixelSize / 2,
                   y + r * cellH + (cellH - st.pixelSize) / 2, 1.0);
        }
    for (int r = 0; r <= rows; ++r) c.rule(margin, y + r * cellH, cols * cellW + rule, rule);
    for (int k = 0; k <= cols; ++k) c.rule(margin + k * cellW, y, rule, rows * cellH + rule);
    int tableBottom = y + rows * cellH + rule;
    tables.push_back({margin, y, margin + cols * cellW + rule - 1, tableBottom - 1});
    if (beside) {
        // Unruled text in a column beside the table, reaching below it.
        int x = margin + tableWidth + st.pixelSize * 2;
        paras = c.flow(paras, x, width - margin - x, 0, 1, y, tableBottom + c.lineStep() * 3);
        // The text below starts a paragraph of its own.
        if (c.cutShort() && !paras.empty()) paras.erase(paras.begin());
        tableBottom += c.lineStep() * 3;
    }
    c.flow(paras, margin, full, 0, 1, tableBottom + c.lineStep() * 2, height - margin);
}

}  // namespace

const std::vector<CorpusClass>& corpusClasses() {
    using S = Script;
    static const std::vector<CorpusClass> classes = {
        {"1col-sim", Layout::OneColumn, {S::Simplified}},
        {"1col-tra", Layout::OneColumn, {S::Traditional}},
        {"1col-eng", Layout::OneColumn, {S::English}},
        {"2col-sim", Layout::TwoColumns, {S::Simplified}},
        {"2col-tra", Layout::TwoColumns, {S::Traditional}},
        {"2col-eng", Layout::TwoColumns, {S::English}},
        {"3col-sim", Layout::ThreeColumns, {S::Simplified}},
        {"3col-tra", Layout::ThreeColumns, {S::Traditional}},
        {"3col-eng", Layout::ThreeColumns, {S::English}},
        {"aligned-gaps", Layout::AlignedGaps, {S::Simplified, S::English, S::Traditional}},
        {"spanning-head", Layout::SpanningHeading, {S::Simplified, S::English, S::Traditional}},
        {"vertical", Layout::Vertical, {S::Simplified, S::Traditional}},
        {"ruled-table", Layout::RuledTable, {S::Simplified, S::English, S::Traditional}},
        {"chi+eng", Layout::OneColumn, {S::Mixed}},
        {"chi+eng-2col", Layout::TwoColumns, {S::Mixed}},
        {"ruled-cols", Layout::RuledColumns, {S::Simplified, S::English, S::Traditional}},
    };
    return classes;
}

std::vector<std::string> corpusParagraphs(Script script, unsigned seed, int n) { return paragraphsOf(script, seed, n); }
const std::vector<std::string>& corpusHeadings(Script script) { return headingsOf(script); }
const std::vector<std::string>& corpusCells(Script script) { return cellsOf(script); }

const CorpusClass& corpusClass(const std::string& name) {
    for (const CorpusClass& c : corpusClasses())
        if (c.name == name) return c;
    throw std::out_of_range("no corpus class " + name);
}

CorpusPage corpusPage(const CorpusClass& cls, unsigned seed, bool degraded, int width, int height) {
    ensureGui();
    CorpusPage out;
    out.script = cls.scripts[seed % cls.scripts.size()];
    out.vertical = cls.layout == Layout::Vertical;
    Style st = styleFor(out.script, seed, degraded);
    out.skewDegrees = st.skewDegrees;
    Composer c(st, width, height);
    c.setLatin(out.script == Script::English);
    if (cls.layout == Layout::Vertical) {
        std::vector<std::pair<QString, QPoint>> chars;
        composeVertical(c, out.script, seed, st, width, height, chars);
        out.page.plane = renderPage(width, height, st, [&](QPainter& p) {
            p.setFont(styleFont(st));
            for (auto& [ch, at] : chars) p.drawText(at, ch);
        });
    } else {
        if (cls.layout == Layout::RuledTable)
            composeTable(c, out.script, seed, st, width, height, out.tables);
        else
            composeColumns(c, cls, out.script, seed, st, width, height);
        out.page.plane = c.paint();
    }
    out.truth = c.truth();
    out.lines = c.lines();
    // Centres as the painter turned them about the middle of the page.
    const double r = st.skewDegrees * 3.14159265358979 / 180.0, mx = width / 2.0, my = height / 2.0;
    for (const Rect& l : out.lines) {
        double x = (l.left + l.right) / 2.0 - mx, y = (l.top + l.bottom) / 2.0 - my;
        out.lineCentres.push_back({static_cast<int>(mx + x * std::cos(r) - y * std::sin(r)),
                                   static_cast<int>(my + x * std::sin(r) + y * std::cos(r))});
    }
    return out;
}

std::string cliLanguages(Script script, bool vertical) {
    switch (script) {
    case Script::Simplified: return vertical ? "chi_sim_vert" : "chi_sim";
    case Script::Traditional: return vertical ? "chi_tra_vert" : "chi_tra";
    case Script::English: return "eng";
    case Script::Mixed: return "chi_sim+eng";
    }
    return "eng";
}

}  // namespace testpages
