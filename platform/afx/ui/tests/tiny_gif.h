// Writes small animated GIF files for tests: frames of up to four colours,
// coded with a clear code after every two pixels so that every code stays
// three bits wide (no compression, but a valid stream any reader takes).
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace suite_test {

struct GifFrame {
    std::vector<std::uint8_t> pixels;  // palette indices 0..3, rows top-down
};

inline bool WriteTinyGif(const std::string& path, int width, int height, const std::uint32_t palette[4],
                         const std::vector<GifFrame>& frames, int delayCs = 5) {
    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    auto word = [&out](int v) {
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    };
    word(width);
    word(height);
    out.insert(out.end(), {0xF1, 0, 0});  // global table of 4 colours
    for (int i = 0; i < 4; ++i)
        out.insert(out.end(), {static_cast<std::uint8_t>(palette[i] >> 16), static_cast<std::uint8_t>(palette[i] >> 8),
                               static_cast<std::uint8_t>(palette[i])});
    // Loop for ever.
    out.insert(out.end(), {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0});
    for (const GifFrame& frame : frames) {
        out.insert(out.end(), {0x21, 0xF9, 4, 0, static_cast<std::uint8_t>(delayCs), 0, 0, 0});
        out.push_back(0x2C);
        word(0);
        word(0);
        word(width);
        word(height);
        out.push_back(0);
        out.push_back(2);  // minimum code size
        std::vector<std::uint8_t> data;
        std::uint32_t bits = 0;
        int count = 0;
        auto put = [&](int code) {
            bits |= static_cast<std::uint32_t>(code) << count;
            count += 3;
            while (count >= 8) {
                data.push_back(static_cast<std::uint8_t>(bits & 0xFF));
                bits >>= 8;
                count -= 8;
            }
        };
        for (size_t i = 0; i < frame.pixels.size(); ++i) {
            if (i % 2 == 0) put(4);
            put(frame.pixels[i] & 3);
        }
        put(5);
        if (count > 0) data.push_back(static_cast<std::uint8_t>(bits & 0xFF));
        for (size_t at = 0; at < data.size(); at += 255) {
            const size_t n = std::min<size_t>(255, data.size() - at);
            out.push_back(static_cast<std::uint8_t>(n));
            out.insert(out.end(), data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + n));
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

}  // namespace suite_test
