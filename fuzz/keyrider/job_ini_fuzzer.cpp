// Any job ini through the scan job: the settings block, the action settings
// and a run of three pages. Every file the job makes lies in the output folder
// (or in the job's private folder while it runs), and nothing stays behind
// outside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "keyrider/scan_job.h"
#include "platform/win/ini.h"
#include "platform/win/path.h"
#include "platform/win/registry.h"

namespace fs = std::filesystem;

namespace {

int ScanPages(SCAN_SETTINGS*, SCANPAGEPROC callback, void* argument) {
    for (int i = 0; i < 3; ++i) {
        IL_IMAGE page{};
        page.Header = new IL_IMAGEHEADER{sizeof(IL_IMAGEHEADER), 8, 8, 8, 8, 0, 100, 100};
        page.Bits = static_cast<BYTE*>(std::calloc(64, 1));
        page.Flags = IL_FLAG_FREE_AFTER_USE;
        int goOn = callback(&page, argument);
        delete page.Header;
        std::free(page.Bits);
        if (!goOn) break;
    }
    return 1;
}
int EndJob(const BYTE*) { return 1; }

struct World {
    fs::path root, out, ini;
    HKEY app = nullptr;
    World() {
        char pattern[] = "/tmp/job-ini-fuzz-XXXXXX";
        root = mkdtemp(pattern);
        out = root / "out";
        ini = root / "job.ini";
        setenv("SUITE_REGISTRY_USER", (root / "user.db").c_str(), 1);
        setenv("SUITE_REGISTRY_MACHINE", (root / "machine.db").c_str(), 1);
        setenv("TMPDIR", root.c_str(), 1);
        HKEY formats = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Fuzz\\Keyrider\\File Format", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &formats, nullptr);
        const char* entries[] = {"1,B", "2,J", "3,T", "5,P", "11,M", "6,PDF", "13,PDF", "4,T", "12,M"};
        for (int i = 0; i < 9; ++i)
            RegSetValueExA(formats, std::to_string(i + 1).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(entries[i]),
                           DWORD(std::strlen(entries[i]) + 1));
        RegCloseKey(formats);
        RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Fuzz\\Keyrider", 0, KEY_ALL_ACCESS, &app);
    }
};

// Whether `path` (as the job names it) lies in `folder`.
bool Inside(const std::string& path, const fs::path& folder) {
    fs::path p = fs::weakly_canonical(suite::NativePathOfEither(path));
    fs::path f = fs::weakly_canonical(folder);
    auto [a, b] = std::mismatch(f.begin(), f.end(), p.begin(), p.end());
    return a == f.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static World w;
    static SCAN_FUNCTIONTABLE scan = [] {
        SCAN_FUNCTIONTABLE t{};
        t.ScanPages = ScanPages;
        t.ScanEndJob = EndJob;
        return t;
    }();
    if (size > 4096) return 0;
    std::ofstream(w.ini, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
    // The output folder is the fuzzer's own; everything else comes from the input.
    WritePrivateProfileStringA("1\\Folder", "1", w.out.c_str(), w.ini.c_str());
    for (const char* action : {"filing", "pdf", "custom", "e-mail"}) {
        keyrider::JobServices s;
        s.appKey = w.app;
        s.image = IL_GetFunctionTable();
        s.scan = &scan;
        s.launch = [](const std::string&, const std::string&) { return true; };
        bool reported = false;
        s.report = [&reported](const std::string&) { reported = true; };
        keyrider::CScanJob job(keyrider::JobProfile(w.ini.string()), std::move(s));
        job.SetNames("1", "Gray", "ADF");
        job.sendMail = [](const std::vector<std::string>&) {};
        SCAN_SETTINGS block{};
        job.ReadScanSettings(&block);
        if (block.Rotate != block.RotateFront) std::abort();
        if (!job.ReadActionSettings(action)) continue;
        job.ReadScanSettings(&job.Block());
        job.DispatchJobOutput(action);
        for (const std::string& f : job.Finished())
            if (!Inside(f, w.out)) std::abort();
        // Nothing but the output folder, the ini and the registry stores is left,
        // but for pages the job kept in its own folder and said so.
        for (const auto& e : fs::directory_iterator(w.root)) {
            const std::string name = e.path().filename().string();
            if (name == "out" || name == "job.ini" || name.find(".db") != std::string::npos) continue;
            if (name.rfind("keyrider-job-", 0) != 0 || !reported) std::abort();
            std::error_code ec;
            fs::remove_all(e.path(), ec);
        }
    }
    std::error_code ec;
    fs::remove_all(w.out, ec);
    return 0;
}
