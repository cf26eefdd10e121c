#include "outside/tests/pages.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cstring>
#include <memory>
#include <random>

namespace testpages {

void ensureGui() {
    if (QGuiApplication::instance()) return;
    static int argc = 1;
    static char name[] = "engines-test";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Kept to the end of the process: tearing it down during exit races the
    // font cache's own teardown.
    new QGuiApplication(argc, argv);
    QFontDatabase::addApplicationFont("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc");
}

namespace {

bool scanned(const Style& style) { return style.blurRadius > 0 || style.greyNoise > 0 || style.threshold > 0; }

QFont pageFont(int pixelSize) {
    QFont f("WenQuanYi Micro Hei");
    f.setPixelSize(pixelSize);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

// Box blur along rows then columns, radius r, done twice (close to a Gaussian).
void blur(QImage& img, int r) {
    const int w = img.width(), h = img.height();
    std::vector<int> line;
    for (int pass = 0; pass < 2; ++pass) {
        for (int y = 0; y < h; ++y) {
            uchar* row = img.scanLine(y);
            line.assign(row, row + w);
            int sum = 0, n = 0;
            for (int x = -r; x < w; ++x) {
                if (x + r < w) sum += line[x + r], ++n;
                if (x - r - 1 >= 0) sum -= line[x - r - 1], --n;
                if (x >= 0) row[x] = static_cast<uchar>(sum / n);
            }
        }
        for (int x = 0; x < w; ++x) {
            line.resize(h);
            for (int y = 0; y < h; ++y) line[y] = img.scanLine(y)[x];
            int sum = 0, n = 0;
            for (int y = -r; y < h; ++y) {
                if (y + r < h) sum += line[y + r], ++n;
                if (y - r - 1 >= 0) sum -= line[y - r - 1], --n;
                if (y >= 0) img.scanLine(y)[x] = static_cast<uchar>(sum / n);
            }
        }
    }
}

}  // namespace

QFont styleFont(const Style& style, double scale) {
    if (style.families.empty()) return pageFont(static_cast<int>(style.pixelSize * scale));
    QFont f;
    QStringList names;
    for (const std::string& n : style.families) names << QString::fromStdString(n);
    f.setFamilies(names);
    f.setPixelSize(static_cast<int>(style.pixelSize * scale));
    f.setStyleStrategy(scanned(style) ? QFont::PreferAntialias : QFont::NoAntialias);
    return f;
}

QImage paintPage(int width, int height, const Style& style, const std::function<void(QPainter&)>& draw) {
    ensureGui();
    QImage img(width, height, QImage::Format_Grayscale8);
    img.fill(255);
    const bool grey = scanned(style);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, grey);
        p.setRenderHint(QPainter::TextAntialiasing, grey);
        if (style.skewDegrees != 0) {
            p.translate(width / 2.0, height / 2.0);
            p.rotate(style.skewDegrees);
            p.translate(-width / 2.0, -height / 2.0);
        }
        p.setPen(Qt::black);
        draw(p);
    }
    if (style.blurRadius > 0) blur(img, style.blurRadius);
    if (style.greyNoise > 0) {
        std::mt19937 rng(style.seed * 7919u + 17u);
        std::normal_distribution<double> spread(0.0, style.greyNoise);
        for (int y = 0; y < height; ++y) {
            uchar* row = img.scanLine(y);
            for (int x = 0; x < width; ++x) row[x] = static_cast<uchar>(std::clamp(row[x] + spread(rng), 0.0, 255.0));
        }
    }
    return img;
}

