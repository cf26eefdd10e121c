#include "imaging/formats/png_codec.h"

#include <cstring>
#include <memory>
#include <vector>

#include "imaging/compress/checksum.h"
#include "imaging/compress/deflater.h"
#include "imaging/compress/inflater.h"
#include "imaging/formats/codec_signals.h"
#include "imaging/formats/file_helpers.h"
#include "imaging/image_messages.h"
#include "imaging/page_image.h"

namespace {

using coders::InflateError;

constexpr std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
// Deflate gives at most 258 bytes for a match coded in two bits: 1032 bytes
// for each byte of the stream.
constexpr unsigned long long kMaxInflateGain = 1032;
constexpr std::size_t kIdatSize = 8192;

std::uint32_t Be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
void PutBe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

const char* InflateMessage(InflateError e) {
    switch (e) {
        case InflateError::BadMethod: return "Invalid Compression Method - Not (8) Deflate";
        case InflateError::BadHeaderCheck: return "Invalid IDAT flags";
        case InflateError::PresetDictionary: return "Preset dictionary flag set";
        case InflateError::BadStoredLength: return "Invalid Literal Count";
        case InflateError::BadBlockType: return "Invalid Compression Type";
        case InflateError::TooManyCodes: return "Invalid Huffman Code Length";
        case InflateError::RepeatWithoutLength:
        case InflateError::LengthsOutOfRange: return "Length Command Out of Range";
        case InflateError::BadCodeLengths:
        case InflateError::BadCode: return "Bad Code";
        case InflateError::BadLiteral: return "Invalid Huffman Literal Value";
        case InflateError::BadDistance:
        case InflateError::DistanceTooFar: return "Invalid Huffman Distance Value";
        case InflateError::BadChecksum: return "Stream Adler 32 Checksum error";
        case InflateError::Truncated: return "Premature End-Of-File";
        case InflateError::None: break;
    }
    return "Premature End-Of-File";
}

struct Chunk {
    std::uint32_t length = 0;
    char type[5] = {};
    std::vector<std::uint8_t> data;
    bool Is(const char* t) const { return std::memcmp(type, t, 4) == 0; }
};

enum class ChunkRead { Ok, EndOfFile, Failed };

// The state of one load.
class CPngReader {
public:
    CPngReader(std::FILE* f, CPageImage* page, HANDLE stop, HWND window)
        : m_file(f), m_page(page), m_stop(stop), m_window(window) {}

    int Run();

private:
    ChunkRead ReadChunk(Chunk& c, bool quietAtEnd);
    bool Header(const Chunk& c);
    int DecodeImage(const Chunk& first);

