// Export of pages to every format, read back by other programs or parsers.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QString>
#include <QXmlStreamReader>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "outside/include/ostrel.h"
#include "outside/ocrkit/codepage.h"
#include "outside/tests/loader.h"
#include "outside/tests/pages.h"

using namespace testpages;
namespace fs = std::filesystem;

namespace {

PFN_OSTREL_EXPORTTOFILE exportToFile() {
    static Library lib{OSTREL_DLL};
    static PFN_OSTREL_EXPORTTOFILE f = lib.get<PFN_OSTREL_EXPORTTOFILE>("ExportToFile");
    return f;
}

std::string gbk(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(ocrkit::fromUtf8(utf8, 936, out)) << utf8;
    return out;
}

// An export page as the program builds it: a text block, a 2 × 2 table with
// text in three cells, and a picture.
struct PageBuilder {
    std::vector<std::string> texts;
    std::vector<std::unique_ptr<SPageTextBlock>> textBlocks;
    std::vector<std::uint8_t> pictureBits;
    SPagePicture picture{};
    std::vector<std::uint8_t> cellArray, blockArray;
    SPageTable table{};
    SPage page{};

    SPageTextBlock* text(const std::string& utf8, int lines, int left, int top) {
        texts.push_back(gbk(utf8));
        auto b = std::make_unique<SPageTextBlock>();
        *b = SPageTextBlock{left, top, SPAGE_TEXT_HORIZONTAL, 1500, 200, 21, 48, 0, 0x80008, 0, lines, nullptr,
                            static_cast<INT>(texts.back().size()), texts.back().data()};
        textBlocks.push_back(std::move(b));
        return textBlocks.back().get();
    }

