// Reads arbitrary bytes as the queue file of Scribant and checks what must
// hold whatever a second start (or anything else) left in it: the lines come
// back whole without their line ends, none empty, in the order of the file;
// reading empties the file; lines put back come out again unchanged, and a
// line taken back is gone while the others stay.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "shell/app/queue_file.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

std::string& ScratchFolder() {
    static std::string folder;
    return folder;
}

// One scratch folder for the whole run (the queue file and its lock live
// there), removed when the run ends.
const std::string& Folder() {
    std::string& folder = ScratchFolder();
    if (folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/queue-fuzz-XXXXXX";
        Require(mkdtemp(pattern.data()) != nullptr);
        setenv("SUITE_RUNTIME_DIR", pattern.c_str(), 1);
        folder = pattern;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(ScratchFolder(), ec);
        });
    }
    return folder;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string contents(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = SplitQueueLines(contents);

    // Whole lines in file order, without line ends, none empty.
    std::size_t at = 0;
    for (const std::string& line : lines) {
        Require(!line.empty());
        Require(line.find('\n') == std::string::npos);
        const std::size_t found = contents.find(line, at);
        Require(found != std::string::npos);
        at = found + line.size();
    }

    const std::string path = Folder() + "/queue.txt";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << contents;
    }
    const CQueueFile queue(path, "queue fuzz lock");
    bool ok = false;
    Require(queue.TakeAll(&ok) == lines);
    Require(ok);
    Require(ReadAll(path).empty());

    // Lines without a carriage return at their end survive a put-back whole.
    std::vector<std::string> kept;
    for (const std::string& line : lines)
        if (line.back() != '\r') kept.push_back(line);
    Require(queue.PutBack(kept));
    if (!kept.empty()) {
        Require(queue.TakeBack(kept.back()));
        std::vector<std::string> rest(kept.begin(), kept.end() - 1);
        Require(queue.TakeAll() == rest);
    } else {
        Require(queue.TakeAll().empty());
    }
    return 0;
}
