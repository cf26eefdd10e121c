// The file formats of the export library, all written from the page model.

#include <QBuffer>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "outside/ocrkit/codepage.h"
#include "outside/ostrel/model.h"

namespace ostrel {

namespace {

QByteArray pngOf(const QImage& img) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

// One character in the code page, or empty when the code page lacks it.
std::string encodeChar(QChar c, int codePage) {
    std::string out;
    if (!ocrkit::fromUtf8(QString(c).toStdString(), codePage, out)) out.clear();
    return out;
}

// ---- HTML ----

QByteArray htmlText(const QString& s, int codePage) {
    QByteArray out;
    for (QChar c : s) {
        ushort u = c.unicode();
        if (u == '<') out += "&lt;";
        else if (u == '>') out += "&gt;";
        else if (u == '&') out += "&amp;";
        else if (u == '"') out += "&quot;";
        else if (u < 0x80) out += static_cast<char>(u);
        else if (c.isSurrogate()) out += "&#xFFFD;";
        else {
            std::string b = encodeChar(c, codePage);
            if (b.empty()) out += "&#" + QByteArray::number(u) + ";";
            else out += QByteArray(b.data(), static_cast<int>(b.size()));
        }
    }
    return out;
}

QByteArray htmlStyle(const TextItem& t, int resolution) {
    double pt = t.charSize * 72.0 / resolution;
    QByteArray s = "font-family:'" + fontFamily(t.fontCode).toLatin1() + "';font-size:" + QByteArray::number(pt, 'f', 1) + "pt";
    if (t.ink) s += ";color:#" + QByteArray::number((GetRValue(t.ink) << 16) | (GetGValue(t.ink) << 8) | GetBValue(t.ink), 16).rightJustified(6, '0');
    if (t.vertical) s += ";writing-mode:vertical-rl";
    return s;
}

QByteArray htmlLines(const TextItem& t, int codePage) {
    QByteArray out;
    for (std::size_t i = 0; i < t.lines.size(); ++i) {
        if (i) out += "<br>\n";
        out += htmlText(t.lines[i], codePage);
    }
    return out;
}

}  // namespace

QByteArray writeHtml(const std::vector<PageModel>& pages, int codePage) {
    QByteArray charset = codePage == 950 ? "big5" : "gbk";
    QByteArray out = "<!DOCTYPE html>\n<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" +
                     charset + "\">\n<title></title>\n</head>\n<body>\n";
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p) out += "<hr>\n";
        for (const Item& item : pages[p].items) {
            if (item.kind == Item::Text) {
                out += "<p style=\"" + htmlStyle(item.text, pages[p].resolution) + "\">" + htmlLines(item.text, codePage) + "</p>\n";
            } else if (item.kind == Item::Picture) {
                out += "<p><img alt=\"\" width=\"" + QByteArray::number(item.picture.image.width() * 96 / pages[p].resolution) +
                       "\" src=\"data:image/png;base64," + pngOf(item.picture.image).toBase64() + "\"></p>\n";
            } else {
                const TableItem& t = item.table;
                out += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" style=\"border-collapse:collapse\">\n";
                int r = -1;
                for (const CellItem& c : t.cells) {
                    if (c.row != r) {
                        if (r >= 0) out += "</tr>\n";
                        out += "<tr>";
                        r = c.row;
                    }
                    out += "<td";
                    if (c.colSpan > 1) out += " colspan=\"" + QByteArray::number(c.colSpan) + "\"";
                    if (c.rowSpan > 1) out += " rowspan=\"" + QByteArray::number(c.rowSpan) + "\"";
                    out += ">";
                    if (!c.text.lines.empty()) out += htmlLines(c.text, codePage);
                    else if (!c.picture.isNull()) out += "<img alt=\"\" src=\"data:image/png;base64," + pngOf(c.picture).toBase64() + "\">";
                    else out += "&nbsp;";
                    out += "</td>";
                }
                if (r >= 0) out += "</tr>\n";
                out += "</table>\n";
            }
        }
    }
    out += "</body>\n</html>\n";
    return out;
}

// ---- RTF ----

namespace {

QByteArray rtfText(const QString& s, int codePage) {
    QByteArray out;
    for (QChar c : s) {
        ushort u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u < 0x80) {
            out += static_cast<char>(u);
        } else {
            std::string b = encodeChar(c, codePage);
            if (b.empty()) {
                out += "\\u" + QByteArray::number(static_cast<short>(u)) + "?";
            } else {
                for (unsigned char ch : b) out += "\\'" + QByteArray::number(ch, 16).rightJustified(2, '0');
            }
        }
    }
    return out;
}

