#include "imaging/codecs/image_file_type.h"

#include <cstring>

BOOL GetImageFileType(const char* path, int* type) {
    static const char* const kExtensions[] = {"BMP", "TIF", "PCX", "PNG", "BKI", "PST", "JPG", "PDF"};
    if (!path || !type) return FALSE;
    const std::size_t length = std::strlen(path);
    std::size_t dot = 0;
    for (std::size_t i = length; i-- > 1;) {
        if (path[i] == '.') {
            dot = i;
            break;
        }
    }
    if (dot == 0) return FALSE;
    const char* extension = path + dot + 1;
    const std::size_t letters = std::strlen(extension);
    if (letters != 3 && letters != 4) return FALSE;
    char upper[5] = {0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < letters; ++i) {
        const char c = extension[i];
        upper[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    // The long spellings of TIFF and JPEG files.
    if (std::memcmp(upper, "TIFF", 5) == 0) std::memcpy(upper, "TIF", 4);
    if (std::memcmp(upper, "JPEG", 5) == 0) std::memcpy(upper, "JPG", 4);
    if (upper[3] != 0) return FALSE;
    for (int i = 0; i < 8; ++i) {
        if (std::memcmp(upper, kExtensions[i], 4) == 0) {
            *type = i + 1;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL GetImageFileType(const char* path, int* type, bool withPdf) {
    int found = IMGTYPE_UNKNOWN;
    if (!GetImageFileType(path, &found) || (found == IMGTYPE_PDF && !withPdf)) return FALSE;
    if (type) *type = found;
    return TRUE;
}
