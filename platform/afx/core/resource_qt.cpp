#include "platform/afx/core/resource_qt.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "platform/afx/core/dib_qt.h"

namespace {

bool FoundBytes(HINSTANCE module, LPCSTR name, LPCSTR type, const void*& data, DWORD& size) {
    HRSRC found = FindResourceA(module, name, type);
    if (!found) return false;
    HMODULE where = module ? module : AfxFindResourceHandle(name, type);
    data = LockResource(LoadResource(where, found));
    size = SizeofResource(where, found);
    return data != nullptr;
}

}  // namespace

bool AfxDecodeIcon(const void* data, DWORD size, QImage& out, QSize wanted) {
    out = QImage();
    if (!data || size == 0) return false;
    QByteArray bytes(static_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage best;
    long bestScore = -1;
    do {
        QImage frame = reader.read();
        if (frame.isNull()) break;
        long score;
        if (wanted.isEmpty()) {
            score = static_cast<long>(frame.width()) * frame.height();
        } else {
            long dw = frame.width() - wanted.width(), dh = frame.height() - wanted.height();
            score = 1000000000L - (dw * dw + dh * dh);
        }
        if (score > bestScore) {
            bestScore = score;
            best = frame;
        }
    } while (reader.jumpToNextImage());
    if (best.isNull()) return false;
    out = best.convertToFormat(QImage::Format_ARGB32);
    return true;
}

bool AfxDecodeCursor(const void* data, DWORD size, QImage& out, QPoint& hotSpot) {
    if (!data || size < 4) return false;
    const auto* p = static_cast<const BYTE*>(data);
    hotSpot = QPoint(p[0] | (p[1] << 8), p[2] | (p[3] << 8));
    return AfxDecodeIcon(p + 4, size - 4, out);
}

bool AfxLoadIconImage(HINSTANCE module, LPCSTR name, QImage& out, QSize wanted) {
    const void* data = nullptr;
    DWORD size = 0;
    return FoundBytes(module, name, RT_ICON, data, size) && AfxDecodeIcon(data, size, out, wanted);
}

bool AfxLoadCursorImage(HINSTANCE module, LPCSTR name, QImage& out, QPoint& hotSpot) {
    const void* data = nullptr;
    DWORD size = 0;
    return FoundBytes(module, name, RT_CURSOR, data, size) && AfxDecodeCursor(data, size, out, hotSpot);
}

bool AfxLoadBitmapImage(HINSTANCE module, LPCSTR name, QImage& out) {
    const void* data = nullptr;
    DWORD size = 0;
    if (!FoundBytes(module, name, RT_BITMAP, data, size)) return false;
    out = AfxDibToImage(data, size);
    return !out.isNull();
}
