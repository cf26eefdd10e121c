#include "imaging/formats/pcx_codec.h"

#include <cstring>
#include <new>
#include <vector>

#include "imaging/formats/codec_signals.h"
#include "imaging/formats/file_helpers.h"
#include "imaging/image_host.h"
#include "imaging/image_messages.h"
#include "imaging/page_image.h"

namespace {

constexpr std::size_t kHeaderSize = 128;

unsigned Word(const std::uint8_t* p) { return p[0] | (p[1] << 8u); }
void PutWord(std::uint8_t* p, unsigned v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

// Buffered reading of the coded bytes, so that no buffer grows with the file.
class CByteReader {
public:
    explicit CByteReader(std::FILE* f) : m_file(f) {}
    bool Next(std::uint8_t& b) {
        if (m_pos == m_len) {
            m_len = std::fread(m_buf, 1, sizeof m_buf, m_file);
            m_pos = 0;
            if (m_len == 0) return false;
        }
        b = m_buf[m_pos++];
        return true;
    }

private:
    std::FILE* m_file;
    std::uint8_t m_buf[65536];
    std::size_t m_pos = 0, m_len = 0;
};

// Files of other programs commonly say, in the colour map, that pixel value 0
// is black and 1 white; the files written here say entry 0 is white and leave
// entry 1 black, so that 1 is ink. A map whose entry 1 is lighter than its
// entry 0 makes 1 the paper. Version 3 files carry no colour map.
bool OneIsPaper(const std::uint8_t* h) {
    if (h[1] == 3) return false;
    const unsigned zero = h[16] + h[17] + h[18], one = h[19] + h[20] + h[21];
    return one > zero;
}

int Read(std::FILE* f, CPageImage* page, HANDLE stopEvent, HWND window) {
    std::uint8_t h[kHeaderSize];
    if (std::fread(h, 1, kHeaderSize, f) != kHeaderSize) return 0;
    if (h[0] != 10 || h[2] != 1 || h[3] != 1 || h[65] != 1) return 0;
    const unsigned xmin = Word(h + 4), ymin = Word(h + 6), xmax = Word(h + 8), ymax = Word(h + 10);
    const unsigned bytesPerLine = Word(h + 66);
    if (xmax < xmin || ymax < ymin) return 0;
    const unsigned width = xmax - xmin + 1, height = ymax - ymin + 1;
    const unsigned rowBytes = (width + 7) / 8;
    // A line shorter than the row would leave part of every row unknown.
    if (bytesPerLine < rowBytes) return 0;
    // The plane and the line buffer must fit the limit together, and the coded
    // data (two bytes give at most 63) must be able to fill the page, before
    // any memory is taken for it. A pipe's length cannot be known beforehand.
    const unsigned long long lineBytes = static_cast<unsigned long long>(bytesPerLine) * height;
    unsigned long long coded = 0;
    if (!codecs::FitsImageLimit(static_cast<unsigned long long>(rowBytes) * height, bytesPerLine) ||
        (codecs::KnownBytesLeft(f, coded) && !codecs::DataCanHold(coded, 63, 2 * lineBytes)))
        return 0;
    const bool invert = OneIsPaper(h);

    page->m_nWidth = static_cast<std::int32_t>(width);
    page->m_nHeight = static_cast<std::int32_t>(height);
    page->m_nBitCount = 1;
    if (!page->AllocBits(rowBytes * height)) return 0;
    std::vector<std::uint8_t> line;
    try {
        line.resize(bytesPerLine);
    } catch (const std::bad_alloc&) {
        page->Empty();
        return 0;
    }
    auto* plane = static_cast<std::uint8_t*>(GlobalLock(page->m_hBits));
    if (!plane) return 0;
    CByteReader in(f);
    // A run may go on past the end of a line (some writers let it); what is
    // left of it starts the next line.
    unsigned runLeft = 0;
    std::uint8_t runValue = 0;
    int result = 1;
    for (unsigned y = 0; y < height && result == 1; ++y) {
        if (codecs::StopRequested(stopEvent)) {
            result = 2;
            break;
        }
        unsigned x = 0;
        while (x < bytesPerLine) {
            if (runLeft) {
                unsigned k = std::min(runLeft, bytesPerLine - x);
                std::memset(line.data() + x, runValue, k);
                x += k;
                runLeft -= k;
                continue;
            }
            std::uint8_t b;
            if (!in.Next(b)) {
                result = 0;  // the data ended inside the page
                break;
            }
            if ((b & 0xC0) == 0xC0) {
                if (!in.Next(runValue)) {
                    result = 0;
                    break;
                }
                runLeft = b & 0x3F;
            } else {
                line[x++] = b;
            }
        }
        if (result != 1) break;
        std::uint8_t* dst = plane + static_cast<std::size_t>(y) * rowBytes;
        if (invert) {
            for (unsigned i = 0; i < rowBytes; ++i) dst[i] = static_cast<std::uint8_t>(~line[i]);
        } else {
            std::memcpy(dst, line.data(), rowBytes);
        }
        codecs::PostRowProgress(window, static_cast<int>(y + 1), static_cast<int>(height));
    }
    GlobalUnlock(page->m_hBits);
    return result;
}

}  // namespace

int CPcxCodec::Load(CPageImage* page, HANDLE stopEvent, HWND progressWindow) {
    if (!page) return 0;
    std::FILE* f = codecs::OpenFile(m_pszPath, "rb");
    if (!f) return 0;
    int result = codecs::StopRequested(stopEvent) ? 2 : Read(f, page, stopEvent, progressWindow);
    std::fclose(f);
    return result;
}

BOOL CPcxCodec::Save(CPageImage* page, int /*option*/) {
    CHostWaitCursor wait;
    if (!page || !page->m_hBits || page->m_nWidth <= 0 || page->m_nHeight <= 0) return FALSE;
    // The header holds the last column and row in 16 bits.
    if (page->m_nWidth > 65536 || page->m_nHeight > 65536) return FALSE;
    const unsigned width = static_cast<unsigned>(page->m_nWidth), height = static_cast<unsigned>(page->m_nHeight);
    const unsigned rowBytes = (width + 7) / 8;
    if (GlobalSize(page->m_hBits) < static_cast<SIZE_T>(rowBytes) * height) return FALSE;

    std::uint8_t h[kHeaderSize] = {};
    h[0] = 10;
    h[1] = 5;
    h[2] = 1;
    h[3] = 1;
    PutWord(h + 8, width - 1);
    PutWord(h + 10, height - 1);
    PutWord(h + 12, 200);
    PutWord(h + 14, 200);
    h[16] = h[17] = h[18] = 0xFF;  // colour 0 white
    h[65] = 1;
    PutWord(h + 66, rowBytes);
    PutWord(h + 68, 1);

    codecs::CAtomicFile file(m_pszPath);
    if (!file.Stream()) {
        ShowImageMessage("File open error");
        return FALSE;
    }
    std::vector<std::uint8_t> out;
    const auto* plane = static_cast<const std::uint8_t*>(GlobalLock(page->m_hBits));
    if (!plane) return FALSE;
    try {
        // Single bytes of 192 or more take two bytes: the output may reach
        // twice the plane.
        out.reserve(static_cast<std::size_t>(rowBytes) * height / 4 + 64);
        for (unsigned y = 0; y < height; ++y) {
            const std::uint8_t* row = plane + static_cast<std::size_t>(y) * rowBytes;
            for (unsigned i = 0; i < rowBytes;) {
                unsigned run = 1;
                while (i + run < rowBytes && row[i + run] == row[i]) ++run;
                const std::uint8_t v = row[i];
                if (run >= 2) {
                    for (unsigned k = 0; k < run / 63; ++k) out.insert(out.end(), {0xFF, v});
                    if (run % 63) out.insert(out.end(), {static_cast<std::uint8_t>(0xC0 | (run % 63)), v});
                } else if (v >= 0xC0) {
                    out.insert(out.end(), {0xC1, v});
                } else {
                    out.push_back(v);
                }
                i += run;
            }
        }
    } catch (const std::bad_alloc&) {
        GlobalUnlock(page->m_hBits);
        ShowImageMessage("Not enought memory!");
        return FALSE;
    }
    GlobalUnlock(page->m_hBits);
    if (!file.Write(h, kHeaderSize) || !file.Write(out.data(), out.size()) || !file.Commit()) {
        ShowImageWriteFailure("File write error");
        return FALSE;
    }
    return TRUE;
}
