// The requests one program sends to another's windows over its endpoint and
// the frames that carry requests and replies: a 4-byte length, then that many
// bytes. Both are read without trusting anything the other side wrote.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <string>

namespace afx_detail {

enum class WindowOp : std::uint8_t { kFind = 1, kPost = 2, kSend = 3, kShow = 4, kBroadcast = 5 };

struct WindowRequest {
    WindowOp op = WindowOp::kFind;
    // kFind: the class and title looked for (absent: any).
    std::string className, title;
    bool hasClassName = false, hasTitle = false;
    // kPost, kSend, kShow: the window, as its own program numbers it.
    std::uint64_t window = 0;
    // kPost, kSend, kBroadcast: the message.
    std::uint32_t message = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    // kShow: the show command (-1: only ask) and whether it comes to the front.
    std::int32_t showCommand = -1;
    bool foreground = false;
};

QByteArray EncodeWindowRequest(const WindowRequest& request);
// False for a request cut short, of an unknown operation or with a yes/no
// byte other than 0 or 1; `out` is then unspecified.
bool DecodeWindowRequest(const QByteArray& bytes, WindowRequest* out);

// No request or reply is larger.
constexpr std::uint32_t kMaxWindowFrameBytes = std::uint32_t(1) << 20;

QByteArray FramedWindowMessage(const QByteArray& body);

enum class FrameState { kWhole, kMore, kBad };
// The first frame of `buffer`: kWhole takes it off the buffer into `body`;
// kMore when only part of it has arrived; kBad when its length passes the
// limit (the connection is to be ended; nothing is taken).
FrameState TakeWindowFrame(QByteArray& buffer, QByteArray* body);

}  // namespace afx_detail
