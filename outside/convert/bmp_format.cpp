#include "outside/convert/bmp_format.h"
#include "platform/win/resolution.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "BMP headers are read in place");

namespace convert {
namespace {

// Pixels one byte of run-length data can stand for at most, deltas included.
constexpr std::size_t kMaxRunLengthGain = 255 * 128;

DWORD readDword(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }
WORD readWord(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

struct BmpHeader {
    LONG width = 0;
    LONG height = 0;  // positive: rows stored bottom-up
    bool topDown = false;
    int bits = 0;
    DWORD compression = BI_RGB;
    DWORD masks[3] = {0, 0, 0};
    LONG xRes = 0;
    LONG yRes = 0;
    RGBQUAD palette[256] = {};
    DWORD paletteEntries = 0;
    DWORD pixelOffset = 0;
};

// One colour channel taken out of a packed pixel by its mask and scaled to 8 bits.
struct Channel {
    int shift = 0;
    int width = 0;
    explicit Channel(DWORD mask) {
        if (mask == 0) return;
        shift = std::countr_zero(mask);
        width = std::popcount(mask >> shift);
    }
    BYTE take(DWORD pixel, DWORD mask) const {
        if (width == 0) return 0;
        DWORD v = (pixel & mask) >> shift;
        if (width >= 8) return static_cast<BYTE>(v >> (width - 8));
        const DWORD max = (1u << width) - 1;
        return static_cast<BYTE>((v * 255 + max / 2) / max);
    }
};

bool parseHeader(const BYTE* data, std::size_t size, BmpHeader& h) {
    if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return false;
    h.pixelOffset = readDword(data + 10);
    const DWORD headerSize = readDword(data + 14);
    if (headerSize < 12 || headerSize > size - 14) return false;
    const BYTE* ih = data + 14;
    std::size_t paletteAt = 14 + headerSize;
    int entrySize = 4;
    DWORD clrUsed = 0;
    if (headerSize == 12) {
        h.width = readWord(ih + 4);
        const LONG height = static_cast<SHORT>(readWord(ih + 6));
        h.height = height;
        h.bits = readWord(ih + 10);
        entrySize = 3;
    } else if (headerSize >= 40) {
        h.width = static_cast<LONG>(readDword(ih + 4));
        h.height = static_cast<LONG>(readDword(ih + 8));
        h.bits = readWord(ih + 14);
        h.compression = readDword(ih + 16);
        // A resolution outside 1 to 10,000 dpi is unknown (0).
        h.xRes = suite::KnownPelsPerMeter(static_cast<LONG>(readDword(ih + 24)));
        h.yRes = suite::KnownPelsPerMeter(static_cast<LONG>(readDword(ih + 28)));
        clrUsed = readDword(ih + 32);
        if (h.compression == BI_BITFIELDS) {
            if (headerSize >= 52) {
                for (int i = 0; i < 3; ++i) h.masks[i] = readDword(ih + 40 + 4 * i);
            } else {
                if (paletteAt + 12 > size) return false;
                for (int i = 0; i < 3; ++i) h.masks[i] = readDword(data + paletteAt + 4 * i);
                paletteAt += 12;
            }
        }
    } else {
        return false;
    }
    if (h.height < 0) {
        if (h.height == INT32_MIN) return false;
        h.height = -h.height;
        h.topDown = true;
    }
    if (h.width <= 0 || h.width > kMaxSide || h.height <= 0 || h.height > kMaxSide) return false;
    switch (h.compression) {
    case BI_RGB:
        if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32) return false;
        break;
    case BI_RLE8:
        if (h.bits != 8 || h.topDown) return false;
        break;
    case BI_RLE4:
        if (h.bits != 4 || h.topDown) return false;
        break;
    case BI_BITFIELDS:
        if (h.bits != 16 && h.bits != 32) return false;
        break;
    default:
        return false;
    }
    if (h.compression == BI_RGB && h.bits == 16) {
        h.masks[0] = 0x7C00;
        h.masks[1] = 0x03E0;
        h.masks[2] = 0x001F;
    } else if (h.compression == BI_RGB && h.bits == 32) {
        h.masks[0] = 0x00FF0000;
        h.masks[1] = 0x0000FF00;
        h.masks[2] = 0x000000FF;
    }
    if (h.bits <= 8) {
        const DWORD maxEntries = 1u << h.bits;
        h.paletteEntries = (clrUsed == 0 || clrUsed > maxEntries) ? maxEntries : clrUsed;
        const std::size_t paletteBytes = std::size_t{h.paletteEntries} * static_cast<std::size_t>(entrySize);
        if (paletteAt > size || paletteBytes > size - paletteAt) return false;
        for (DWORD i = 0; i < h.paletteEntries; ++i) {
            const BYTE* e = data + paletteAt + i * static_cast<std::size_t>(entrySize);
            h.palette[i] = RGBQUAD{e[0], e[1], e[2], 0};
        }
    }
    if (h.pixelOffset < paletteAt || h.pixelOffset >= size) return false;
    return true;
}

// 1-bit files whose index 1 is the lighter colour are inverted, so that 1 is ink.
bool monoIsInverted(const BmpHeader& h) {
    return h.bits == 1 && h.paletteEntries == 2 &&
           luminance(h.palette[1].rgbRed, h.palette[1].rgbGreen, h.palette[1].rgbBlue) >
               luminance(h.palette[0].rgbRed, h.palette[0].rgbGreen, h.palette[0].rgbBlue);
}

bool paletteIsGrey(const BmpHeader& h) {
    for (DWORD i = 0; i < h.paletteEntries; ++i) {
        const RGBQUAD& c = h.palette[i];
        if (c.rgbRed != c.rgbGreen || c.rgbGreen != c.rgbBlue) return false;
    }
    return true;
}

// Expands RLE4 or RLE8 data into one palette index a pixel, top-down rows.
// Runs that leave the picture are clipped; unwritten pixels stay index 0.
bool decodeRle(const BmpHeader& h, const BYTE* p, const BYTE* end, std::vector<BYTE>& indexes) {
    const std::size_t w = static_cast<std::size_t>(h.width);
    indexes.assign(w * static_cast<std::size_t>(h.height), 0);
    const bool four = h.compression == BI_RLE4;
    LONG x = 0;
    LONG y = 0;  // counted from the bottom row
    auto put = [&](BYTE value) {
        if (x < h.width && y < h.height) indexes[static_cast<std::size_t>(h.height - 1 - y) * w + x] = value;
        ++x;
    };
    while (end - p >= 2 && y < h.height) {
        const BYTE count = p[0];
        const BYTE value = p[1];
        p += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // delta
            if (end - p < 2) return false;
            x += p[0];
            y += p[1];
            p += 2;
        } else {  // absolute run, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1u) / 2u : value;
            const std::size_t padded = (bytes + 1u) & ~std::size_t{1};
            if (static_cast<std::size_t>(end - p) < bytes) return false;
            for (int i = 0; i < value; ++i) put(four ? ((i & 1) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4)) : p[i]);
            p += std::min(padded, static_cast<std::size_t>(end - p));
        }
    }
    return true;  // data ended without an end mark: keep what was decoded
}

