// Any bytes as what another program writes to a window's endpoint: the bytes
// arrive in pieces (the first byte of each piece gives its length) and are
// cut into frames as they come; every frame taken is decoded as a request,
// and a decoded request encodes back to the same bytes. Taking frames always
// moves on: it ends at a frame that has not arrived yet or at a length no
// request has.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/afx/ui/window_request.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace afx_detail;
    QByteArray buffer;
    std::size_t at = 0;
    while (at < size) {
        const std::size_t piece = std::min<std::size_t>(1 + data[at] % 64, size - at - 1);
        buffer.append(reinterpret_cast<const char*>(data + at + 1), static_cast<qsizetype>(piece));
        at += 1 + piece;
        for (;;) {
            const qsizetype before = buffer.size();
            QByteArray body;
            const FrameState state = TakeWindowFrame(buffer, &body);
            if (state == FrameState::kBad) return 0;
            if (state == FrameState::kMore) {
                if (buffer.size() != before) std::abort();
                break;
            }
            if (buffer.size() != before - 4 - body.size()) std::abort();
            if (FramedWindowMessage(body).size() != body.size() + 4) std::abort();
            WindowRequest request;
            if (DecodeWindowRequest(body, &request)) {
                const QByteArray again = EncodeWindowRequest(request);
                // Bytes past the request's end are not part of it.
                if (again.size() > body.size() || again != body.left(again.size())) std::abort();
            }
        }
    }
    return 0;
}
