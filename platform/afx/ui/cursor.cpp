// Cursors and icons: the standard shapes, and those of resource modules.
#include <QApplication>
#include <QCursor>
#include <QPixmap>

#include <cstring>
#include <map>

#include "platform/afx/core/resource.h"
#include <set>
#include <string>

#include "platform/afx/ui/ui_private.h"
#include "platform/win/path.h"

namespace afx_detail {

struct CursorData {
    QCursor cursor;
};
struct IconData {
    QImage image;
};

namespace {
// Cursors and icons live as long as the program (handles stay valid to the end).
std::map<std::uintptr_t, CursorData*>& Standard() {
    static auto* m = new std::map<std::uintptr_t, CursorData*>;
    return *m;
}
Qt::CursorShape ShapeOf(std::uintptr_t id) {
    switch (id) {
    case 32513: return Qt::IBeamCursor;
    case 32514: return Qt::WaitCursor;
    case 32515: return Qt::CrossCursor;
    case 32516: return Qt::UpArrowCursor;
    case 32642: return Qt::SizeFDiagCursor;
    case 32643: return Qt::SizeBDiagCursor;
    case 32644: return Qt::SizeHorCursor;
    case 32645: return Qt::SizeVerCursor;
    case 32646: return Qt::SizeAllCursor;
    case 32648: return Qt::ForbiddenCursor;
    case 32649: return Qt::PointingHandCursor;
    case 32650: return Qt::BusyCursor;
    case 32651: return Qt::WhatsThisCursor;
    default: return Qt::ArrowCursor;
    }
}
HCURSOR g_current = nullptr;
int g_showCount = 0;
}  // namespace

QCursor CursorOf(HCURSOR c) {
    auto* d = reinterpret_cast<CursorData*>(c);
    return d ? d->cursor : QCursor(Qt::ArrowCursor);
}

void ShowOwnCursor(WindowState* s) {
    if (!s || !s->widget) return;
    if (s->classCursor) s->widget->setCursor(CursorOf(s->classCursor));
    else if (s->hasOwnCursor) s->widget->setCursor(s->ownCursor);
    else s->widget->unsetCursor();
}

QImage IconImage(HICON icon) {
    auto* d = reinterpret_cast<IconData*>(icon);
    return d ? d->image : QImage();
}

HICON LoadIconResource(HINSTANCE module, LPCSTR name) {
    if (!name) return nullptr;
    static auto& cache = *new std::map<std::pair<HINSTANCE, std::string>, IconData*>;
    std::string key = IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<std::uintptr_t>(name)) : name;
    auto it = cache.find({module, key});
    if (it != cache.end()) return reinterpret_cast<HICON>(it->second);
    QImage image;
    if (HRSRC r = FindResource(module, name, RT_ICON)) {
        HGLOBAL g = LoadResource(module, r);
        auto* bytes = static_cast<const uchar*>(LockResource(g));
        image = QImage::fromData(bytes, static_cast<int>(SizeofResource(module, r)));
    }
    if (image.isNull()) {
        // The standard application icon: a plain framed square.
        if (module && !IS_INTRESOURCE(name)) return nullptr;
        if (module && IS_INTRESOURCE(name) && reinterpret_cast<std::uintptr_t>(name) < 32512) return nullptr;
        image = QImage(32, 32, QImage::Format_ARGB32);
        image.fill(QColor(0x30, 0x60, 0xC0));
    }
    auto* d = new IconData{image};
    cache[{module, key}] = d;
    return reinterpret_cast<HICON>(d);
}

}  // namespace afx_detail

using namespace afx_detail;

