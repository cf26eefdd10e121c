// The job-file reader on arbitrary bytes: every row read has a path and four
// blank-free columns, the focused row is one of them, and what is read
// writes out and reads back the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "textory/job/job_file.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

bool blankFree(const std::string& column) {
    return column.find_first_of(" \r\n") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const textory::JobFileContent content = textory::ParseJobFile(bytes);
    Require(content.focusedRow >= -1 && content.focusedRow < static_cast<int>(content.rows.size()));
    for (const textory::JobRow& row : content.rows) {
        Require(!row.path.empty());
        Require(row.path.find_first_of("\r\n") == std::string::npos);
        Require(blankFree(row.language) && blankFree(row.type) && blankFree(row.resolution));
        Require((row.status & textory::kJobFocusBit) == 0);
    }
    const textory::JobFileContent back =
        textory::ParseJobFile(textory::FormatJobFile(content.rows, content.focusedRow));
    Require(back.rows == content.rows);
    Require(back.focusedRow == content.focusedRow);
    return 0;
}
