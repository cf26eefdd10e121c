#include "textory/app/side_files.h"

#include "platform/win/codepage.h"
#include "platform/win/files.h"

namespace textory {

std::string CSideFiles::SidePath(const std::string& imagePath, const char* suffix) { return imagePath + suffix; }

void CSideFiles::Note(const std::string& imagePath, const std::string& outputPath) {
    image_ = imagePath;
    output_ = outputPath;
    for (std::size_t i = 0; i < kSuffixes.size(); ++i) existed_[i] = suite::FileExists(SidePath(image_, kSuffixes[i]));
    noted_ = true;
}

void CSideFiles::Keep(const std::string& imagePath) {
    if (noted_ && suite::AnsiToLower(imagePath) == suite::AnsiToLower(image_)) existed_.fill(true);
}

int CSideFiles::RemoveOwn() const {
    if (!noted_) return 0;
    int removed = 0;
    const std::string output = suite::AnsiToLower(output_);
    for (std::size_t i = 0; i < kSuffixes.size(); ++i) {
        const std::string path = SidePath(image_, kSuffixes[i]);
        if (existed_[i] || suite::AnsiToLower(path) == output) continue;
        if (suite::FileExists(path) && DeleteFileA(path.c_str())) ++removed;
    }
    return removed;
}

}  // namespace textory
