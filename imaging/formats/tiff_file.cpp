#include "imaging/formats/tiff_file.h"

bool CStdioTiffFile::Seek(std::uint64_t position) {
    return m_file && position <= 0x7FFFFFFFFFFFull && fseeko(m_file, static_cast<off_t>(position), SEEK_SET) == 0;
}

std::size_t CStdioTiffFile::Read(void* buffer, std::size_t n) { return m_file ? std::fread(buffer, 1, n, m_file) : 0; }

bool CStdioTiffFile::Write(const void* data, std::size_t n) {
    return m_file && (n == 0 || std::fwrite(data, 1, n, m_file) == n);
}

std::uint64_t CStdioTiffFile::Length() {
    if (!m_file) return 0;
    off_t here = ftello(m_file);
    if (here < 0 || fseeko(m_file, 0, SEEK_END) != 0) return 0;
    off_t end = ftello(m_file);
    fseeko(m_file, here, SEEK_SET);
    return end > 0 ? static_cast<std::uint64_t>(end) : 0;
}
