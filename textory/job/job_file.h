// Textory's job file (.OCR): one line per page-list row, in list order:
// path, language, type, status and resolution, each followed by one blank,
// the line ended by CR LF. The path may hold blanks, the other columns may
// not. The status is an unsigned decimal number whose bit 31 marks the row
// that had the focus.
//
// Reading takes CR LF, LF or CR as a line end; a line that is empty after
// trimming, or has fewer than four blanks, ends the reading. Files larger
// than kMaxJobFileBytes are not read at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace textory {

struct JobRow {
    std::string path;
    std::string language;
    std::string type;
    std::uint32_t status = 0;  // without the focus bit
    std::string resolution;
    bool operator==(const JobRow&) const = default;
};

struct JobFileContent {
    std::vector<JobRow> rows;
    int focusedRow = -1;  // the row whose status carried bit 31; -1 when none
};

inline constexpr std::uint32_t kJobFocusBit = 0x80000000u;
inline constexpr std::size_t kMaxJobFileBytes = std::size_t{64} << 20;

JobFileContent ParseJobFile(std::string_view bytes);
// The file's bytes; `focusedRow` gets bit 31 in its status (-1: none).
std::string FormatJobFile(const std::vector<JobRow>& rows, int focusedRow);

enum class JobFileError { kNone, kCannotOpen, kTooLarge, kCannotWrite };

// Reads a job file (Windows-style path).
JobFileError ReadJobFile(const std::string& path, JobFileContent& out);
// Writes it whole or not at all: an old file stays as it was on failure.
JobFileError WriteJobFile(const std::string& path, const std::vector<JobRow>& rows, int focusedRow);

}  // namespace textory