int fontIndex(int fontCode) {
    switch (fontCode) {
    case 22: return 1;
    case 23: return 2;
    case 24: return 3;
    case 41: return 4;
    case 43: return 5;
    default: return 0;
    }
}

QByteArray rtfRun(const TextItem& t, int resolution, int codePage, const char* lineBreak) {
    int halfPoints = std::max(2, static_cast<int>(t.charSize * 144.0 / resolution + 0.5));
    QByteArray out = "\\f" + QByteArray::number(fontIndex(t.fontCode)) + "\\fs" + QByteArray::number(halfPoints) + " ";
    for (std::size_t i = 0; i < t.lines.size(); ++i) {
        if (i) out += lineBreak;
        out += rtfText(t.lines[i], codePage);
    }
    return out;
}

int twips(int pixels, int resolution) { return static_cast<int>(static_cast<long long>(pixels) * 1440 / resolution); }

}  // namespace

QByteArray writeRtf(const std::vector<PageModel>& pages, int codePage) {
    QByteArray charset = codePage == 950 ? "136" : "134";
    QByteArray out = "{\\rtf1\\ansi\\ansicpg" + QByteArray::number(codePage) + "\\deff0\n{\\fonttbl";
    const char* names[] = {"SimSun", "FangSong", "KaiTi", "SimHei", "Times New Roman", "Arial"};
    for (int i = 0; i < 6; ++i)
        out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset" + (i < 4 ? charset : QByteArray("0")) + " " + names[i] + ";}";
    out += "}\n";
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const PageModel& page = pages[p];
        if (p) out += "\\page\n";
        for (const Item& item : page.items) {
            if (item.kind == Item::Text) {
                out += "\\pard\\plain " + rtfRun(item.text, page.resolution, codePage, "\\line ") + "\\par\n";
            } else if (item.kind == Item::Picture) {
                const QImage& img = item.picture.image;
                QByteArray hex = pngOf(img).toHex();
                out += "\\pard\\plain {\\pict\\pngblip\\picw" + QByteArray::number(img.width()) + "\\pich" +
                       QByteArray::number(img.height()) + "\\picwgoal" + QByteArray::number(twips(img.width(), page.resolution)) +
                       "\\pichgoal" + QByteArray::number(twips(img.height(), page.resolution)) + "\n";
                for (int i = 0; i < hex.size(); i += 128) out += hex.mid(i, 128) + "\n";
                out += "}\\par\n";
            } else {
                const TableItem& t = item.table;
                for (int r = 0; r < t.rows; ++r) {
                    // The cells of this row, with merged cells from above as
                    // continuation cells.
                    std::vector<const CellItem*> row;
                    for (const CellItem& c : t.cells)
                        if (c.row <= r && r < c.row + c.rowSpan) row.push_back(&c);
                    if (row.empty()) continue;
                    std::sort(row.begin(), row.end(), [](auto* a, auto* b) { return a->col < b->col; });
                    out += "\\trowd\\trgaph60";
                    for (const CellItem* c : row) {
                        if (c->rowSpan > 1) out += c->row == r ? "\\clvmgf" : "\\clvmrg";
                        out += "\\clbrdrt\\brdrs\\clbrdrl\\brdrs\\clbrdrb\\brdrs\\clbrdrr\\brdrs";
                        out += "\\cellx" + QByteArray::number(twips(c->left - t.left + c->width, page.resolution));
                    }
                    out += "\n";
                    for (const CellItem* c : row) {
                        out += "\\pard\\intbl\\plain ";
                        if (c->row == r) out += rtfRun(c->text, page.resolution, codePage, "\\line ");
                        out += "\\cell\n";
                    }
                    out += "\\row\n";
                }
                out += "\\pard\\par\n";
            }
        }
    }
    out += "}\n";
    return out;
}

// ---- Spreadsheet (the XML workbook of 2003, one worksheet a page) ----

namespace {

QByteArray xmlText(const QString& s) {
    return s.toHtmlEscaped().toUtf8().replace("\n", "&#10;");
}

QByteArray xmlCell(const QString& text, int index, int across, int down) {
    QByteArray c = "<Cell ss:Index=\"" + QByteArray::number(index) + "\"";
    if (across > 0) c += " ss:MergeAcross=\"" + QByteArray::number(across) + "\"";
    if (down > 0) c += " ss:MergeDown=\"" + QByteArray::number(down) + "\"";
    c += ">";
    bool number = false;
    QString t = text.trimmed();
    t.toDouble(&number);
    if (!t.isEmpty())
        c += number ? "<Data ss:Type=\"Number\">" + t.toUtf8() + "</Data>" : "<Data ss:Type=\"String\">" + xmlText(text) + "</Data>";
    c += "</Cell>";
    return c;
}

}  // namespace

