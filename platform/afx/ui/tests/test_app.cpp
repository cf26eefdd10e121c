#include "platform/afx/ui/tests/test_app.h"

#include <QPixmap>
#include <QWidget>

#include <chrono>
#include <thread>

#include "platform/afx/ui/tests/sample_ids.h"
#include "platform/win/library.h"

TestApp theTestApp;

void EnsureUi() { AfxWinInit(); }

QImage Picture(CWnd* w) { return w->GetWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

int PixelsOf(const QImage& img, const QRect& area, QRgb colour) {
    int n = 0;
    QRect r = area & img.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += img.pixel(x, y) == colour;
    return n;
}

bool UseSampleResources() {
    EnsureUi();
    static HINSTANCE res = LoadLibraryA("afx_ui_sample_res.DLL");
    if (res) AfxSetResourceHandle(res);
    return res != nullptr;
}

BEGIN_MESSAGE_MAP(CommandFrame, CFrameWnd)
    ON_COMMAND_RANGE(ID_VIEW_ZOOM_IN, ID_TOOL_ERASE, OnCommandRange)
    ON_COMMAND_RANGE(ID_FILE_NEW, ID_FILE_SAVE, OnCommandRange)
    ON_UPDATE_COMMAND_UI(ID_VIEW_ZOOM_IN, OnUpdateZoom)
END_MESSAGE_MAP()
