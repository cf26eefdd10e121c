// The exported entry points of the conversion library.
#include "outside/include/convert_library.h"
#include "outside/include/library_export.h"

#include "outside/convert/bmp_format.h"
#include "outside/convert/file_io.h"
#include "outside/convert/jpeg_format.h"
#include "outside/convert/tiff_format.h"

#include "platform/win/atomic_file.h"
#include "platform/win/path.h"
#include "platform/win/sync.h"

namespace {

// Files larger than this are not read into memory.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

convert::StopCheck stopCheckFor(HANDLE stopEvent) {
    if (!stopEvent) return {};
    return [stopEvent] { return WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0; };
}

template <typename Decode>
HDIB readInMemory(const char* path, HANDLE stopEvent, Decode decode) {
    if (!path) return nullptr;
    std::vector<BYTE> bytes;
    if (!convert::readFileBytes(suite::NativePath(path), kMaxFileBytes, bytes)) return nullptr;
    return decode(bytes.data(), bytes.size(), stopCheckFor(stopEvent));
}

template <typename Encode>
BOOL writeEncoded(HDIB dib, const char* path, Encode encode) {
    if (!path) return FALSE;
    std::vector<BYTE> file;
    {
        convert::DibReader reader;
        if (!reader.open(dib) || !encode(reader, file)) return FALSE;
    }
    return SuiteWriteFileAtomically(path, file.data(), file.size());
}

}  // namespace

SUITE_LIBRARY_EXPORT HDIB Bmp2HDIB(HWND, const char* path, HANDLE stopEvent) {
    if (!path) return nullptr;
    return convert::readBmpFile(suite::NativePath(path), kMaxFileBytes, stopCheckFor(stopEvent));
}

SUITE_LIBRARY_EXPORT HDIB Jpg2HDIB(HWND, const char* path, HANDLE stopEvent) {
    return readInMemory(path, stopEvent, convert::decodeJpeg);
}

SUITE_LIBRARY_EXPORT HDIB Tiff2HDIB(HWND, const char* path, HANDLE stopEvent) {
    if (!path) return nullptr;
    return convert::decodeTiff(suite::NativePath(path), stopCheckFor(stopEvent));
}

SUITE_LIBRARY_EXPORT int TiffPageCount(const char* path) {
    if (!path) return 0;
    return convert::countTiffPages(suite::NativePath(path));
}

SUITE_LIBRARY_EXPORT BOOL HDIB2Bmp(HWND, HDIB dib, const char* path) {
    return writeEncoded(dib, path, convert::encodeBmp);
}

SUITE_LIBRARY_EXPORT BOOL HDIB2Jpg(HWND, HDIB dib, const char* path) {
    return writeEncoded(dib, path, convert::encodeJpeg);
}

SUITE_LIBRARY_EXPORT BOOL HDIB2Tiff(HWND, HDIB dib, const char* path) {
    if (!path) return FALSE;
    convert::DibReader reader;
    if (!reader.open(dib)) return FALSE;
    return SuiteReplaceFileAtomically(path, [&](const std::string& temp) { return convert::encodeTiff(reader, temp); });
}