// Paints with the page's skew and turns the grey picture into the plane.
Plane renderPage(int width, int height, const Style& style, const std::function<void(QPainter&)>& draw) {
    const QImage img = paintPage(width, height, style, draw);
    const int cut = style.threshold > 0 ? style.threshold : 128;
    Plane plane;
    plane.width = width;
    plane.height = height;
    plane.bits.assign(static_cast<std::size_t>(plane.stride()) * height, 0);
    for (int y = 0; y < height; ++y) {
        const uchar* row = img.constScanLine(y);
        for (int x = 0; x < width; ++x)
            if (row[x] < cut) plane.bits[y * plane.stride() + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    if (style.noise > 0) addNoise(plane, style.noise, style.seed);
    return plane;
}

// Splits a paragraph into lines that fit maxWidth.
std::vector<QString> wrap(const QString& text, const QFontMetrics& fm, int maxWidth) {
    std::vector<QString> lines;
    QString cur;
    int i = 0;
    while (i < text.size()) {
        // A word of Latin letters stays whole; every CJK character is a unit.
        int j = i + 1;
        if (text[i].unicode() < 0x2E80 && text[i] != ' ')
            while (j < text.size() && text[j].unicode() < 0x2E80 && text[j] != ' ') ++j;
        if (text[i] == ' ' && j < text.size() && text[j] == ' ') ++j;
        QString unit = text.mid(i, j - i);
        if (fm.horizontalAdvance(cur + unit) > maxWidth && !cur.isEmpty()) {
            lines.push_back(cur.trimmed());
            cur = unit.trimmed();
        } else {
            cur += unit;
        }
        i = j;
    }
    if (!cur.trimmed().isEmpty()) lines.push_back(cur.trimmed());
    return lines;
}

Page textPage(const std::vector<std::string>& paragraphs, int width, int height, const Style& style, int columns) {
    Page page;
    QFont font = styleFont(style);
    ensureGui();
    QFontMetrics fm(font);
    const int margin = 120, gutter = 120;
    int colWidth = (width - 2 * margin - (columns - 1) * gutter) / columns;
    int lineStep = style.pixelSize * 3 / 2;
    int col = 0, y = margin;
    struct Placed {
        QString text;
        int x, y;
    };
    std::vector<Placed> placed;
    for (const std::string& para : paragraphs) {
        auto lines = wrap(QString::fromStdString(para), fm, colWidth);
        if (y + lineStep * static_cast<int>(lines.size()) > height - margin && y > margin) {
            if (++col >= columns) break;
            y = margin;
        }
        TextBlock block;
        int x = margin + col * (colWidth + gutter);
        block.rect = {x, y, x + colWidth - 1, y + lineStep * static_cast<int>(lines.size()) - 1};
        for (const QString& l : lines) {
            if (y + lineStep > height - margin) break;
            placed.push_back({l, x, y + fm.ascent()});
            block.lines.push_back(l.toStdString());
            y += lineStep;
        }
        block.rect.bottom = y - 1;
        if (!block.lines.empty()) page.blocks.push_back(block);
        y += lineStep;  // a blank line between paragraphs
    }
    page.plane = renderPage(width, height, style, [&](QPainter& p) {
        p.setFont(font);
        for (const Placed& pl : placed) p.drawText(pl.x, pl.y, pl.text);
    });
    return page;
}

Page verticalPage(const std::vector<std::string>& columns, int width, int height, const Style& style) {
    Page page;
    QFont font = styleFont(style);
    ensureGui();
    QFontMetrics fm(font);
    const int margin = 150;
    int step = style.pixelSize * 8 / 5, charStep = style.pixelSize * 11 / 10;
    int perColumn = (height - 2 * margin) / charStep;
    TextBlock block;
    block.vertical = true;
    struct Placed {
        QString ch;
        int x, y;
    };
    std::vector<Placed> placed;
    int x = width - margin - style.pixelSize;
    for (const std::string& text : columns) {
        QString q = QString::fromStdString(text);
        int start = 0;
        while (start < q.size() && x >= margin) {
            QString piece = q.mid(start, perColumn);
            for (int k = 0; k < piece.size(); ++k) placed.push_back({piece.mid(k, 1), x, margin + k * charStep + fm.ascent()});
            block.lines.push_back(piece.toStdString());
            start += perColumn;
            x -= step;
        }
    }
    block.rect = {x + step, margin, width - margin - 1, height - margin - 1};
    page.blocks.push_back(block);
    page.plane = renderPage(width, height, style, [&](QPainter& p) {
        p.setFont(font);
        for (const Placed& pl : placed) p.drawText(pl.x, pl.y, pl.ch);
    });
    return page;
}

Page tablePage(const std::string& heading, const std::vector<std::vector<std::string>>& cells, bool withPicture,
               const Style& style) {
    Page page;
    const int width = 2000, height = withPicture ? 1900 : 1300;
    QFont font = styleFont(style);
    ensureGui();
    QFontMetrics fm(font);
    int rows = static_cast<int>(cells.size()), cols = rows ? static_cast<int>(cells[0].size()) : 0;
    const int left = 150, top = 330, cellW = (width - 300) / std::max(cols, 1), cellH = style.pixelSize * 2;
    TextBlock head;
    head.rect = {left, 150, left + fm.horizontalAdvance(QString::fromStdString(heading)), 150 + style.pixelSize};
    head.lines.push_back(heading);
    page.blocks.push_back(head);
    for (int r = 0; r <= rows; ++r) page.tableRowLines.push_back(top + r * cellH);
    for (int c = 0; c <= cols; ++c) page.tableColLines.push_back(left + c * cellW);
    page.tables.push_back({left, top, left + cols * cellW + 2, top + rows * cellH + 2});
    page.tableCells = cells;
    if (withPicture) page.pictures.push_back({width / 2 - 300, top + rows * cellH + 150, width / 2 + 300, top + rows * cellH + 650});
    page.plane = renderPage(width, height, style, [&](QPainter& p) {
        p.setFont(font);
        p.drawText(left, 150 + fm.ascent(), QString::fromStdString(heading));
        for (int r = 0; r <= rows; ++r) p.fillRect(left, top + r * cellH, cols * cellW + 3, 3, Qt::black);
        for (int c = 0; c <= cols; ++c) p.fillRect(left + c * cellW, top, 3, rows * cellH + 3, Qt::black);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                p.drawText(left + c * cellW + 30, top + r * cellH + (cellH - style.pixelSize) / 2 + fm.ascent(),
                           QString::fromStdString(cells[r][c]));
        if (withPicture) {
            const Rect& pic = page.pictures.back();
            p.setBrush(Qt::black);
            p.drawEllipse(pic.left, pic.top, 300, pic.bottom - pic.top);
            p.fillRect(pic.left + 320, pic.top + 100, 280, 300, Qt::black);
            p.fillRect(pic.left + 360, pic.top + 140, 200, 60, Qt::white);
        }
    });
    return page;
}

Page picturePage(const std::vector<std::string>& paragraphs, const Style& style) {
    // The text keeps to the left half; a picture stands on the right.
    Page out;
    const int width = 2480, height = 1500;
    QFont font = styleFont(style);
    ensureGui();
    QFontMetrics fm(font);
    int lineStep = style.pixelSize * 3 / 2, y = 150, x = 150, colWidth = 1200;
    TextBlock block;
    std::vector<std::pair<QString, int>> placed;
    for (const std::string& para : paragraphs)
        for (const QString& l : wrap(QString::fromStdString(para), fm, colWidth)) {
            if (y + lineStep > height - 150) break;
            placed.push_back({l, y + fm.ascent()});
            block.lines.push_back(l.toStdString());
            y += lineStep;
        }
    block.rect = {x, 150, x + colWidth - 1, y - 1};
    out.blocks.push_back(block);
    out.pictures.push_back({1600, 200, 2300, 1100});
    out.plane = renderPage(width, height, style, [&](QPainter& p) {
        p.setFont(font);
        for (auto& [text, baseline] : placed) p.drawText(x, baseline, text);
        p.setBrush(Qt::black);
        p.drawEllipse(1600, 200, 700, 500);
        p.fillRect(1700, 750, 600, 350, Qt::black);
        for (int k = 0; k < 6; ++k) p.fillRect(1720 + k * 90, 780, 40, 280, Qt::white);
    });
    return out;
}

void addNoise(Plane& p, double share, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> xs(0, p.width - 1), ys(0, p.height - 1);
    long n = static_cast<long>(share * p.width * p.height);
    for (long i = 0; i < n; ++i) {
        int x = xs(rng), y = ys(rng);
        p.bits[y * p.stride() + x / 8] ^= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
}

namespace {

const std::vector<std::string> kSimplified = {
    "今天上午，市图书馆举办了一场关于古籍修复的公开讲座，吸引了许多读者前来参加。",
    "修复师介绍说，每一页旧纸都需要先清洁、再加固，整个过程往往要花上几个星期。",
    "我们的工厂去年引进了新的生产设备，产量比前年提高了三成，质量也更加稳定。",
    "春天来了，河边的柳树发出新芽，孩子们在草地上放风筝，老人们坐在长椅上聊天。",
    "这份报告分析了城市交通的现状，并提出了改善公共汽车线路和增加自行车道的建议。",
    "学校决定从下学期开始，每周安排两节阅读课，鼓励学生多读书、读好书。",
    "天气预报说明天有小雨，气温在十五度到二十度之间，出门请记得带伞。",
    "公司将在下个月召开年度会议，总结过去一年的工作，并讨论新的发展计划。",
    "他每天早上六点起床，先跑步半小时，然后吃早饭，七点半准时出发去上班。",
    "这座小城历史悠久，街道两旁保留着许多老房子，吸引了各地的游客前来参观。",
    "经过三年的努力，研究小组终于完成了这项实验，相关成果已经在期刊上发表。",
    "请各部门在本周五以前提交工作总结，并注明需要解决的主要问题和具体建议。",
    "农民们正在田里收割水稻，今年雨水充足，粮食收成比往年都要好。",
    "博物馆新开放的展厅里陈列着一百多件瓷器，每一件都有自己的故事。",
    "为了保护环境，社区开展了垃圾分类活动，居民们积极参与，效果十分明显。",
    "这本小说讲述了一个普通家庭在时代变化中的经历，语言朴实，感情真挚。",
};

const std::vector<std::string> kTraditional = {
    "今天上午，市立圖書館舉辦了一場關於古籍修復的公開講座，吸引了許多讀者前來參加。",
    "修復師介紹說，每一頁舊紙都需要先清潔、再加固，整個過程往往要花上幾個星期。",
    "我們的工廠去年引進了新的生產設備，產量比前年提高了三成，品質也更加穩定。",
    "春天來了，河邊的柳樹發出新芽，孩子們在草地上放風箏，老人們坐在長椅上聊天。",
    "這份報告分析了城市交通的現況，並提出了改善公車路線和增加自行車道的建議。",
    "學校決定從下學期開始，每週安排兩節閱讀課，鼓勵學生多讀書、讀好書。",
    "天氣預報說明天有小雨，氣溫在十五度到二十度之間，出門請記得帶傘。",
    "公司將在下個月召開年度會議，總結過去一年的工作，並討論新的發展計畫。",
    "他每天早上六點起床，先跑步半小時，然後吃早餐，七點半準時出發去上班。",
    "這座小城歷史悠久，街道兩旁保留著許多老房子，吸引了各地的遊客前來參觀。",
    "經過三年的努力，研究小組終於完成了這項實驗，相關成果已經在期刊上發表。",
    "請各部門在本週五以前提交工作總結，並註明需要解決的主要問題和具體建議。",
    "農民們正在田裡收割稻米，今年雨水充足，糧食收成比往年都要好。",
    "博物館新開放的展廳裡陳列著一百多件瓷器，每一件都有自己的故事。",
    "為了保護環境，社區開展了垃圾分類活動，居民們積極參與，效果十分明顯。",
    "這本小說講述了一個普通家庭在時代變化中的經歷，語言樸實，感情真摯。",
};

const std::vector<std::string> kEnglish = {
    "The library opened a new reading room on the second floor last week.",
    "Every morning the bakery on the corner sells fresh bread and warm rolls.",
    "Please send the signed forms to the office before the end of the month.",
    "The committee agreed to review the budget again at its next meeting.",
    "Heavy rain is expected in the northern valleys later this afternoon.",
    "She kept a small notebook in which she wrote down every new word she learned.",
    "The train to the coast leaves at half past nine from platform four.",
    "Our team measured the water level of the river twice a day for a year.",
    "Visitors may borrow up to six books at a time with a valid card.",
    "The old bridge was repaired in spring and reopened to traffic in June.",
    "A short walk through the park leads to the museum and the concert hall.",
    "The report lists the main problems and suggests a few practical steps.",
    "Children planted trees along the school fence during the holiday.",
    "He answered each letter by hand, which took him most of the evening.",
    "The factory plans to hire forty new workers before the winter season.",
    "Fresh vegetables from nearby farms are sold at the market on Saturdays.",
};

const std::vector<std::string> kMixed = {
    "本次会议将于2024年5月在北京举行，详情请访问网站 www.example.org 查询。",
    "新版软件支持 PDF 和 HTML 两种格式，安装后请重新启动电脑。",
    "我们使用 Linux 系统进行测试，共运行了 120 次，全部通过。",
    "请把文件发送到 office 邮箱，并注明 Project A 的编号。",
    "这款相机的分辨率为 300 dpi，适合扫描书籍和文件。",
    "他在 IBM 工作了十年，后来加入了一家小型创业公司。",
};

std::vector<std::string> draw(const std::vector<std::string>& pool, unsigned seed, int n) {
    std::mt19937 rng(seed);
    std::vector<std::string> out;
    std::uniform_int_distribution<std::size_t> pick(0, pool.size() - 1);
    for (int i = 0; i < n; ++i) {
        // A paragraph of two or three sentences.
        std::string p;
        int k = 2 + static_cast<int>(rng() % 2);
        for (int j = 0; j < k; ++j) {
            const std::string& s = pool[pick(rng)];
            if (!p.empty() && s[0] > 0) p += ' ';
            p += s;
        }
        out.push_back(p);
    }
    return out;
}

}  // namespace

std::vector<std::string> simplifiedText(unsigned seed, int n) { return draw(kSimplified, seed, n); }
std::vector<std::string> traditionalText(unsigned seed, int n) { return draw(kTraditional, seed, n); }
std::vector<std::string> englishText(unsigned seed, int n) { return draw(kEnglish, seed, n); }
std::vector<std::string> mixedText(unsigned seed, int n) { return draw(kMixed, seed, n); }

namespace {
std::u32string decode(const std::string& s) { return QString::fromStdString(s).toStdU32String(); }
}  // namespace

int editDistance(const std::string& a8, const std::string& b8) {
    std::u32string a = decode(a8), b = decode(b8);
    std::vector<int> prev(b.size() + 1), cur(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) prev[j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        cur[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= b.size(); ++j)
            cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        std::swap(prev, cur);
    }
    return prev[b.size()];
}

std::string normalise(const std::string& s, bool keepSpaces) {
    std::u32string in = decode(s), out;
    bool space = false;
    for (char32_t c : in) {
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == 0x3000) {
            space = true;
            continue;
        }
        if (space && keepSpaces && !out.empty()) out.push_back(' ');
        space = false;
        out.push_back(c);
    }
    return QString::fromStdU32String(out).toStdString();
}

double charAccuracy(const std::string& want, const std::string& got, bool keepSpaces) {
    std::string a = normalise(want, keepSpaces), b = normalise(got, keepSpaces);
    auto n = decode(a).size();
    return 1.0 - static_cast<double>(editDistance(a, b)) / static_cast<double>(n ? n : 1);
}

bool savePng(const Plane& p, const std::string& path, int dpi) {
    QImage img(p.width, p.height, QImage::Format_Mono);
    if (img.isNull()) return false;
    img.setColor(0, qRgb(255, 255, 255));
    img.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < p.height; ++y)
        std::memcpy(img.scanLine(y), p.bits.data() + static_cast<std::size_t>(y) * p.stride(), p.stride());
    const int dotsPerMetre = static_cast<int>(dpi / 0.0254 + 0.5);
    img.setDotsPerMeterX(dotsPerMetre);
    img.setDotsPerMeterY(dotsPerMetre);
    return img.save(QString::fromStdString(path), "PNG");
}

}  // namespace testpages

// Sanitizer builds: the font and drawing libraries keep memory for the life
// of the process, which is not a leak of ours.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libQt6\n";
}
