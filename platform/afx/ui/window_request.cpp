#include "platform/afx/ui/window_request.h"

#include <cstring>

namespace afx_detail {

namespace {

template <class T>
void Put(QByteArray& b, T v) {
    b.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void PutString(QByteArray& b, const std::string& s, bool present) {
    if (!present) {
        b.append(static_cast<char>(0));
        return;
    }
    b.append(static_cast<char>(1));
    const auto n = static_cast<std::uint16_t>(s.size() > 0xFFFF ? 0xFFFF : s.size());
    Put(b, n);
    b.append(s.data(), n);
}

struct Reader {
    const QByteArray& b;
    qsizetype at = 0;
    bool ok = true;
    template <class T>
    T Get() {
        T v{};
        if (b.size() - at < static_cast<qsizetype>(sizeof v)) {
            ok = false;
            return v;
        }
        std::memcpy(&v, b.constData() + at, sizeof v);
        at += sizeof v;
        return v;
    }
    bool Flag() {
        const auto v = Get<std::uint8_t>();
        if (v > 1) ok = false;
        return v == 1;
    }
    void String(std::string* out, bool* present) {
        *present = Flag();
        if (!ok || !*present) return;
        const auto n = Get<std::uint16_t>();
        if (!ok || b.size() - at < n) {
            ok = false;
            return;
        }
        out->assign(b.constData() + at, n);
        at += n;
    }
};

}  // namespace

QByteArray EncodeWindowRequest(const WindowRequest& r) {
    QByteArray b;
    Put(b, static_cast<std::uint8_t>(r.op));
    switch (r.op) {
    case WindowOp::kFind:
        PutString(b, r.className, r.hasClassName);
        PutString(b, r.title, r.hasTitle);
        break;
    case WindowOp::kShow:
        Put(b, r.window);
        Put(b, r.showCommand);
        Put(b, static_cast<std::uint8_t>(r.foreground ? 1 : 0));
        break;
    case WindowOp::kPost:
    case WindowOp::kSend:
        Put(b, r.window);
        [[fallthrough]];
    case WindowOp::kBroadcast:
        Put(b, r.message);
        Put(b, r.wParam);
        Put(b, r.lParam);
        break;
    }
    return b;
}

bool DecodeWindowRequest(const QByteArray& bytes, WindowRequest* out) {
    Reader r{bytes};
    const auto op = r.Get<std::uint8_t>();
    if (!r.ok || op < 1 || op > 5) return false;
    *out = WindowRequest{};
    out->op = static_cast<WindowOp>(op);
    switch (out->op) {
    case WindowOp::kFind:
        r.String(&out->className, &out->hasClassName);
        r.String(&out->title, &out->hasTitle);
        break;
    case WindowOp::kShow:
        out->window = r.Get<std::uint64_t>();
        out->showCommand = r.Get<std::int32_t>();
        out->foreground = r.Flag();
        break;
    case WindowOp::kPost:
    case WindowOp::kSend:
        out->window = r.Get<std::uint64_t>();
        [[fallthrough]];
    case WindowOp::kBroadcast:
        out->message = r.Get<std::uint32_t>();
        out->wParam = r.Get<std::uint64_t>();
        out->lParam = r.Get<std::int64_t>();
        break;
    }
    return r.ok;
}

QByteArray FramedWindowMessage(const QByteArray& body) {
    QByteArray frame;
    Put(frame, static_cast<std::uint32_t>(body.size()));
    return frame + body;
}

FrameState TakeWindowFrame(QByteArray& buffer, QByteArray* body) {
    if (buffer.size() < 4) return FrameState::kMore;
    std::uint32_t n = 0;
    std::memcpy(&n, buffer.constData(), 4);
    if (n > kMaxWindowFrameBytes) return FrameState::kBad;
    if (buffer.size() - 4 < static_cast<qsizetype>(n)) return FrameState::kMore;
    *body = buffer.mid(4, static_cast<qsizetype>(n));
    buffer.remove(0, 4 + static_cast<qsizetype>(n));
    return FrameState::kWhole;
}

}  // namespace afx_detail
