#include "platform/afx/ui/dde_frame.h"

#include <cstring>

namespace afx_detail {

namespace {
void PutU32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutName(std::vector<std::uint8_t>& b, const std::string& s) {
    std::size_t n = s.size() < kDdeMaxName ? s.size() : kDdeMaxName;
    b.push_back(static_cast<std::uint8_t>(n));
    b.insert(b.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
}

struct Cursor {
    const std::uint8_t* p;
    std::size_t left;
    bool U8(std::uint8_t* v) {
        if (left < 1) return false;
        *v = *p++;
        --left;
        return true;
    }
    bool U32(std::uint32_t* v) {
        if (left < 4) return false;
        *v = 0;
        for (int i = 0; i < 4; ++i) *v |= std::uint32_t(p[i]) << (8 * i);
        p += 4;
        left -= 4;
        return true;
    }
    bool Name(std::string* s) {
        std::uint8_t n = 0;
        if (!U8(&n) || left < n) return false;
        s->assign(reinterpret_cast<const char*>(p), n);
        p += n;
        left -= n;
        return true;
    }
};
}  // namespace

std::vector<std::uint8_t> EncodeDdeFrame(const DdeFrame& f) {
    std::vector<std::uint8_t> b;
    b.push_back(static_cast<std::uint8_t>(f.op));
    PutName(b, f.service);
    PutName(b, f.topic);
    PutU32(b, f.flags);
    std::size_t n = f.data.size() < kDdeMaxFrameData ? f.data.size() : kDdeMaxFrameData;
    PutU32(b, static_cast<std::uint32_t>(n));
    b.insert(b.end(), f.data.begin(), f.data.begin() + static_cast<std::ptrdiff_t>(n));
    return b;
}

bool DecodeDdeFrame(const std::uint8_t* body, std::size_t size, DdeFrame* out) {
    if (!body && size) return false;
    Cursor c{body, size};
    std::uint8_t op = 0;
    if (!c.U8(&op) || op < 1 || op > 3) return false;
    out->op = static_cast<DdeOp>(op);
    std::uint32_t n = 0;
    if (!c.Name(&out->service) || !c.Name(&out->topic) || !c.U32(&out->flags) || !c.U32(&n)) return false;
    if (n > kDdeMaxFrameData || n != c.left) return false;
    out->data.assign(c.p, c.p + n);
    return true;
}

}  // namespace afx_detail