// Whether the file's rows, as stored, are the rows decodeBmp would make: an
// uncompressed bottom-up file of 1 or 24 bits, or of 8 bits with the full
// grey ramp as its palette.
bool rowsAreDibRows(const BmpHeader& h) {
    if (h.compression != BI_RGB || h.topDown) return false;
    if (h.bits == 1 || h.bits == 24) return true;
    if (h.bits != 8 || h.paletteEntries != 256) return false;
    for (DWORD i = 0; i < 256; ++i) {
        const RGBQUAD& c = h.palette[i];
        if (c.rgbRed != i || c.rgbGreen != i || c.rgbBlue != i) return false;
    }
    return true;
}

bool readAt(int fd, BYTE* into, std::size_t bytes, off_t at) {
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::pread(fd, into + done, bytes - done, at + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Headers and palettes of real files fit here; files whose pixels start
// further in take the whole-file path.
constexpr std::size_t kHeadBytes = 64 * 1024;
// Reads of the pixels go in pieces this large, with a stop check between.
constexpr std::size_t kReadPiece = 4 * 1024 * 1024;

}  // namespace

HDIB readBmpFile(const std::string& path, std::size_t limit, const StopCheck& stop) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return nullptr;
    struct stat st {};
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<std::size_t>(st.st_size) > limit)
        return nullptr;
    const std::size_t size = static_cast<std::size_t>(st.st_size);
    std::vector<BYTE> head(std::min(size, kHeadBytes));
    if (!readAt(file.get(), head.data(), head.size(), 0)) return nullptr;
    BmpHeader h;
    // The header is parsed as if the file ended just after the first pixel
    // byte: every check it makes then holds for the whole file too.
    const std::size_t pixelOffset = head.size() >= 14 ? readDword(head.data() + 10) : 0;
    const bool direct = pixelOffset > 0 && pixelOffset < head.size() &&
                        parseHeader(head.data(), pixelOffset + 1, h) && rowsAreDibRows(h);
    const std::size_t stride = direct ? dibStride(h.width, h.bits) : 0;
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(h.height);
    if (!direct || stride == 0 || pixelBytes > size - pixelOffset) {
        // Everything else, and damaged files, the way the decoder takes them.
        std::vector<BYTE> bytes(size);
        if (!head.empty()) std::memcpy(bytes.data(), head.data(), head.size());  // an empty file has none
        if (size > head.size() &&
            !readAt(file.get(), bytes.data() + head.size(), size - head.size(), static_cast<off_t>(head.size())))
            return nullptr;
        return decodeBmp(bytes.data(), bytes.size(), stop);
    }
    DibBuilder out;
    if (!out.create(h.width, h.height, h.bits, h.xRes, h.yRes, false)) return nullptr;
    // Bottom-up rows in both: the file's pixel block is the DIB's.
    BYTE* pixels = out.row(h.height - 1);
    for (std::size_t done = 0; done < pixelBytes; done += kReadPiece) {
        if (stop && stop()) return nullptr;
        const std::size_t piece = std::min(kReadPiece, pixelBytes - done);
        if (!readAt(file.get(), pixels + done, piece, static_cast<off_t>(pixelOffset + done))) return nullptr;
    }
    // The bytes past each row's pixels are zero, whatever the file held there.
    const std::size_t w = static_cast<std::size_t>(h.width);
    const std::size_t used = h.bits == 1 ? (w + 7) / 8 : w * static_cast<std::size_t>(h.bits / 8);
    const bool invert = monoIsInverted(h);
    const BYTE lastMask = w % 8 ? static_cast<BYTE>(0xFF << (8 - w % 8)) : 0xFF;
    for (LONG top = 0; top < h.height; ++top) {
        BYTE* row = out.row(top);
        if (h.bits == 1) {
            if (invert)
                for (std::size_t i = 0; i < used; ++i) row[i] = static_cast<BYTE>(~row[i]);
            row[used - 1] &= lastMask;
        }
        if (stride > used) std::memset(row + used, 0, stride - used);
    }
    return out.release();
}

