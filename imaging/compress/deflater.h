// Deflater writing zlib streams: LZ77 over hash chains in a 32 KiB window
// with lazy matching, and per block the smallest of a dynamic-Huffman, a
// fixed-Huffman and a stored encoding. Input is written in pieces; finished
// output goes to a sink callback in pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace coders {

enum class DeflateError {
    None,
    BadLevel,      // a level outside 0..9
    BadCodeTable,  // a Huffman code failed its self-check (the stream is not to be used)
    SinkFailed,    // the sink refused output
    Finished,      // data written after Finish
};

const char* DeflateErrorText(DeflateError e);

class CDeflater {
public:
    // Receives finished output; returns false to stop the stream.
    using Sink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

    // Level 0 stores, 1 to 3 match greedily, 4 to 9 lazily with longer chains.
    explicit CDeflater(Sink sink, int level = 6);
    ~CDeflater();
    CDeflater(const CDeflater&) = delete;
    CDeflater& operator=(const CDeflater&) = delete;

    bool Write(const std::uint8_t* data, std::size_t n);
    // Ends the stream (last block, checksum) and hands out all output. Only
    // after a true result does the sink hold a complete, valid stream.
    bool Finish();
    DeflateError Error() const;

    static bool DeflateZlib(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out, int level = 6);

private:
    struct State;
    std::unique_ptr<State> m_s;
};

namespace huffman {
// Code lengths for the frequencies `freq` of `n` symbols, at most `limit`
// bits, written to `lengths`. Unused symbols get 0; when fewer than two
// symbols are used, a second one is given a length too so that the code is
// complete. Returns false when the result fails its own check.
bool BuildLengths(const std::uint32_t* freq, int n, int limit, std::uint8_t* lengths);
// Canonical codes for the lengths, bit-reversed for writing least significant first.
void BuildCodes(const std::uint8_t* lengths, int n, std::uint16_t* codes);
}  // namespace huffman

}  // namespace coders
