// Export of a page to PDF, HTML, RTF or a spreadsheet file.

#include <QFontDatabase>
#include <QGuiApplication>
#include <QSaveFile>

#include "outside/include/ostrel.h"
#include "outside/ostrel/model.h"
#include "platform/win/path.h"

namespace {

// Drawing text needs the application's font database; a host without one
// (a program without windows) gets one that draws off screen.
bool ensureGui() {
    if (QGuiApplication::instance()) return true;
    static int argc = 1;
    static char name[] = "ostrel";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);  // lives as long as the process
    return QGuiApplication::instance() != nullptr;
}

void ensureFont() {
    static bool done = false;
    if (done) return;
    done = true;
    if (!QFontDatabase::families().contains(QStringLiteral("WenQuanYi Micro Hei")))
        QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"));
}

}  // namespace

OUTSIDE_EXPORT int ExportToFile(SPage* page, char* path, int format) {
    if (!page || !path || !*path || format < OSTREL_FORMAT_PDF || format > OSTREL_FORMAT_XLS) return 0;
    std::vector<ostrel::PageModel> pages;
    if (!ostrel::readPages(page, pages)) return 0;
    // Written beside the target and put in its place only when complete.
    // The program names the file the Windows way; the file system wants its own form.
    QSaveFile file(QString::fromUtf8(suite::NativePathOfEither(path).c_str()));
    if (!file.open(QIODevice::WriteOnly)) return 0;
    bool ok = false;
    switch (format) {
    case OSTREL_FORMAT_PDF:
        if (!ensureGui()) return 0;
        ensureFont();
        ok = ostrel::writePdf(pages, &file);
        break;
    case OSTREL_FORMAT_HTML:
    case OSTREL_FORMAT_BIG5_HTML: {
        QByteArray bytes = ostrel::writeHtml(pages, format == OSTREL_FORMAT_BIG5_HTML ? 950 : 936);
        ok = file.write(bytes) == bytes.size();
        break;
    }
    case OSTREL_FORMAT_RTF:
    case OSTREL_FORMAT_BIG5_RTF: {
        QByteArray bytes = ostrel::writeRtf(pages, format == OSTREL_FORMAT_BIG5_RTF ? 950 : 936);
        ok = file.write(bytes) == bytes.size();
        break;
    }
    case OSTREL_FORMAT_XLS: {
        QByteArray bytes = ostrel::writeSpreadsheet(pages);
        ok = file.write(bytes) == bytes.size();
        break;
    }
    }
    if (!ok) {
        file.cancelWriting();
        return 0;
    }
    return file.commit() ? 1 : 0;
}