HDIB decodeBmp(const BYTE* data, std::size_t size, const StopCheck& stop) {
    BmpHeader h;
    if (!data || !parseHeader(data, size, h)) return nullptr;
    const std::size_t w = static_cast<std::size_t>(h.width);
    const BYTE* pixels = data + h.pixelOffset;
    const BYTE* end = data + size;

    std::vector<BYTE> rle;
    std::size_t srcStride = 0;
    if (h.compression == BI_RLE4 || h.compression == BI_RLE8) {
        // A run pair of 2 bytes covers at most 255 pixels and a delta escape a
        // few rows, so a real file is never smaller than this; the bound keeps a
        // tiny damaged file from asking for a huge picture.
        const std::size_t area = w * static_cast<std::size_t>(h.height);
        if (area > kMaxPixelBytes || area / kMaxRunLengthGain > size) return nullptr;
        if (!decodeRle(h, pixels, end, rle)) return nullptr;
    } else {
        srcStride = dibStride(h.width, h.bits);
        if (srcStride == 0 || std::size_t{srcStride} * static_cast<std::size_t>(h.height) >
                                  static_cast<std::size_t>(end - pixels))
            return nullptr;  // truncated
    }

    const int outBits = h.bits == 1 ? 1 : (h.bits <= 8 && paletteIsGrey(h)) ? 8 : 24;
    DibBuilder out;
    if (!out.create(h.width, h.height, outBits, h.xRes, h.yRes)) return nullptr;

    // Index of the source row holding page row `top`.
    auto sourceRow = [&](LONG top) -> const BYTE* {
        if (!rle.empty()) return rle.data() + static_cast<std::size_t>(top) * w;
        const LONG stored = h.topDown ? top : h.height - 1 - top;
        return pixels + static_cast<std::size_t>(stored) * srcStride;
    };
    auto index = [&](const BYTE* row, std::size_t x) -> BYTE {
        if (!rle.empty() || h.bits == 8) return row[x];
        if (h.bits == 4) return (x & 1) ? (row[x / 2] & 0x0F) : (row[x / 2] >> 4);
        return (row[x / 8] >> (7 - x % 8)) & 1;
    };
    const bool invertMono = monoIsInverted(h);
    BYTE greyOf[256];
    for (DWORD i = 0; i < 256; ++i) {
        const RGBQUAD& c = i < h.paletteEntries ? h.palette[i] : h.palette[0];
        greyOf[i] = c.rgbRed;
    }
    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);

    for (LONG top = 0; top < h.height; ++top) {
        if ((top & 63) == 0 && stop && stop()) return nullptr;
        const BYTE* src = sourceRow(top);
        BYTE* dst = out.row(top);
        if (outBits == 1) {
            const std::size_t bytes = (w + 7) / 8;
            for (std::size_t i = 0; i < bytes; ++i) dst[i] = invertMono ? static_cast<BYTE>(~src[i]) : src[i];
            if (w % 8) dst[bytes - 1] &= static_cast<BYTE>(0xFF << (8 - w % 8));
        } else if (outBits == 8) {
            for (std::size_t x = 0; x < w; ++x) dst[x] = greyOf[index(src, x)];
        } else if (h.bits <= 8) {
            for (std::size_t x = 0; x < w; ++x) {
                const BYTE i = index(src, x);
                const RGBQUAD& c = i < h.paletteEntries ? h.palette[i] : h.palette[0];
                dst[3 * x] = c.rgbBlue;
                dst[3 * x + 1] = c.rgbGreen;
                dst[3 * x + 2] = c.rgbRed;
            }
        } else if (h.bits == 24) {
            std::memcpy(dst, src, 3 * w);
        } else {
            const int bytesPerPixel = h.bits / 8;
            for (std::size_t x = 0; x < w; ++x) {
                const BYTE* p = src + x * bytesPerPixel;
                const DWORD pixel = bytesPerPixel == 2 ? readWord(p) : readDword(p);
                dst[3 * x] = blue.take(pixel, h.masks[2]);
                dst[3 * x + 1] = green.take(pixel, h.masks[1]);
                dst[3 * x + 2] = red.take(pixel, h.masks[0]);
            }
        }
    }
    return out.release();
}