    std::FILE* m_file;
    CPageImage* m_page;
    HANDLE m_stop;
    HWND m_window;
    std::uint32_t m_width = 0, m_height = 0;
    std::uint8_t m_interlace = 0;
    bool m_pendingValid = false;  // a chunk read past the image data, to be handled next
    Chunk m_pending;
};

ChunkRead CPngReader::ReadChunk(Chunk& c, bool quietAtEnd) {
    std::uint8_t head[8];
    std::size_t got = std::fread(head, 1, 8, m_file);
    if (got == 0 && quietAtEnd) return ChunkRead::EndOfFile;
    if (got < 4) {
        ShowImageMessage("Unexpected file end.");
        return ChunkRead::Failed;
    }
    c.length = Be32(head);
    if (c.length & 0x80000000u) {
        ShowImageMessage("chunk_length to long!");
        return ChunkRead::Failed;
    }
    // A length beyond the file's end is a cut chunk: its CRC cannot match,
    // and no buffer of that size is wanted.
    if (got < 8 || static_cast<long long>(c.length) + 4 > codecs::BytesLeft(m_file)) {
        ShowImageMessage("CRC error!");
        return ChunkRead::Failed;
    }
    std::memcpy(c.type, head + 4, 4);
    c.data.resize(c.length);
    std::uint8_t crc[4];
    if ((c.length && std::fread(c.data.data(), 1, c.length, m_file) != c.length) || std::fread(crc, 1, 4, m_file) != 4) {
        ShowImageMessage("CRC error!");
        return ChunkRead::Failed;
    }
    std::uint32_t sum = coders::Crc32(0, head + 4, 4);
    sum = coders::Crc32(sum, c.data.data(), c.data.size());
    if (sum != Be32(crc)) {
        ShowImageMessage("CRC error!");
        return ChunkRead::Failed;
    }
    return ChunkRead::Ok;
}

bool CPngReader::Header(const Chunk& c) {
    if (c.length != 13) {
        ShowImageMessage("Invalid Header Length");
        return false;
    }
    const std::uint8_t* d = c.data.data();
    m_width = Be32(d);
    m_height = Be32(d + 4);
    const std::uint8_t depth = d[8], colour = d[9];
    if (d[10] != 0) {
        ShowImageMessage("Invalid Compression Method");
        return false;
    }
    if (d[11] != 0) {
        ShowImageMessage("Invalid Filter Method");
        return false;
    }
    if (d[12] > 1) {
        ShowImageMessage("Invalid Compression Method");
        return false;
    }
    m_interlace = d[12];
    if (depth == 1) {
        if (colour == 2 || colour == 3 || colour == 4 || colour == 6) {
            ShowImageMessage("Not supported color type");
            return false;
        }
        if (colour != 0) {
            ShowImageMessage("Invalid Color Type");
            return false;
        }
    } else if (depth == 2 || depth == 4 || depth == 8 || depth == 16) {
        ShowImageMessage("Not supported image_depth");
        return false;
    } else {
        ShowImageMessage("Invalid Bit Depth");
        return false;
    }
    // The plane and the two row buffers must fit the limit together.
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(m_width) + 7) / 8;
    if (m_width == 0 || m_height == 0 || m_width > 0x7FFFFFFFu || m_height > 0x7FFFFFFFu ||
        !codecs::FitsImageLimit(rowBytes * m_height, 2 * (rowBytes + 1))) {
        ShowImageMessage("Invalid Image Size");
        return false;
    }
    // Every row is a filter byte and its samples; what is left of the file
    // must be able to inflate to that much before memory is taken for it.
    unsigned long long coded = 0;
    if (codecs::KnownBytesLeft(m_file, coded) && !codecs::DataCanHold(coded, kMaxInflateGain, (rowBytes + 1) * m_height)) {
        ShowImageMessage("Premature End-Of-File");
        return false;
    }
    return true;
}

// Inflates the rows of the image from the IDAT chunks starting with `first`:
// 1 done, 0 failed, 2 stopped.
int CPngReader::DecodeImage(const Chunk& first) {
    if (m_interlace) {
        ShowImageMessage("Interlaced images are not supported");
        return 0;
    }
    bool firstGiven = false;
    bool chunkFailed = false;
    bool fileEnded = false;
    Chunk current;
    coders::CInflater inf([&](const std::uint8_t*& data, std::size_t& size) {
        if (!firstGiven) {
            firstGiven = true;
            data = first.data.data();
            size = first.data.size();
            return true;
        }
        if (chunkFailed || m_pendingValid) return false;
        ChunkRead r = ReadChunk(current, true);
        if (r == ChunkRead::Failed) {
            chunkFailed = true;
            return false;
        }
        if (r == ChunkRead::EndOfFile) {
            fileEnded = true;
            return false;
        }
        if (!current.Is("IDAT")) {
            // The image data ends here; the chunk is handled after it.
            m_pending = std::move(current);
            m_pendingValid = true;
            return false;
        }
        data = current.data.data();
        size = current.data.size();
        return true;
    });

    const std::size_t rowBytes = (static_cast<std::size_t>(m_width) + 7) / 8;
    std::vector<std::uint8_t> rows(2 * (rowBytes + 1), 0);
    std::uint8_t* cur = rows.data();
    std::uint8_t* prev = rows.data() + rowBytes + 1;
    auto* plane = static_cast<std::uint8_t*>(GlobalLock(m_page->m_hBits));
    if (!plane) {
        ShowImageMessage(kMsgCannotLockMemory);
        return 0;
    }
    int result = 1;
    for (std::uint32_t y = 0; y < m_height; ++y) {
        if (codecs::StopRequested(m_stop)) {
            result = 2;
            break;
        }
        if (inf.Read(cur, rowBytes + 1) != rowBytes + 1) {
            if (!chunkFailed) ShowImageMessage(fileEnded ? "Unexpected file end." : InflateMessage(inf.Error()));
            result = 0;
            break;
        }
        std::uint8_t* r = cur + 1;
        const std::uint8_t* up = prev + 1;
        switch (cur[0]) {
            case 0: break;
            case 1:
                for (std::size_t i = 1; i < rowBytes; ++i) r[i] = static_cast<std::uint8_t>(r[i] + r[i - 1]);
                break;
            case 2:
                for (std::size_t i = 0; i < rowBytes; ++i) r[i] = static_cast<std::uint8_t>(r[i] + up[i]);
                break;
            case 3:
                for (std::size_t i = 0; i < rowBytes; ++i) {
                    unsigned left = i ? r[i - 1] : 0;
                    r[i] = static_cast<std::uint8_t>(r[i] + ((left + up[i]) >> 1));
                }
                break;
            case 4:
                for (std::size_t i = 0; i < rowBytes; ++i) {
                    int a = i ? r[i - 1] : 0, b = up[i], c = i ? up[i - 1] : 0;
                    int p = a + b - c;
                    int pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p, pc = p > c ? p - c : c - p;
                    int pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
                    r[i] = static_cast<std::uint8_t>(r[i] + pred);
                }
                break;
            default:
                ShowImageMessage("Invalid Filter Method");
                result = 0;
                break;
        }
        if (result != 1) break;
        // PNG sample 0 is black; a plane bit 1 is black.
        std::uint8_t* dst = plane + static_cast<std::size_t>(y) * rowBytes;
        for (std::size_t i = 0; i < rowBytes; ++i) dst[i] = static_cast<std::uint8_t>(~r[i]);
        std::swap(cur, prev);
        codecs::PostRowProgress(m_window, static_cast<int>(y + 1), static_cast<int>(m_height));
    }
    GlobalUnlock(m_page->m_hBits);
    if (result != 1) return result;
    // The rest of the stream: its end and checksum (extra data is ignored).
    if (!inf.Finish()) {
        if (!chunkFailed) ShowImageMessage(fileEnded ? "Unexpected file end." : InflateMessage(inf.Error()));
        return 0;
    }
    if (chunkFailed) return 0;
    // Further IDAT chunks after the stream's end (empty ones, say) belong to
    // the same run of image data.
    while (!m_pendingValid) {
        ChunkRead r = ReadChunk(current, true);
        if (r == ChunkRead::Failed) return 0;
        if (r == ChunkRead::EndOfFile) break;
        if (!current.Is("IDAT")) {
            m_pending = std::move(current);
            m_pendingValid = true;
        }
    }
    return 1;
}

