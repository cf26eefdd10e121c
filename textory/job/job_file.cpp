#include "textory/job/job_file.h"

#include <charconv>

#include "platform/win/atomic_file.h"
#include "platform/win/files.h"

namespace textory {
namespace {

bool isTrailing(char c) { return c == '\r' || c == '\n' || c == ' '; }

// A status column: unsigned decimal; the signed form older writers used
// ("-2147483648") is taken as the same 32 bits.
bool parseStatus(std::string_view text, std::uint32_t& out) {
    if (text.empty()) return false;
    const bool negative = text[0] == '-';
    if (negative) text.remove_prefix(1);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > 0xFFFFFFFFull) return false;
    if (negative && value > 0x80000000ull) return false;
    out = static_cast<std::uint32_t>(negative ? (0x100000000ull - value) & 0xFFFFFFFFull : value);
    return true;
}

// One line (its end already cut off) into a row; FALSE ends the reading.
bool parseLine(std::string_view line, JobRow& row) {
    while (!line.empty() && isTrailing(line.back())) line.remove_suffix(1);
    if (line.empty()) return false;
    // Scanning back, the fourth blank ends the path.
    std::size_t blanks[4];
    int found = 0;
    for (std::size_t i = line.size(); i-- > 0 && found < 4;)
        if (line[i] == ' ') blanks[found++] = i;
    if (found < 4) return false;
    const std::size_t pathEnd = blanks[3];
    if (pathEnd == 0) return false;
    row.path = std::string(line.substr(0, pathEnd));
    row.language = std::string(line.substr(blanks[3] + 1, blanks[2] - blanks[3] - 1));
    row.type = std::string(line.substr(blanks[2] + 1, blanks[1] - blanks[2] - 1));
    std::uint32_t status = 0;
    if (!parseStatus(line.substr(blanks[1] + 1, blanks[0] - blanks[1] - 1), status)) return false;
    row.status = status;
    row.resolution = std::string(line.substr(blanks[0] + 1));
    return true;
}

}  // namespace

JobFileContent ParseJobFile(std::string_view bytes) {
    JobFileContent content;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = bytes.size();
        JobRow row;
        if (!parseLine(bytes.substr(at, end - at), row)) break;
        if (row.status & kJobFocusBit) content.focusedRow = static_cast<int>(content.rows.size());
        row.status &= ~kJobFocusBit;
        content.rows.push_back(std::move(row));
        // CR LF counts as one line end, as does a lone CR or LF.
        at = end;
        if (at < bytes.size() && bytes[at] == '\r') ++at;
        if (at < bytes.size() && bytes[at] == '\n') ++at;
    }
    return content;
}

std::string FormatJobFile(const std::vector<JobRow>& rows, int focusedRow) {
    std::string out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const JobRow& row = rows[i];
        const std::uint32_t status =
            (row.status & ~kJobFocusBit) | (static_cast<int>(i) == focusedRow ? kJobFocusBit : 0u);
        out += row.path + " " + row.language + " " + row.type + " " + std::to_string(status) + " " +
               row.resolution + " \r\n";
    }
    return out;
}

JobFileError ReadJobFile(const std::string& path, JobFileContent& out) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return JobFileError::kCannotOpen;
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    const std::uint64_t size = (static_cast<std::uint64_t>(high) << 32) | low;
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        CloseHandle(file);
        return JobFileError::kCannotOpen;
    }
    if (size > kMaxJobFileBytes) {
        CloseHandle(file);
        return JobFileError::kTooLarge;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    DWORD read = 0;
    const BOOL ok = size == 0 || ReadFile(file, bytes.data(), static_cast<DWORD>(size), &read, nullptr);
    CloseHandle(file);
    if (!ok) return JobFileError::kCannotOpen;
    bytes.resize(read);
    out = ParseJobFile(bytes);
    return JobFileError::kNone;
}

JobFileError WriteJobFile(const std::string& path, const std::vector<JobRow>& rows, int focusedRow) {
    const std::string bytes = FormatJobFile(rows, focusedRow);
    return SuiteWriteFileAtomically(path.c_str(), bytes.data(), bytes.size()) ? JobFileError::kNone
                                                                                : JobFileError::kCannotWrite;
}

}  // namespace textory
