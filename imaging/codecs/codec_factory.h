// The codec of an image file type.
#pragma once

#include "imaging/image_codec.h"

// A new codec for `path` of `type` (BMP, TIF, PCX, PNG, BKI, JPG, PDF); NULL
// for IMGTYPE_UNKNOWN, IMGTYPE_PST and any other value, and when memory is
// short. The caller owns the codec.
CImageCodec* CreateImageCodec(const char* path, int type);
