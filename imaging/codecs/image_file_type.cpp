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
    if (std::strlen(extension) != 3) return FALSE;
    char upper[4] = {0, 0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const char c = extension[i];
        upper[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
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
