// The export page read into plain values: texts in UTF-8, pictures as images,
// table cells with their place in the grid. Every writer works from this.
#pragma once

#include <QImage>
#include <QString>
#include <string>
#include <vector>

#include "outside/include/ostrel.h"

namespace ostrel {

struct TextItem {
    int left = 0, top = 0, width = 0, height = 0;
    bool vertical = false;
    int fontCode = 21;
    int charSize = 48;  // pixels
    COLORREF ink = 0;
    int lineGap = 8, charGap = 3;
    std::vector<QString> lines;
};

struct CellItem {
    int row = 0, col = 0;          // grid position (rows and columns of distinct edges)
    int rowSpan = 1, colSpan = 1;
    int left = 0, top = 0, width = 0, height = 0;  // page pixels
    bool rules[4] = {true, true, true, true};       // left, top, right, bottom
    TextItem text;                                  // lines empty without text
    QImage picture;
};

struct TableItem {
    int left = 0, top = 0, width = 0, height = 0;
    int rows = 0, cols = 0;
    std::vector<CellItem> cells;
};

struct PictureItem {
    int left = 0, top = 0;
    QImage image;
};

struct Item {
    enum Kind { Text, Picture, Table } kind = Text;
    TextItem text;
    PictureItem picture;
    TableItem table;
};

struct PageModel {
    int width = 2480, height = 3508, resolution = 300;
    std::vector<Item> items;  // in the page's order
};

// Reads the chain of pages; texts are decoded from the program's code page.
// False when a record is malformed (counts, sizes).
bool readPages(const SPage* page, std::vector<PageModel>& out);

QString fontFamily(int fontCode);

// Writers: the whole file as bytes (PDF is written to a device instead).
QByteArray writeHtml(const std::vector<PageModel>& pages, int codePage);
QByteArray writeRtf(const std::vector<PageModel>& pages, int codePage);
QByteArray writeSpreadsheet(const std::vector<PageModel>& pages);
bool writePdf(const std::vector<PageModel>& pages, QIODevice* device);

}  // namespace ostrel
