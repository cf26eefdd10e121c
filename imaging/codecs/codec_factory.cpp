#include "imaging/codecs/codec_factory.h"

#include "imaging/codecs/image_file_type.h"
#include "imaging/codecs/library_codecs.h"
#include "imaging/formats/pcx_codec.h"
#include "imaging/formats/png_codec.h"

#include <new>

CImageCodec* CreateImageCodec(const char* path, int type) {
    switch (type) {
    case IMGTYPE_BMP:
        return new (std::nothrow) CBmpCodec(path);
    case IMGTYPE_TIF:
    case IMGTYPE_BKI:
        return new (std::nothrow) CTiffCodec(path);
    case IMGTYPE_PCX:
        return new (std::nothrow) CPcxCodec(path);
    case IMGTYPE_PNG:
        return new (std::nothrow) CPngCodec(path);
    case IMGTYPE_JPG:
        return new (std::nothrow) CJpgCodec(path);
    case IMGTYPE_PDF:
        return new (std::nothrow) CPdfCodec(path);
    default:
        return nullptr;
    }
}
