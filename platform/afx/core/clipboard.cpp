#include "platform/afx/core/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/afx/core/dib_qt.h"
#include "platform/win/codepage.h"
#include "platform/win/errors.h"
#include "platform/win/memory.h"

namespace {

struct ClipboardState {
    bool open = false;
    bool dirty = false;
    std::unique_ptr<QMimeData> pending;  // what the program put since EmptyClipboard
    std::vector<HGLOBAL> handedOut;      // blocks from GetClipboardData, freed on close
};

ClipboardState& State() {
    static ClipboardState state;
    return state;
}

QClipboard* Desktop() { return QGuiApplication::instance() ? QGuiApplication::clipboard() : nullptr; }

// The bytes of a block up to its first NUL (or its end).
std::string BlockText(HGLOBAL block, size_t unit) {
    const auto* p = static_cast<const char*>(GlobalLock(block));
    if (!p) return {};
    size_t size = GlobalSize(block);
    size_t n = 0;
    while (n + unit <= size) {
        bool zero = true;
        for (size_t k = 0; k < unit; ++k) zero = zero && p[n + k] == 0;
        if (zero) break;
        n += unit;
    }
    std::string bytes(p, n);
    GlobalUnlock(block);
    return bytes;
}

HGLOBAL NewBlock(const void* data, size_t size) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!h) return nullptr;
    std::memcpy(GlobalLock(h), data, size);
    GlobalUnlock(h);
    State().handedOut.push_back(h);
    return h;
}

// What the desktop holds, copied so that formats can be added to it. Text
// and images go by their own calls: a bitmap held as an image is not
// available as bytes.
void CopyFormats(const QMimeData& from, QMimeData& to) {
    if (from.hasImage()) to.setImageData(from.imageData());
    if (from.hasText()) to.setText(from.text());
    for (const QString& f : from.formats()) {
        if (to.hasFormat(f)) continue;
        QByteArray bytes = from.data(f);
        if (!bytes.isEmpty()) to.setData(f, bytes);
    }
}

QString WithLf(QString s) { return s.replace(QLatin1String("\r\n"), QLatin1String("\n")); }

const QMimeData* Current() {
    ClipboardState& st = State();
    if (st.pending) return st.pending.get();
    QClipboard* c = Desktop();
    return c ? c->mimeData() : nullptr;
}

}  // namespace

BOOL OpenClipboard(HWND) {
    ClipboardState& st = State();
    if (st.open || !Desktop()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    st.open = true;
    st.dirty = false;
    return TRUE;
}

BOOL CloseClipboard() {
    ClipboardState& st = State();
    if (!st.open) return FALSE;
    if (st.dirty && st.pending) {
        if (QClipboard* c = Desktop()) c->setMimeData(st.pending.release());
    }
    st.pending.reset();
    st.dirty = false;
    for (HGLOBAL h : st.handedOut) GlobalFree(h);
    st.handedOut.clear();
    st.open = false;
    return TRUE;
}

BOOL EmptyClipboard() {
    ClipboardState& st = State();
    if (!st.open) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    st.pending = std::make_unique<QMimeData>();
    st.dirty = true;
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
    ClipboardState& st = State();
    if (!st.open || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!st.pending) {
        st.pending = std::make_unique<QMimeData>();
        if (const QMimeData* now = Desktop()->mimeData()) CopyFormats(*now, *st.pending);
    }
    HGLOBAL block = static_cast<HGLOBAL>(data);
    switch (format) {
    case CF_TEXT:
    case CF_OEMTEXT: {
        std::u16string w = suite::AnsiToUtf16(BlockText(block, 1));
        st.pending->setText(WithLf(QString::fromUtf16(w.data(), static_cast<qsizetype>(w.size()))));
        break;
    }
    case CF_UNICODETEXT: {
        std::string bytes = BlockText(block, 2);
        st.pending->setText(WithLf(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data()),
                                                       static_cast<qsizetype>(bytes.size() / 2))));
        break;
    }
    case CF_DIB: {
        const void* p = GlobalLock(block);
        QImage image = AfxDibToImage(p, GlobalSize(block));
        GlobalUnlock(block);
        if (image.isNull()) {
            SetLastError(ERROR_INVALID_DATA);
            return nullptr;
        }
        st.pending->setImageData(image);
        break;
    }
    default:
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    st.dirty = true;
    GlobalFree(block);  // the clipboard owns it now and keeps its own copy
    return data;
}

HANDLE GetClipboardData(UINT format) {
    ClipboardState& st = State();
    const QMimeData* m = st.open ? Current() : nullptr;
    if (!m) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    switch (format) {
    case CF_TEXT:
    case CF_OEMTEXT:
    case CF_UNICODETEXT: {
        if (!m->hasText()) return nullptr;
        QString text = WithLf(m->text()).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        if (format == CF_UNICODETEXT) {
            std::u16string w = text.toStdU16String();
            w.push_back(u'\0');
            return NewBlock(w.data(), w.size() * 2);
        }
        std::string ansi = suite::Utf16ToAnsi(text.toStdU16String());
        return NewBlock(ansi.c_str(), ansi.size() + 1);
    }
    case CF_DIB: {
        if (!m->hasImage()) return nullptr;
        QImage image = qvariant_cast<QImage>(m->imageData());
        std::vector<BYTE> dib = AfxImageToDib(image);
        return dib.empty() ? nullptr : NewBlock(dib.data(), dib.size());
    }
    default: return nullptr;
    }
}

BOOL IsClipboardFormatAvailable(UINT format) {
    const QMimeData* m = Current();
    if (!m) return FALSE;
    switch (format) {
    case CF_TEXT:
    case CF_OEMTEXT:
    case CF_UNICODETEXT: return m->hasText();
    case CF_DIB:
    case CF_BITMAP: return m->hasImage();
    default: return FALSE;
    }
}

int CountClipboardFormats() {
    const QMimeData* m = Current();
    if (!m) return 0;
    return (m->hasText() ? 3 : 0) + (m->hasImage() ? 2 : 0);
}
