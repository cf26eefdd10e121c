#include "imaging/formats/file_helpers.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/win/path.h"

namespace codecs {

std::FILE* OpenFile(const char* path, const char* mode) {
    if (!path || !*path) return nullptr;
    std::string native;
    if (!suite::TryNativePath(path, native)) return nullptr;
    return std::fopen(native.c_str(), mode);
}

long long BytesLeft(std::FILE* f) {
    long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) return 0;
    long end = std::ftell(f);
    std::fseek(f, here, SEEK_SET);
    return end > here ? end - here : 0;
}

CAtomicFile::CAtomicFile(const char* path) {
    if (!path || !*path || !suite::TryNativePath(path, m_final)) return;
    m_temp = m_final + ".XXXXXX";
    int fd = mkstemp(m_temp.data());
    if (fd < 0) {
        m_temp.clear();
        return;
    }
    m_file = fdopen(fd, "wb");
    if (!m_file) {
        close(fd);
        std::remove(m_temp.c_str());
        m_temp.clear();
    }
}

CAtomicFile::~CAtomicFile() {
    if (m_file) std::fclose(m_file);
    if (!m_temp.empty()) std::remove(m_temp.c_str());
}

bool CAtomicFile::Write(const void* data, std::size_t size) {
    if (!m_file || m_failed) return false;
    if (size && std::fwrite(data, 1, size, m_file) != size) m_failed = true;
    return !m_failed;
}

bool CAtomicFile::Commit() {
    if (!m_file) return false;
    bool ok = !m_failed && std::fflush(m_file) == 0 && fsync(fileno(m_file)) == 0;
    ok = std::fclose(m_file) == 0 && ok;
    m_file = nullptr;
    if (ok) {
        // mkstemp makes the file private; give it the usual permissions.
        mode_t mask = umask(0);
        umask(mask);
        chmod(m_temp.c_str(), 0666 & ~mask);
        ok = std::rename(m_temp.c_str(), m_final.c_str()) == 0;
    }
    if (ok) m_temp.clear();
    return ok;
}

}  // namespace codecs
