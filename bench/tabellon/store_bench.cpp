// Figures for a large store: 10,000 documents of 5 pages in 100 folders.
// Prints the time to open it, to enumerate it, to add 1,000 pages, to export
// and import a folder of 500 pages, and the slowest single call of each kind.
//   tabellon_bench [build/bin folder]
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "outside/include/image_library.h"
#include "platform/win/registry.h"
#include "tabellon/tabellon_api.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

struct Stats {
    const char* name;
    std::vector<double> samples;
    void print() const {
        if (samples.empty()) return;
        double total = 0, worst = 0;
        for (double s : samples) {
            total += s;
            worst = std::max(worst, s);
        }
        std::printf("%-28s %6zu calls  mean %8.3f ms  max %8.3f ms  total %9.1f ms\n", name, samples.size(),
                    total / double(samples.size()), worst, total);
    }
};

void setString(HKEY k, const char* name, const std::string& v) {
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()), DWORD(v.size() + 1));
}
void setDword(HKEY k, const char* name, DWORD v) { RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4); }

int DB_CALL countRecord(void*, void* user) {
    ++*static_cast<size_t*>(user);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string bin = argc > 1 ? argv[1] : (fs::path(argv[0]).parent_path().parent_path() / "bin").string();
    // A private folder for the registry, the pages and the packages, removed
    // however the run ends.
    std::string work = (fs::temp_directory_path() / "tabellon-bench-XXXXXX").string();
    if (!mkdtemp(work.data())) return 1;
    struct Remove {
        std::string path;
        ~Remove() {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    } removeWork{work};
    fs::create_directories(work + "/registry");
    fs::create_directories(work + "/pages");
    setenv("SUITE_REGISTRY_DIR", (work + "/registry").c_str(), 1);
    setenv("SUITE_REGISTRY_USER", (work + "/registry/user.db").c_str(), 1);
    setenv("SUITE_REGISTRY_MACHINE", (work + "/registry/machine.db").c_str(), 1);
    setenv("SUITE_LIBRARY_PATH", bin.c_str(), 1);
    // The store's temporary info files too stay in the bench's own folder.
    fs::create_directories(work + "/temp");
    setenv("SUITE_TEMP_DIR", (work + "/temp").c_str(), 1);

    void* lib = dlopen((bin + "/libTabellon.so").c_str(), RTLD_NOW);
    void* il = dlopen((bin + "/libImageLib.so").c_str(), RTLD_NOW);
    if (!lib || !il) {
        std::fprintf(stderr, "cannot load the libraries from %s\n", bin.c_str());
        return 1;
    }
    const DB_FUNCTIONTABLE& t = *reinterpret_cast<DB_GETFUNCTIONTABLE>(dlsym(lib, "DB_GetFunctionTable"))();
    const IL_FUNCTIONTABLE& img = *reinterpret_cast<IL_GETFUNCTIONTABLE>(dlsym(il, "IL_GetFunctionTable"))();

    HKEY k = nullptr;
    DWORD disp = 0;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Selvint Corp\\Common Files", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disp);
    setString(k, "Common Library", "Common.dll");
    setString(k, "Image Library", "ImageLib.dll");
    RegCloseKey(k);

    // A page image and its thumbnail, shared by content (each page has its own files).
    std::vector<BYTE> bits(200 * 280, 0);
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = BYTE(i * 13);
    IL_IMAGEHEADER header{sizeof(IL_IMAGEHEADER), 200, 280, 200, 8, 0, 200, 200};
    IL_IMAGE image{&header, 0, bits.data()};
    IL_SAVEOPTIONS opts{1, 90};
    std::string sample = work + "/sample.png";
    img.SaveImage(sample.c_str(), 3, &opts, &image, nullptr, nullptr);

    // Build the store straight in the registry, in one transaction.
    auto build0 = Clock::now();
    HKEY root = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Bench", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, &disp);
    HKEY db = nullptr;
    RegCreateKeyExA(root, "DB_Fennick", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &db, &disp);
    SuiteRegBeginTransaction(db);
    const std::string time = "2026,12,8,12,0,0,0,2";
    DWORD docId = 1, folderId = 0xFFFFFFFFu;
    std::string pages = work + "/pages";
    for (int f = 0; f < 100; ++f) {
        char fname[32];
        std::snprintf(fname, sizeof fname, "Folder %03d", f);
        HKEY fk = nullptr;
        RegCreateKeyExA(db, fname, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &fk, &disp);
        setDword(fk, "ID", folderId--);
        setDword(fk, "Is Document", 0);
        setString(fk, "Create Time", time);
        setString(fk, "Modified Time", time);
        setDword(fk, "Child Folder Number", 0);
        setDword(fk, "Child Doc Number", 100);
        for (int d = 0; d < 100; ++d) {
            char dname[32];
            std::snprintf(dname, sizeof dname, "Doc %03d", d);
            HKEY dk = nullptr;
            RegCreateKeyExA(fk, dname, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &dk, &disp);
            DWORD id = docId++;
            setDword(dk, "ID", id);
            setDword(dk, "Is Document", 1);
            setString(dk, "Create Time", time);
            setString(dk, "Modified Time", time);
            setDword(dk, "Total Pages", 5);
            for (int p = 1; p <= 5; ++p) {
                std::string name = std::to_string(id) + "-" + std::to_string(p) + ".png";
                fs::create_hard_link(sample, pages + "/" + name);
                setString(dk, std::to_string(p).c_str(), "1," + name);
            }
            RegCloseKey(dk);
        }
        RegCloseKey(fk);
    }
    setDword(db, "Child Folder Number", 100);
    setDword(db, "Child Doc Number", 0);
    setDword(db, "Next Folder ID", folderId);
    setDword(db, "Next Doc ID", docId);
    SuiteRegCommitTransaction(db);
    RegCloseKey(db);
    std::printf("store built: 100 folders, 10000 documents, 50000 pages in %.0f ms\n", ms(build0, Clock::now()));

    std::vector<char> listBytes(DB_FolderListSize(1), 0);
    auto* list = reinterpret_cast<DB_FOLDERLIST*>(listBytes.data());
    list->Count = 1;
    std::snprintf(list->Paths[0], 260, "%s", pages.c_str());
    DB_STORAGECONFIG config{};
    config.ThumbnailSize = 96;
    config.Folders = list;
    DB_VERSION v{1, 0, 0, 0};

    auto o0 = Clock::now();
    if (t.DB_Open(&v, &config, root) != DB_OK) return 1;
    auto o1 = Clock::now();
    t.DB_Close();
    auto o2 = Clock::now();
    t.DB_Open(&v, &config, root);
    auto o3 = Clock::now();
    std::printf("open (first, loads the libraries)  %8.1f ms\n", ms(o0, o1));
    std::printf("open (again)                        %8.1f ms\n", ms(o2, o3));

    auto e0 = Clock::now();
    size_t records = 0;
    std::vector<DWORD> folders;
    t.DB_EnumFolders(0, 0, [](void* r, void* u) -> int {
        static_cast<std::vector<DWORD>*>(u)->push_back(static_cast<DB_FOLDERINFO*>(r)->ID);
        return 0;
    }, &folders);
    for (DWORD f : folders) t.DB_EnumDocuments(f, 0, countRecord, &records);
    auto e1 = Clock::now();
    std::printf("enumerate %zu folders, %zu documents (first, reads times)  %8.1f ms\n", folders.size(), records,
                ms(e0, e1));
    auto e2 = Clock::now();
    records = 0;
    for (DWORD f : folders) t.DB_EnumDocuments(f, 0, countRecord, &records);
    std::printf("enumerate %zu documents again                       %8.1f ms\n", records, ms(e2, Clock::now()));

    Stats append{"append page file", {}}, info{"get page file name", {}}, create{"create document", {}},
        rename{"rename document", {}}, move{"move document", {}}, delPage{"delete page", {}},
        movePage{"move page", {}}, lookup{"get document info (last)", {}};
    std::string in = work + "/in.png";
    fs::copy_file(sample, in);
    for (int i = 0; i < 1000; ++i) {
        DWORD doc = 1 + DWORD(i * 7 % 10000);
        DWORD page = 0;
        auto a = Clock::now();
        int rc = t.DB_AppendPageFile(doc, in.c_str(), &page);
        auto b = Clock::now();
        if (rc != DB_OK) std::printf("append failed: %d\n", rc);
        append.samples.push_back(ms(a, b));
        char path[260];
        a = Clock::now();
        t.DB_GetPageFileName(doc, page, path, nullptr);
        info.samples.push_back(ms(a, Clock::now()));
    }
    for (int i = 0; i < 100; ++i) {
        DB_DOCINFO d{};
        std::snprintf(d.Name, 260, "New %d", i);
        auto a = Clock::now();
        t.DB_CreateDocument(folders[size_t(i)], &d);
        create.samples.push_back(ms(a, Clock::now()));
        a = Clock::now();
        t.DB_RenameDocument(d.ID, ("Renamed " + std::to_string(i)).c_str());
        rename.samples.push_back(ms(a, Clock::now()));
        DWORD out = 0;
        a = Clock::now();
        t.DB_MoveDocument(d.ID, folders[size_t(99 - i)], &out);
        move.samples.push_back(ms(a, Clock::now()));
        DWORD doc = 5000 + DWORD(i);
        a = Clock::now();
        t.DB_MovePage(doc, doc, 1, 5);
        movePage.samples.push_back(ms(a, Clock::now()));
        a = Clock::now();
        t.DB_DeletePage(doc, 5);
        delPage.samples.push_back(ms(a, Clock::now()));
        DB_DOCINFO last{};
        last.ID = 10000;
        a = Clock::now();
        t.DB_GetDocumentInfo(&last);
        lookup.samples.push_back(ms(a, Clock::now()));
    }
    for (const Stats* s : {&append, &info, &create, &rename, &move, &movePage, &delPage, &lookup}) s->print();

    // Folder 050 holds 100 documents of 5 pages: 500 pages.
    std::string package = work + "/folder.pkg";
    auto x0 = Clock::now();
    int rc = t.DB_ExportFolderPackage(folders[50], package.c_str(), nullptr, nullptr);
    auto x1 = Clock::now();
    std::printf("export 500-page folder  %8.1f ms (%d, %ju bytes)\n", ms(x0, x1), rc, std::uintmax_t(fs::file_size(package)));
    DWORD id = 0;
    auto i0 = Clock::now();
    rc = t.DB_ImportPackage(package.c_str(), &id, nullptr, nullptr);
    auto i1 = Clock::now();
    std::printf("import 500-page folder  %8.1f ms (%d)\n", ms(i0, i1), rc);
    t.DB_Close();
    return 0;
}
