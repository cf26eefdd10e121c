#include "imaging/image_codec.h"

#include <cstring>
#include <new>

CImageCodec::CImageCodec(const char* path) {
    const std::size_t length = path ? std::strlen(path) : 0;
    m_pszPath = new (std::nothrow) char[length + 1];
    if (m_pszPath) {
        if (length) std::memcpy(m_pszPath, path, length);
        m_pszPath[length] = '\0';
    }
}

CImageCodec::~CImageCodec() { delete[] m_pszPath; }