int CPngReader::Run() {
    std::uint8_t sig[8];
    if (std::fread(sig, 1, 8, m_file) != 8 || std::memcmp(sig, kSignature, 8) != 0) return 0;
    Chunk c;
    if (ReadChunk(c, false) != ChunkRead::Ok || !c.Is("IHDR") || !Header(c)) return 0;
    m_page->m_nWidth = static_cast<std::int32_t>(m_width);
    m_page->m_nHeight = static_cast<std::int32_t>(m_height);
    m_page->m_nBitCount = 1;
    if (!m_page->AllocBits(static_cast<DWORD>((m_width + 7ull) / 8 * m_height))) {
        ShowImageMessage(kMsgNotEnoughMemory);
        return 0;
    }
    bool imageSeen = false, endSeen = false;
    while (!endSeen) {
        if (m_pendingValid) {
            c = std::move(m_pending);
            m_pendingValid = false;
        } else {
            ChunkRead r = ReadChunk(c, true);
            if (r == ChunkRead::Failed) return 0;
            if (r == ChunkRead::EndOfFile) break;
        }
        if (c.Is("IHDR")) {
            ShowImageMessage("Duplicate IHDR Block");
            return 0;
        } else if (c.Is("IDAT")) {
            if (imageSeen) {
                ShowImageMessage("Image Contains Multiple Data Segments");
                return 0;
            }
            imageSeen = true;
            int r = DecodeImage(c);
            if (r != 1) return r;
        } else if (c.Is("IEND")) {
            endSeen = true;
        } else if (c.Is("PLTE") || (c.type[0] & 0x20)) {
            // Palettes and ancillary chunks carry nothing for a bilevel page.
        } else {
            ShowImageMessage("Unknown critical chunk");
            return 0;
        }
    }
    if (!imageSeen || !endSeen) {
        ShowImageMessage("Unexpected file end.");
        return 0;
    }
    return 1;
}

