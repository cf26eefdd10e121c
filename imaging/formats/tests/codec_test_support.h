// Shared pieces of the file codec tests: page images made from test pages,
// their planes read back, temporary files, and the signal hooks.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "imaging/compress/tests/test_pages.h"
#include "imaging/formats/codec_signals.h"
#include "imaging/page_image.h"
#include "imaging/tests/fake_image_host.h"
#include "platform/win/tests/temporary_folder.h"

namespace codectest {

inline void Fill(CPageImage& img, const testpages::Page& p) {
    img.Empty();
    img.m_nWidth = p.width;
    img.m_nHeight = p.height;
    img.m_nBitCount = 1;
    ASSERT_TRUE(img.AllocBits(static_cast<DWORD>(p.bits.size())));
    auto* d = static_cast<std::uint8_t*>(GlobalLock(img.m_hBits));
    std::copy(p.bits.begin(), p.bits.end(), d);
    GlobalUnlock(img.m_hBits);
}

inline std::vector<std::uint8_t> Plane(const CPageImage& img) {
    std::vector<std::uint8_t> out;
    if (!img.m_hBits) return out;
    auto* d = static_cast<std::uint8_t*>(GlobalLock(img.m_hBits));
    out.assign(d, d + img.PlaneBytes());
    GlobalUnlock(img.m_hBits);
    return out;
}

// A plane with the bits past the width cleared, as a standard reader sees it.
inline std::vector<std::uint8_t> Trim(std::vector<std::uint8_t> bits, int width) {
    if (width % 8) {
        std::size_t rb = static_cast<std::size_t>(width + 7) / 8;
        std::uint8_t keep = static_cast<std::uint8_t>(0xFF << (8 - width % 8));
        for (std::size_t i = rb - 1; i < bits.size(); i += rb) bits[i] &= keep;
    }
    return bits;
}

struct TempFile {
    std::string path;
    explicit TempFile(const char* ext) {
        std::string name = suite_test::TemporaryRoot() + "/codec_fileXXXXXX";
        int fd = mkstemp(name.data());
        close(fd);
        std::remove(name.c_str());
        path = name + ext;
    }
    ~TempFile() { std::remove(path.c_str()); }
    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> b;
        if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
            int c;
            while ((c = std::fgetc(f)) != EOF) b.push_back(static_cast<std::uint8_t>(c));
            std::fclose(f);
        }
        return b;
    }
    void Put(const std::vector<std::uint8_t>& b) const {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(b.data(), 1, b.size(), f);
        std::fclose(f);
    }
    bool Exists() const { return access(path.c_str(), F_OK) == 0; }
};

// Records the progress posts; can ask for a stop after some stop tests.
struct Signals {
    static inline std::vector<std::pair<WPARAM, LPARAM>> posts;
    static inline int testsUntilStop = -1;
    Signals() {
        posts.clear();
        testsUntilStop = -1;
        codecs::SetMessagePoster([](HWND, UINT msg, WPARAM w, LPARAM l) {
            if (msg == WM_IMAGEPROGRESS) posts.push_back({w, l});
        });
        codecs::SetStopTest([](HANDLE) { return testsUntilStop >= 0 && testsUntilStop-- == 0; });
    }
    ~Signals() {
        codecs::SetMessagePoster(nullptr);
        codecs::SetStopTest(nullptr);
    }
    // Any non-null handle will do: the installed test decides.
    static HANDLE Event() { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(1)); }
};

}  // namespace codectest
