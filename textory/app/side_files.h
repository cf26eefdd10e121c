// The files a run leaves beside its image (the image's full path with
// ".PST", ".BKI", ".txt", ".DAT" or ".ATR" appended). A run notes which of
// them were there before it began and, at its end, removes only the ones it
// made itself: files the user had are kept, and so is the job's output
// document when it is one of them.
#pragma once

#include <array>
#include <string>

namespace textory {

class CSideFiles {
public:
    static constexpr std::array<const char*, 5> kSuffixes = {".PST", ".BKI", ".txt", ".DAT", ".ATR"};

    // Notes the side files of `imagePath` (Windows-style) that exist now.
    void Note(const std::string& imagePath, const std::string& outputPath);
    // The side files of `imagePath` were handed to another program (the
    // proofreading program reads them): they are the user's from now on.
    void Keep(const std::string& imagePath);
    // Removes the side files that did not exist when noted, and were not
    // kept; the number removed.
    int RemoveOwn() const;

    static std::string SidePath(const std::string& imagePath, const char* suffix);

private:
    std::string image_, output_;
    std::array<bool, kSuffixes.size()> existed_{};
    bool noted_ = false;
};

}  // namespace textory
