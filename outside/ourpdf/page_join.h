// Joins page image files into one PDF file: JPEG files keep their bytes, BMP
// and TIFF pages are encoded as the picture writer encodes a bitmap. The file
// is written whole under a temporary name and renamed into place.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ourpdf {

enum class JoinResult { Done, Stopped, UnreadablePage, WriteFailed };

// `progress`(page index 0-based) answers false to stop.
JoinResult JoinPages(const std::vector<std::string>& pageFiles, const std::string& output,
                     const std::function<bool(int)>& progress);

}  // namespace ourpdf