    PageBuilder() {
        texts.reserve(16);
        SPageTextBlock* body = text("今天上午举办了讲座。\r\nThe library opened today.\r\n", 2, 200, 200);
        cellArray.assign(SPageCellArrayBytes(4), 0);
        auto* cells = reinterpret_cast<SPageCellArray*>(cellArray.data());
        cells->nCount = 4;
        const char* cellText[4] = {"名称", "数量", "苹果", "12"};
        for (int i = 0; i < 4; ++i) {
            SPageCell& c = cells->aCells[i];
            c.row = i / 2;
            c.column = i % 2;
            c.topRule = c.leftRule = c.bottomRule = c.rightRule = 1;
            c.topStyle = c.leftStyle = c.bottomStyle = c.rightStyle = 1;
            c.width = 600;
            c.height = 100;
            c.right = (i % 2) * 600 + 599;
            c.top = (i / 2) * 100;
            {
                c.contentKind = SPAGE_BLOCK_TEXT;
                c.pContent = text(std::string(cellText[i]) + "\r\n", 1, 0, 0);
            }
        }
        table = SPageTable{1200, 200, 4, 200, 600, cells};
        pictureBits.assign(static_cast<std::size_t>((300 + 7) / 8) * 200, 0xF0);
        picture = SPagePicture{200, 1000, SPAGE_PICTURE_MONO, 300, 200, pictureBits.data()};
        blockArray.assign(SPageBlockArrayBytes(4), 0);
        auto* blocks = reinterpret_cast<SPageBlockArray*>(blockArray.data());
        blocks->nCount = 4;
        blocks->aEntries[0] = {SPAGE_BLOCK_TEXT, body};
        blocks->aEntries[1] = {SPAGE_BLOCK_TABLE, &table};
        blocks->aEntries[2] = {SPAGE_BLOCK_PICTURE, &picture};
        blocks->aEntries[3] = {SPAGE_BLOCK_NONE, nullptr};
        page = SPage{2480, 3508, 300, 4, blocks, nullptr};
    }
};

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGui();
        dir_ = fs::temp_directory_path() / ("ostrel-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const char* name) { return (dir_ / name).string(); }
    static QByteArray read(const std::string& p) {
        QFile f(QString::fromStdString(p));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    int run(SPage* page, const std::string& p, int format) {
        std::string copy = p;
        return exportToFile()(page, copy.data(), format);
    }
    fs::path dir_;
};

// The text of an RTF document: control words dropped, \'hh bytes decoded in
// the document's code page, \uN taken as the character, picture groups skipped.
QString rtfText(const QByteArray& rtf) {
    QRegularExpression cpg("\\\\ansicpg(\\d+)");
    auto m = cpg.match(QString::fromLatin1(rtf));
    int cp = m.hasMatch() ? m.captured(1).toInt() : 1252;
    std::string bytes;
    QString out;
    auto flush = [&] {
        out += QString::fromStdString(ocrkit::toUtf8(bytes, cp));
        bytes.clear();
    };
    int skipDepth = -1, depth = 0;
    for (int i = 0; i < rtf.size(); ++i) {
        char c = rtf[i];
        if (c == '{') {
            ++depth;
            if (rtf.mid(i, 6) == "{\\pict" || rtf.mid(i, 9) == "{\\fonttbl") skipDepth = skipDepth < 0 ? depth : skipDepth;
            continue;
        }
        if (c == '}') {
            if (depth == skipDepth) skipDepth = -1;
            --depth;
            continue;
        }
        if (skipDepth >= 0) continue;
        if (c == '\\') {
            char n = i + 1 < rtf.size() ? rtf[i + 1] : 0;
            if (n == '\'') {
                bytes += static_cast<char>(rtf.mid(i + 2, 2).toInt(nullptr, 16));
                i += 3;
                continue;
            }
            if (n == '\\' || n == '{' || n == '}') {
                bytes += n;
                ++i;
                continue;
            }
            int j = i + 1;
            while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
            QByteArray word = rtf.mid(i + 1, j - i - 1);
            int k = j;
            while (k < rtf.size() && (std::isdigit(static_cast<unsigned char>(rtf[k])) || rtf[k] == '-')) ++k;
            QByteArray num = rtf.mid(j, k - j);
            if (k < rtf.size() && rtf[k] == ' ') ++k;
            flush();
            if (word == "par" || word == "line" || word == "cell" || word == "row") out += '\n';
            if (word == "u") {
                out += QChar(static_cast<ushort>(num.toInt()));
                if (k < rtf.size() && rtf[k] == '?') ++k;
            }
            i = k - 1;
            continue;
        }
        if (c == '\n' || c == '\r') continue;
        bytes += c;
    }
    flush();
    return out;
}

QString squeeze(QString s) { return s.remove(QRegularExpression("\\s")); }

}  // namespace

TEST_F(Export, RtfInGbkAndBig5KeepsEveryCharacter) {
    PageBuilder b;
    ASSERT_EQ(run(&b.page, path("a.rtf"), OSTREL_FORMAT_RTF), 1);
    QByteArray rtf = read(path("a.rtf"));
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg936"));
    QString text = rtfText(rtf);
    EXPECT_TRUE(text.contains(QStringLiteral("今天上午举办了讲座。"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("The library opened today.")));
    EXPECT_TRUE(text.contains(QStringLiteral("苹果")));
    EXPECT_TRUE(rtf.contains("\\trowd"));
    EXPECT_TRUE(rtf.contains("\\pngblip"));
    // Big5: characters Big5 has are its bytes, the others Unicode escapes.
    ASSERT_EQ(run(&b.page, path("b.rtf"), OSTREL_FORMAT_BIG5_RTF), 1);
    QByteArray big5 = read(path("b.rtf"));
    EXPECT_TRUE(big5.contains("\\ansicpg950"));
    EXPECT_TRUE(rtfText(big5).contains(QStringLiteral("今天上午举办了讲座。"))) << rtfText(big5).toStdString();
}

TEST_F(Export, HtmlDeclaresItsCodePage) {
    PageBuilder b;
    ASSERT_EQ(run(&b.page, path("a.htm"), OSTREL_FORMAT_HTML), 1);
    QByteArray html = read(path("a.htm"));
    EXPECT_TRUE(html.contains("charset=gbk"));
    QString text = QString::fromStdString(ocrkit::toUtf8(html.toStdString(), 936));
    EXPECT_TRUE(text.contains(QStringLiteral("今天上午举办了讲座。<br>")));
    EXPECT_TRUE(text.contains(QStringLiteral("<td>苹果</td>")));
    EXPECT_TRUE(text.contains(QStringLiteral("data:image/png;base64,")));
    ASSERT_EQ(run(&b.page, path("b.htm"), OSTREL_FORMAT_BIG5_HTML), 1);
    QByteArray big5 = read(path("b.htm"));
    EXPECT_TRUE(big5.contains("charset=big5"));
    // 举 has no Big5 code: it is written as a character reference.
    QString t5 = QString::fromStdString(ocrkit::toUtf8(big5.toStdString(), 950));
    EXPECT_TRUE(t5.contains(QStringLiteral("今天上午&#20030;")) || t5.contains(QStringLiteral("今天上午举"))) << t5.toStdString();
}

TEST_F(Export, SpreadsheetPutsTableCellsInCells) {
    PageBuilder b;
    ASSERT_EQ(run(&b.page, path("a.xls"), OSTREL_FORMAT_XLS), 1);
    QXmlStreamReader xml(read(path("a.xls")));
    std::vector<std::vector<std::pair<int, QString>>> rows;
    int index = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QStringLiteral("Row")) {
            rows.emplace_back();
            index = 0;
        }
        if (xml.isStartElement() && xml.name() == QStringLiteral("Cell")) {
            auto idx = xml.attributes().value(QStringLiteral("urn:schemas-microsoft-com:office:spreadsheet"), QStringLiteral("Index"));
            index = idx.isEmpty() ? index + 1 : idx.toInt();
        }
        if (xml.isStartElement() && xml.name() == QStringLiteral("Data")) rows.back().push_back({index, xml.readElementText()});
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    // Two text lines, a blank row, then the table's two rows of two cells.
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0][0].second, QStringLiteral("今天上午举办了讲座。"));
    ASSERT_EQ(rows[3].size(), 2u);
    EXPECT_EQ(rows[3][0], (std::pair<int, QString>{1, QStringLiteral("名称")}));
    EXPECT_EQ(rows[3][1], (std::pair<int, QString>{2, QStringLiteral("数量")}));
    EXPECT_EQ(rows[4][1], (std::pair<int, QString>{2, QStringLiteral("12")}));
}

