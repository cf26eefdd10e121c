// TIFF files through libtiff: the first page of any file libtiff reads, and
// pages written bi-level with CCITT G4, grey or colour with LZW.
#pragma once

#include "outside/convert/bmp_format.h"

#include <string>

namespace convert {

HDIB decodeTiff(const std::string& path, const StopCheck& stop);
// The file's pages (TIFF directories); 0 when libtiff cannot open it.
int countTiffPages(const std::string& path);
// Writes the DIB into the file at `path` (a new file; the caller renames it).
bool encodeTiff(const DibReader& dib, const std::string& path);

}  // namespace convert
