#include "outside/ourpdf/page_join.h"

#include "outside/brenvo/pdf_picture_writer.h"
#include "outside/convert/bmp_format.h"
#include "outside/convert/file_io.h"
#include "outside/convert/tiff_format.h"
#include "platform/win/atomic_file.h"
#include "platform/win/memory.h"
#include "platform/win/path.h"

namespace ourpdf {
namespace {

constexpr std::size_t kMaxPageFileBytes = std::size_t(1) << 30;

bool fromDib(HDIB dib, brenvo::PdfPage& page) {
    if (!dib) return false;
    bool ok = false;
    {
        convert::DibReader reader;
        if (reader.open(dib) && brenvo::encodePicture(reader, page.picture)) {
            auto dpiOf = [](LONG pelsPerMeter) { return pelsPerMeter > 0 ? pelsPerMeter * 0.0254 : 300.0; };
            page.width = reader.width();
            page.height = reader.height();
            page.xDpi = dpiOf(reader.header().biXPelsPerMeter);
            page.yDpi = dpiOf(reader.header().biYPelsPerMeter);
            ok = true;
        }
    }
    GlobalFree(dib);
    return ok;
}

// The page's picture, its format told by its first bytes.
bool readPage(const std::string& path, brenvo::PdfPage& page) {
    const std::string native = suite::NativePathOfEither(path);
    std::vector<BYTE> bytes;
    if (!convert::readFileBytes(native, kMaxPageFileBytes, bytes) || bytes.size() < 4) return false;
    const auto never = [] { return false; };
    if (bytes[0] == 0xFF && bytes[1] == 0xD8) return brenvo::jpegPicture(std::move(bytes), page);
    if (bytes[0] == 'B' && bytes[1] == 'M') return fromDib(convert::decodeBmp(bytes.data(), bytes.size(), never), page);
    if ((bytes[0] == 'I' && bytes[1] == 'I' && bytes[2] == 42 && bytes[3] == 0) ||
        (bytes[0] == 'M' && bytes[1] == 'M' && bytes[2] == 0 && bytes[3] == 42))
        return fromDib(convert::decodeTiff(native, never), page);
    return false;
}

}  // namespace

JoinResult JoinPages(const std::vector<std::string>& pageFiles, const std::string& output,
                     const std::function<bool(int)>& progress) {
    if (pageFiles.empty()) return JoinResult::UnreadablePage;
    std::vector<brenvo::PdfPage> pages(pageFiles.size());
    for (std::size_t i = 0; i < pageFiles.size(); ++i) {
        if (progress && !progress(int(i))) return JoinResult::Stopped;
        if (!readPage(pageFiles[i], pages[i])) return JoinResult::UnreadablePage;
    }
    std::vector<BYTE> file = brenvo::buildPdf(pages);
    return SuiteWriteFileAtomically(output.c_str(), file.data(), file.size()) ? JoinResult::Done
                                                                              : JoinResult::WriteFailed;
}

}  // namespace ourpdf