bool encodeBmp(const DibReader& dib, std::vector<BYTE>& file) {
    const DWORD entries = dib.bits() <= 8 ? dib.paletteEntries() : 0;
    const std::size_t offBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD);
    const std::size_t pixelBytes = std::size_t{dib.stride()} * static_cast<std::size_t>(dib.height());
    if (offBits + pixelBytes > 0xFFFFFFFFu) return false;
    file.resize(offBits + pixelBytes);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfSize = static_cast<DWORD>(file.size());
    fh.bfOffBits = static_cast<DWORD>(offBits);
    BITMAPINFOHEADER ih = dib.header();
    ih.biSize = sizeof(BITMAPINFOHEADER);
    ih.biClrUsed = entries;
    ih.biClrImportant = 0;
    ih.biSizeImage = static_cast<DWORD>(pixelBytes);
    BYTE* p = file.data();
    std::memcpy(p, &fh, sizeof fh);
    std::memcpy(p + sizeof fh, &ih, sizeof ih);
    if (entries) std::memcpy(p + sizeof fh + sizeof ih, dib.palette(), entries * sizeof(RGBQUAD));
    // Rows are stored bottom-up in both, so the block copies as it stands.
    std::memcpy(p + offBits, dib.row(dib.height() - 1), pixelBytes);
    return true;
}

}  // namespace convert