TEST_F(Export, PdfTextIsSelectable) {
    if (!fs::exists("/usr/bin/pdftotext")) GTEST_SKIP() << "pdftotext is not installed";
    PageBuilder b;
    ASSERT_EQ(run(&b.page, path("a.pdf"), OSTREL_FORMAT_PDF), 1);
    ASSERT_TRUE(read(path("a.pdf")).startsWith("%PDF"));
    std::string cmd = "/usr/bin/pdftotext -enc UTF-8 '" + path("a.pdf") + "' '" + path("a.txt") + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    QString text = squeeze(QString::fromUtf8(read(path("a.txt"))));
    EXPECT_TRUE(text.contains(QStringLiteral("今天上午举办了讲座。"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Thelibraryopenedtoday.")));
    EXPECT_TRUE(text.contains(QStringLiteral("苹果")));
    // The font went into the file.
    EXPECT_TRUE(read(path("a.pdf")).contains("FontFile2"));
}

TEST_F(Export, OfficeSuiteOpensEveryFormat) {
    if (std::system("command -v libreoffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "libreoffice is not installed";
    PageBuilder b;
    const std::pair<const char*, int> files[] = {{"o.rtf", OSTREL_FORMAT_RTF}, {"o.htm", OSTREL_FORMAT_HTML}, {"o.xls", OSTREL_FORMAT_XLS}};
    for (auto [name, format] : files) {
        ASSERT_EQ(run(&b.page, path(name), format), 1);
        std::string target = format == OSTREL_FORMAT_XLS ? "csv" : "txt:Text";
        std::string cmd = "cd '" + dir_.string() + "' && libreoffice --headless --convert-to " + target + " '" + name + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << name;
        std::string out = (dir_ / fs::path(name).stem()).string() + (format == OSTREL_FORMAT_XLS ? ".csv" : ".txt");
        EXPECT_TRUE(QString::fromUtf8(read(out)).contains(QStringLiteral("苹果"))) << name;
    }
}

TEST_F(Export, FailuresWriteNothingAndKeepTheOldFile) {
    PageBuilder b;
    std::string p = path("keep.htm");
    {
        std::ofstream(p) << "old";
    }
    EXPECT_EQ(run(nullptr, p, OSTREL_FORMAT_HTML), 0);
    EXPECT_EQ(run(&b.page, p, 6), 0);
    EXPECT_EQ(run(&b.page, p, -1), 0);
    reinterpret_cast<SPageBlockArray*>(b.blockArray.data())->nCount = -3;
    EXPECT_EQ(run(&b.page, p, OSTREL_FORMAT_HTML), 0);
    EXPECT_EQ(read(p), QByteArray("old"));
    reinterpret_cast<SPageBlockArray*>(b.blockArray.data())->nCount = 4;
    EXPECT_EQ(run(&b.page, path("no/such/folder/x.rtf"), OSTREL_FORMAT_RTF), 0);
    EXPECT_FALSE(fs::exists(path("no")));
    // A chained second page is written after the first.
    PageBuilder second;
    b.page.next = &second.page;
    ASSERT_EQ(run(&b.page, p, OSTREL_FORMAT_HTML), 1);
    QByteArray html = read(p);
    EXPECT_EQ(html.count("<table"), 2);
    EXPECT_TRUE(html.contains("<hr>"));
}

TEST_F(Export, ColourBitmapsAreKeptAndMismatchedOnesLeftOut) {
    // A 4 × 2 bitmap of 24 bits, bottom-up rows padded to four bytes.
    std::vector<std::uint8_t> dib(sizeof(BITMAPINFOHEADER) + 2 * 12, 0);
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = 4;
    h.biHeight = 2;
    h.biPlanes = 1;
    h.biBitCount = 24;
    std::memcpy(dib.data(), &h, sizeof h);
    dib[sizeof h + 2] = 0xFF;  // bottom-left pixel red (blue, green, red order)
    SPagePicture good{10, 10, SPAGE_PICTURE_DIB, 4, 2, dib.data()};
    SPagePicture bad{10, 10, SPAGE_PICTURE_DIB, 400, 200, dib.data()};
    std::vector<std::uint8_t> blocks(SPageBlockArrayBytes(2), 0);
    auto* list = reinterpret_cast<SPageBlockArray*>(blocks.data());
    list->nCount = 2;
    list->aEntries[0] = {SPAGE_BLOCK_PICTURE, &good};
    list->aEntries[1] = {SPAGE_BLOCK_PICTURE, &bad};
    SPage page{2480, 3508, 300, 2, list, nullptr};
    ASSERT_EQ(run(&page, path("p.htm"), OSTREL_FORMAT_HTML), 1);
    QByteArray html = read(path("p.htm"));
    ASSERT_EQ(html.count("data:image/png;base64,"), 1);
    int start = html.indexOf("base64,") + 7;
    QImage img = QImage::fromData(QByteArray::fromBase64(html.mid(start, html.indexOf('"', start) - start)), "PNG");
    ASSERT_EQ(img.size(), QSize(4, 2));
    EXPECT_EQ(img.pixelColor(0, 1), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(0, 0), QColor(0, 0, 0));
}
