// Points SANE at its "test" backend for the current process: a private
// configuration folder (no trailing ':', so no system backend is added) with
// dll.conf "test" and a copy of the system's test.conf with the test options
// on and the "Color pattern" picture. Must run before the first SANE call.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>
#include <sstream>
#include <string>

namespace scantest {

inline std::string PrepareSaneTestDevice(const std::filesystem::path& folder, const std::string& readStatus = "Default") {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "dll.conf") << "test\n";
    // The system's settings, line by line, with the test's own in place of theirs.
    std::ifstream in("/etc/sane.d/test.conf");
    std::string conf, line;
    const std::pair<std::string, std::string> replaced[] = {
        {"enable-test-options", "enable-test-options true"},
        {"test-picture", "test-picture \"Color pattern\""},
        {"read-status-code", "read-status-code \"" + readStatus + "\""},
        {"number_of_devices", "number_of_devices 1"},
    };
    while (std::getline(in, line)) {
        for (const auto& [key, value] : replaced)
            if (line.compare(0, key.size(), key) == 0 && (line.size() == key.size() || line[key.size()] == ' ')) line = value;
        conf += line + "\n";
    }
    std::ofstream(folder / "test.conf") << conf;
    setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
    return folder.string();
}

// Points SANE at the test sheet feeder "pagefeed" (built beside the tests):
// its sheets are the PGM and PBM files of `pages`, in name order.
inline void PreparePageFeeder(const std::filesystem::path& folder, const std::filesystem::path& pages) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "dll.conf") << "pagefeed\n";
    setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
    setenv("SUITE_PAGEFEED_DIR", pages.c_str(), 1);
    const std::string bin = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    const char* old = std::getenv("LD_LIBRARY_PATH");
    setenv("LD_LIBRARY_PATH", (bin + (old && *old ? ":" + std::string(old) : std::string())).c_str(), 1);
}

// A binary PNM file (P4, P5 or P6) as 8-bit samples: 1-bit black is 0.
struct Pnm {
    int width = 0, height = 0, channels = 0;
    std::vector<unsigned char> samples;
};

inline bool ReadPnm(const std::filesystem::path& path, Pnm& pnm) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    in >> magic;
    int maxval = 1;
    auto skip = [&] {
        in >> std::ws;
        while (in.peek() == '#') {
            std::string line;
            std::getline(in, line);
            in >> std::ws;
        }
    };
    skip();
    in >> pnm.width;
    skip();
    in >> pnm.height;
    if (magic != "P4") {
        skip();
        in >> maxval;
    }
    in.get();
    if (!in || pnm.width <= 0 || pnm.height <= 0) return false;
    pnm.channels = magic == "P6" ? 3 : 1;
    const std::size_t n = std::size_t(pnm.width) * std::size_t(pnm.height) * std::size_t(pnm.channels);
    pnm.samples.resize(n);
    if (magic == "P4") {
        const std::size_t rowBytes = (std::size_t(pnm.width) + 7) / 8;
        std::vector<unsigned char> row(rowBytes);
        for (int y = 0; y < pnm.height; ++y) {
            in.read(reinterpret_cast<char*>(row.data()), std::streamsize(rowBytes));
            for (int x = 0; x < pnm.width; ++x)
                pnm.samples[std::size_t(y) * std::size_t(pnm.width) + std::size_t(x)] =
                    (row[std::size_t(x) / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
        }
    } else {
        if (maxval != 255) return false;
        in.read(reinterpret_cast<char*>(pnm.samples.data()), std::streamsize(n));
    }
    return bool(in);
}

}  // namespace scantest