QByteArray writeSpreadsheet(const std::vector<PageModel>& pages) {
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<?mso-application progid=\"Excel.Sheet\"?>\n"
                     "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
                     "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
                     "xmlns:x=\"urn:schemas-microsoft-com:office:excel\" "
                     "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\n";
    for (std::size_t p = 0; p < pages.size(); ++p) {
        out += "<Worksheet ss:Name=\"Page " + QByteArray::number(static_cast<int>(p) + 1) + "\">\n<Table>\n";
        bool first = true;
        for (const Item& item : pages[p].items) {
            if (item.kind == Item::Picture) continue;
            if (!first) out += "<Row/>\n";
            first = false;
            if (item.kind == Item::Text) {
                for (const QString& l : item.text.lines) out += "<Row>" + xmlCell(l, 1, 0, 0) + "</Row>\n";
                continue;
            }
            const TableItem& t = item.table;
            for (int r = 0; r < t.rows; ++r) {
                out += "<Row>";
                for (const CellItem& c : t.cells) {
                    if (c.row != r) continue;
                    QStringList lines;
                    for (const QString& l : c.text.lines) lines << l.trimmed();
                    out += xmlCell(lines.join('\n'), c.col + 1, c.colSpan - 1, c.rowSpan - 1);
                }
                out += "</Row>\n";
            }
        }
        out += "</Table>\n</Worksheet>\n";
    }
    out += "</Workbook>\n";
    return out;
}

// ---- PDF ----

namespace {

// The CJK font embedded in the file; the text stays selectable.
QFont pdfFont(int pixelSize) {
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setPixelSize(std::max(pixelSize, 4));
    return f;
}

void drawText(QPainter& p, const TextItem& t) {
    QFont f = pdfFont(t.charSize);
    p.setFont(f);
    p.setPen(QColor(GetRValue(t.ink), GetGValue(t.ink), GetBValue(t.ink)));
    int step = t.charSize + std::clamp(t.lineGap, 0, t.charSize * 3);
    QFontMetrics fm(f);
    if (!t.vertical) {
        for (std::size_t i = 0; i < t.lines.size(); ++i)
            p.drawText(t.left, t.top + static_cast<int>(i) * step + fm.ascent(), t.lines[i]);
        return;
    }
    // Columns from the right, characters downwards.
    int charStep = t.charSize + std::clamp(t.charGap, 0, t.charSize);
    for (std::size_t i = 0; i < t.lines.size(); ++i) {
        int x = t.left + t.width - (static_cast<int>(i) + 1) * step;
        for (int k = 0; k < t.lines[i].size(); ++k) p.drawText(x, t.top + k * charStep + fm.ascent(), t.lines[i].mid(k, 1));
    }
}

}  // namespace

bool writePdf(const std::vector<PageModel>& pages, QIODevice* device) {
    QPdfWriter writer(device);
    writer.setCreator(QStringLiteral("Ostrel"));
    const PageModel& first = pages.front();
    auto pageSize = [](const PageModel& m) {
        return QPageSize(QSizeF(m.width * 72.0 / m.resolution, m.height * 72.0 / m.resolution), QPageSize::Point);
    };
    writer.setResolution(first.resolution);
    writer.setPageSize(pageSize(first));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer)) return false;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i) {
            writer.setPageSize(pageSize(pages[i]));
            if (!writer.newPage()) return false;
        }
        for (const Item& item : pages[i].items) {
            if (item.kind == Item::Text) {
                drawText(painter, item.text);
            } else if (item.kind == Item::Picture) {
                painter.drawImage(item.picture.left, item.picture.top, item.picture.image);
            } else {
                for (const CellItem& c : item.table.cells) {
                    painter.setPen(QPen(Qt::black, 3));
                    QRect r(c.left, c.top, c.width, c.height);
                    if (c.rules[0]) painter.drawLine(r.topLeft(), r.bottomLeft());
                    if (c.rules[1]) painter.drawLine(r.topLeft(), r.topRight());
                    if (c.rules[2]) painter.drawLine(r.topRight(), r.bottomRight());
                    if (c.rules[3]) painter.drawLine(r.bottomLeft(), r.bottomRight());
                    TextItem t = c.text;
                    t.left = c.left + 12;
                    t.top = c.top + 8;
                    t.width = c.width - 24;
                    if (!t.lines.empty()) drawText(painter, t);
                    if (!c.picture.isNull()) painter.drawImage(c.left + 4, c.top + 4, c.picture);
                }
            }
        }
    }
    return painter.end();
}

}  // namespace ostrel