// Collects deflater output into IDAT chunks of 8192 bytes.
class CIdatWriter {
public:
    explicit CIdatWriter(codecs::CAtomicFile& f) : m_file(f) {}
    bool Add(const std::uint8_t* p, std::size_t n) {
        while (n > 0) {
            std::size_t k = std::min(n, kIdatSize - m_buf.size());
            m_buf.insert(m_buf.end(), p, p + k);
            p += k;
            n -= k;
            if (m_buf.size() == kIdatSize && !Flush()) return false;
        }
        return true;
    }
    bool Flush() {
        if (m_buf.empty()) return true;
        bool ok = WriteChunk(m_file, "IDAT", m_buf.data(), m_buf.size());
        m_buf.clear();
        return ok;
    }
    static bool WriteChunk(codecs::CAtomicFile& f, const char* type, const std::uint8_t* data, std::size_t n) {
        std::uint8_t head[8];
        PutBe32(head, static_cast<std::uint32_t>(n));
        std::memcpy(head + 4, type, 4);
        std::uint32_t crc = coders::Crc32(0, head + 4, 4);
        crc = coders::Crc32(crc, data, n);
        std::uint8_t tail[4];
        PutBe32(tail, crc);
        return f.Write(head, 8) && f.Write(data, n) && f.Write(tail, 4);
    }

private:
    codecs::CAtomicFile& m_file;
    std::vector<std::uint8_t> m_buf;
};

}  // namespace

int CPngCodec::Load(CPageImage* page, HANDLE stopEvent, HWND progressWindow) {
    if (!page) return 0;
    std::FILE* f = codecs::OpenFile(m_pszPath, "rb");
    if (!f) return 0;
    if (codecs::StopRequested(stopEvent)) {
        std::fclose(f);
        return 2;
    }
    int result = CPngReader(f, page, stopEvent, progressWindow).Run();
    std::fclose(f);
    return result;
}

BOOL CPngCodec::Save(CPageImage* page, int option) {
    if ((option & 0xFFFF) > 2) {
        ShowImageMessage("Unsupported compression type!");
        return FALSE;
    }
    if (!page || !page->m_hBits || page->m_nWidth <= 0 || page->m_nHeight <= 0) return FALSE;
    codecs::CAtomicFile file(m_pszPath);
    if (!file.Stream()) {
        ShowImageMessage("Cannot open png file!");
        return FALSE;
    }
    const std::size_t rowBytes = page->RowBytes();
    if (GlobalSize(page->m_hBits) < static_cast<SIZE_T>(rowBytes) * static_cast<SIZE_T>(page->m_nHeight)) return FALSE;
    std::uint8_t header[13];
    PutBe32(header, static_cast<std::uint32_t>(page->m_nWidth));
    PutBe32(header + 4, static_cast<std::uint32_t>(page->m_nHeight));
    header[8] = 1;   // bit depth
    header[9] = 0;   // greyscale
    header[10] = 0;  // deflate
    header[11] = 0;  // adaptive filtering (every row: None)
    header[12] = 0;  // not interlaced
    if (!file.Write(kSignature, 8) || !CIdatWriter::WriteChunk(file, "IHDR", header, 13)) {
        ShowImageWriteFailure("Cannot write png file!");
        return FALSE;
    }
    CIdatWriter idat(file);
    coders::CDeflater deflater([&](const std::uint8_t* p, std::size_t n) { return idat.Add(p, n); }, 6);
    const auto* plane = static_cast<const std::uint8_t*>(GlobalLock(page->m_hBits));
    if (!plane) {
        ShowImageMessage(kMsgCannotLockMemory);
        return FALSE;
    }
    std::vector<std::uint8_t> row(rowBytes + 1);
    bool ok = true;
    for (int y = 0; y < page->m_nHeight && ok; ++y) {
        row[0] = 0;  // filter type None
        const std::uint8_t* src = plane + static_cast<std::size_t>(y) * rowBytes;
        for (std::size_t i = 0; i < rowBytes; ++i) row[i + 1] = static_cast<std::uint8_t>(~src[i]);
        ok = deflater.Write(row.data(), row.size());
    }
    GlobalUnlock(page->m_hBits);
    ok = ok && deflater.Finish() && idat.Flush() && CIdatWriter::WriteChunk(file, "IEND", nullptr, 0);
    if (!ok) {
        if (deflater.Error() == coders::DeflateError::BadCodeTable) {
            ShowImageMessage("Invalid Huffman Code Generated");
        } else {
            ShowImageWriteFailure("Cannot write png file!");
        }
        return FALSE;
    }
    if (!file.Commit()) {
        ShowImageWriteFailure("Cannot write png file!");
        return FALSE;
    }
    return TRUE;
}
