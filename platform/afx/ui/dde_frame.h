// The frames of a conversation between programs: an operation, two names and
// a block of bytes, each with its length, so that a reader never trusts more
// than it received.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>


namespace afx_detail {

enum class DdeOp : std::uint8_t { kConnect = 1, kExecute = 2, kAnswer = 3 };

struct DdeFrame {
    DdeOp op = DdeOp::kAnswer;
    std::string service;  // kConnect: service; others: empty
    std::string topic;    // kConnect: topic
    std::uint32_t flags = 0;  // kAnswer: the server's flags
    std::vector<std::uint8_t> data;  // kExecute: the command
};

constexpr std::size_t kDdeMaxName = 255;
constexpr std::size_t kDdeMaxFrameData = std::size_t(1) << 20;

// The frame's body (without the 4-byte length that precedes it on the wire).
std::vector<std::uint8_t> EncodeDdeFrame(const DdeFrame& frame);
// False for a body that is cut short, too long, carries an unknown operation
// or names longer than kDdeMaxName; `out` is then unspecified.
bool DecodeDdeFrame(const std::uint8_t* body, std::size_t size, DdeFrame* out);

}  // namespace afx_detail
