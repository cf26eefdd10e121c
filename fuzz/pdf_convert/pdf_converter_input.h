// The part of a fuzz input both converter targets share: three leading bytes
// choose the page range and where a conversion is stopped, the rest is the
// PDF file, written to the run's scratch folder.
#pragma once

#include "fuzz/common/scratch_folder.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzzing {

struct ConverterInput {
    int firstPage = 1;
    int lastPage = 1;
    int stopAt = 0;  // progress call that answers "stop"; 0: none
    std::string pdf;
    std::string output;
};

// False when the input is too short or its file cannot be written.
inline bool PrepareConverterInput(const uint8_t* data, size_t size, const char* outputName, ConverterInput& in) {
    if (size < 3) return false;
    in.firstPage = data[0] % 4;  // 0 is a bad first page, on purpose
    in.lastPage = in.firstPage + data[1] % 4 - 1;
    in.stopAt = data[2] % 8;
    in.pdf = ScratchFolder() + "/in.pdf";
    in.output = ScratchFolder() + "/" + outputName;
    std::FILE* f = std::fopen(in.pdf.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(data + 3, 1, size - 3, f) == size - 3;
    return std::fclose(f) == 0 && written;
}

}  // namespace fuzzing
