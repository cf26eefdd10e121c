// The image-file codec interface: a codec is made for one file path, asked once
// to load that file into a page image or to save a page image into it, and is
// then destroyed through a CImageCodec pointer.
#pragma once

#include "platform/win/types.h"

#include <cstring>
#include <new>

class CPageImage;

// Results of CImageCodec::Load.
constexpr int IMAGE_LOAD_FAILED = 0;
constexpr int IMAGE_LOAD_DONE = 1;
constexpr int IMAGE_LOAD_STOPPED = 2;

class CImageCodec {
public:
    explicit CImageCodec(const char* path) {
        const std::size_t length = path ? std::strlen(path) : 0;
        m_pszPath = new (std::nothrow) char[length + 1];
        if (m_pszPath) {
            if (length) std::memcpy(m_pszPath, path, length);
            m_pszPath[length] = '\0';
        }
    }
    CImageCodec(const CImageCodec&) = delete;
    CImageCodec& operator=(const CImageCodec&) = delete;
    virtual ~CImageCodec() { delete[] m_pszPath; }

    // Loads the file into `page`, a new empty page image: 1 loaded, 0 failed,
    // 2 stopped because `stopEvent` was found set (it is only tested, never
    // waited on). `progressWindow` receives WM_IMAGEPROGRESS posts.
    virtual int Load(CPageImage* page, HANDLE stopEvent, HWND progressWindow) = 0;
    // Writes `page` into the file; nonzero when written. Callers pass option 0.
    virtual BOOL Save(CPageImage* page, int option) = 0;

protected:
    char* m_pszPath;  // the codec's own copy of the path; NULL when memory was short
};
