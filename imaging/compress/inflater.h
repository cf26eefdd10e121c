// Inflater of zlib streams (deflate data in zlib framing). Input is pulled
// from a source callback piece by piece (the PNG reader hands it one IDAT
// chunk at a time); output is read in pieces of any size. Only the last 32 KiB
// of output plus what the caller has not read yet is held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace coders {

enum class InflateError {
    None,
    BadMethod,          // CMF is not deflate with a window of at most 32 KiB
    BadHeaderCheck,     // CMF * 256 + FLG is not a multiple of 31
    PresetDictionary,   // FLG asks for a preset dictionary
    BadStoredLength,    // NLEN is not the complement of LEN
    BadBlockType,       // block type 3
    TooManyCodes,       // HLIT above 286 or HDIST above 30
    BadCodeLengths,     // the code-length code is over-subscribed or empty
    RepeatWithoutLength,// code 16 with no length before it
    LengthsOutOfRange,  // a repeat runs past the end of the code lengths
    BadCode,            // an over-subscribed code, no end-of-block code, or a bit pattern with no symbol
    BadLiteral,         // literal/length symbol 286 or 287
    BadDistance,        // distance symbol 30 or 31
    DistanceTooFar,     // a distance before the first byte of the stream
    BadChecksum,        // the Adler-32 does not match
    Truncated,          // the input ended before the stream did
};

// A short English description of an error, for messages and test output.
const char* InflateErrorText(InflateError e);

class CInflater {
public:
    // Called when the inflater needs more input: sets data and size to the
    // next piece and returns true, or returns false when there is no more.
    // A piece must stay valid until the source is called again.
    using Source = std::function<bool(const std::uint8_t*& data, std::size_t& size)>;

    explicit CInflater(Source source);
    ~CInflater();
    CInflater(const CInflater&) = delete;
    CInflater& operator=(const CInflater&) = delete;

    // Delivers up to n bytes of output; fewer only at the end of the stream or
    // on an error (see Error()).
    std::size_t Read(std::uint8_t* dst, std::size_t n);

    // Decodes the rest of the stream, discarding the output, and checks the
    // checksum. True when the whole stream was valid.
    bool Finish();

    // True once the stream has ended and its checksum matched.
    bool Done() const;
    InflateError Error() const;
    // Total bytes of output decoded so far.
    std::uint64_t TotalOut() const;

    // Inflates a whole zlib stream held in memory. On failure returns false,
    // sets *error, and out holds what was decoded.
    static bool InflateZlib(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out,
                            InflateError* error = nullptr);

private:
    struct State;
    std::unique_ptr<State> m_s;
};

}  // namespace coders
