// libtiff as the other side of the fax, LZW and PackBits interoperability
// tests: files written through libtiff, and their raw strips read back.
#pragma once

#include <tiffio.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/compress/tests/test_pages.h"
#include "platform/win/tests/temporary_folder.h"

namespace testtiff {

struct TempPath {
    std::string path;
    TempPath() {
        std::string name = suite_test::TemporaryRoot() + "/codec_testXXXXXX";
        int fd = mkstemp(name.data());
        if (fd < 0) throw std::runtime_error("mkstemp");
        close(fd);
        path = name;
    }
    ~TempPath() { std::remove(path.c_str()); }
};

struct Options {
    int compression = COMPRESSION_NONE;
    int fillOrder = FILLORDER_MSB2LSB;
    std::uint32_t group3Options = 0;
    int photometric = PHOTOMETRIC_MINISWHITE;
    int rowsPerStrip = 0;  // 0: one strip
    int predictor = 0;
    int resolution = 300;
};

// Writes the page through libtiff: its bits go in as they are, so with
// MINISWHITE a set bit is black.
inline void Write(const std::string& path, const testpages::Page& p, const Options& o) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) throw std::runtime_error("TIFFOpen for writing");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(p.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(p.height));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_COMPRESSION, o.compression);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, o.photometric);
    TIFFSetField(t, TIFFTAG_FILLORDER, o.fillOrder);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, static_cast<float>(o.resolution));
    TIFFSetField(t, TIFFTAG_YRESOLUTION, static_cast<float>(o.resolution));
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    if (o.compression == COMPRESSION_CCITTFAX3) TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, o.group3Options);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP,
                 static_cast<std::uint32_t>(o.rowsPerStrip > 0 ? o.rowsPerStrip : p.height));
    std::vector<std::uint8_t> row(p.RowBytes());
    for (int y = 0; y < p.height; ++y) {
        std::copy(p.bits.begin() + y * p.RowBytes(), p.bits.begin() + (y + 1) * p.RowBytes(), row.begin());
        if (TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), 0) < 0)
            throw std::runtime_error("TIFFWriteScanline");
    }
    TIFFClose(t);
}

// The raw bytes of every strip, as stored.
inline std::vector<std::vector<std::uint8_t>> RawStrips(const std::string& path, std::uint32_t* rowsPerStrip = nullptr) {
    TIFF* t = TIFFOpen(path.c_str(), "r");
    if (!t) throw std::runtime_error("TIFFOpen for reading");
    std::vector<std::vector<std::uint8_t>> strips;
    tstrip_t n = TIFFNumberOfStrips(t);
    toff_t* counts = nullptr;
    TIFFGetField(t, TIFFTAG_STRIPBYTECOUNTS, &counts);
    for (tstrip_t s = 0; s < n; ++s) {
        std::vector<std::uint8_t> data(counts[s]);
        if (TIFFReadRawStrip(t, s, data.data(), static_cast<tmsize_t>(data.size())) < 0)
            throw std::runtime_error("TIFFReadRawStrip");
        strips.push_back(std::move(data));
    }
    if (rowsPerStrip) TIFFGetFieldDefaulted(t, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    TIFFClose(t);
    return strips;
}

// Decodes a file through libtiff: rows as the file's bits.
inline testpages::Page Read(const std::string& path) {
    TIFF* t = TIFFOpen(path.c_str(), "r");
    if (!t) throw std::runtime_error("TIFFOpen for reading");
    std::uint32_t w = 0, h = 0;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
    testpages::Page p = testpages::Blank(static_cast<int>(w), static_cast<int>(h));
    for (std::uint32_t y = 0; y < h; ++y)
        if (TIFFReadScanline(t, p.bits.data() + y * p.RowBytes(), y, 0) < 0) {
            TIFFClose(t);
            throw std::runtime_error("TIFFReadScanline");
        }
    TIFFClose(t);
    return p;
}

// Writes coded data as a single strip through libtiff, so libtiff decodes it.
inline void WriteRaw(const std::string& path, int width, int height, int compression, const std::vector<std::uint8_t>& data,
                     std::uint32_t group3Options = 0, int fillOrder = FILLORDER_MSB2LSB) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) throw std::runtime_error("TIFFOpen for writing");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(height));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_FILLORDER, fillOrder);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(height));
    if (compression == COMPRESSION_CCITTFAX3) TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, group3Options);
    TIFFWriteRawStrip(t, 0, const_cast<std::uint8_t*>(data.data()), static_cast<tmsize_t>(data.size()));
    TIFFClose(t);
}

// Clears the bits past the width, which no coder keeps.
inline testpages::Page Trimmed(testpages::Page p) {
    if (p.width % 8) {
        std::uint8_t keep = static_cast<std::uint8_t>(0xFF << (8 - p.width % 8));
        for (int y = 0; y < p.height; ++y) p.bits[y * p.RowBytes() + p.RowBytes() - 1] &= keep;
    }
    return p;
}

}  // namespace testtiff