HCURSOR LoadCursor(HINSTANCE module, LPCSTR name) {
    if (!name) return nullptr;
    if (IS_INTRESOURCE(name) && (!module || reinterpret_cast<std::uintptr_t>(name) >= 32512)) {
        auto id = reinterpret_cast<std::uintptr_t>(name);
        auto& m = Standard();
        if (!m.count(id)) m[id] = new CursorData{QCursor(ShapeOf(id))};
        return reinterpret_cast<HCURSOR>(m[id]);
    }
    static auto& cache = *new std::map<std::pair<HINSTANCE, std::string>, CursorData*>;
    std::string key = IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<std::uintptr_t>(name)) : name;
    auto it = cache.find({module, key});
    if (it != cache.end()) return reinterpret_cast<HCURSOR>(it->second);
    HRSRC r = FindResource(module, name, RT_CURSOR);
    if (!r) return nullptr;
    HGLOBAL g = LoadResource(module, r);
    auto* bytes = static_cast<const uchar*>(LockResource(g));
    DWORD size = SizeofResource(module, r);
    if (!bytes || size < 4) return nullptr;
    int hx = bytes[0] | (bytes[1] << 8), hy = bytes[2] | (bytes[3] << 8);
    QImage image = QImage::fromData(bytes + 4, static_cast<int>(size - 4));
    if (image.isNull()) return nullptr;
    auto* d = new CursorData{QCursor(QPixmap::fromImage(image), hx, hy)};
    cache[{module, key}] = d;
    return reinterpret_cast<HCURSOR>(d);
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR old = g_current;
    g_current = cursor;
    // The window that holds the capture shows it; else, while WM_SETCURSOR is
    // asked (also of a parent on its child's behalf), the window under the
    // mouse; else the window whose message is being handled.
    HWND target = GetCapture();
    for (MessageFrame* f = CurrentFrame(); !target && f; f = f->outer)
        if (f->msg.message == WM_SETCURSOR) target = reinterpret_cast<HWND>(f->msg.wParam);
    if (!target)
        if (MessageFrame* f = CurrentFrame()) target = f->msg.hwnd;
    if (WindowState* s = StateOf(target); s && s->widget) {
        if (cursor) s->widget->setCursor(CursorOf(cursor));
        else s->widget->setCursor(QCursor(Qt::BlankCursor));
    }
    return old;
}

HCURSOR GetCursor() { return g_current; }

int ShowCursor(BOOL show) {
    if (show) {
        if (++g_showCount == 0 && QCoreApplication::instance()) QApplication::restoreOverrideCursor();
    } else {
        if (g_showCount-- == 0 && QCoreApplication::instance()) QApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    }
    return g_showCount;
}

namespace {
// Icons read from files, kept until destroyed (resource icons are shared and never destroyed).
std::set<afx_detail::IconData*>& FileIcons() {
    static auto* icons = new std::set<afx_detail::IconData*>;
    return *icons;
}
}  // namespace

HICON AfxLoadIconFile(LPCSTR path) {
    if (!path || !*path) return nullptr;
    QImage image(QString::fromStdString(suite::NativePathOfEither(path)));
    if (image.isNull()) return nullptr;
    auto* d = new afx_detail::IconData{image};
    FileIcons().insert(d);
    return reinterpret_cast<HICON>(d);
}

HICON ExtractIconA(HINSTANCE, LPCSTR programPath, UINT index) {
    if (!programPath || !*programPath || index != 0) return nullptr;
    std::string path(programPath);
    std::size_t name = path.find_last_of("\\/");
    std::size_t dot = path.find_last_of('.');
    std::string stem = (dot != std::string::npos && (name == std::string::npos || dot > name)) ? path.substr(0, dot) : path;
    if (stem.empty() || (name != std::string::npos && stem.size() == name + 1)) return nullptr;
    for (const char* extension : {".ico", ".png"}) {
        if (HICON icon = AfxLoadIconFile((stem + extension).c_str())) return icon;
    }
    return nullptr;
}

BOOL DestroyIcon(HICON icon) {
    auto* d = reinterpret_cast<afx_detail::IconData*>(icon);
    if (!FileIcons().erase(d)) return FALSE;
    delete d;
    return TRUE;
}
