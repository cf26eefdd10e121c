#include "tabellon/tests/store_host.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace tabellon_test {

namespace {

// The private folder of this test program, below the system's temporary
// folder: every folder the tests make, the registry store and the store's own
// temporary files live in it, and it is removed when the program ends. A
// crash-test child works in its parent's folder and leaves it alone.
struct PrivateFolder {
    PrivateFolder() {
        if (const char* inherited = std::getenv("SUITE_TABELLON_TEST_DIR")) {
            path = inherited;
            return;
        }
        std::string pattern = (fs::temp_directory_path() / "tabellon-tests-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        path = pattern;
        owner = getpid();
        setenv("SUITE_TABELLON_TEST_DIR", path.c_str(), 1);
        std::string temp = path + "/temp";
        fs::create_directories(temp);
        setenv("SUITE_TEMP_DIR", temp.c_str(), 1);
    }
    ~PrivateFolder() {
        if (owner != getpid()) return;
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string path;
    pid_t owner = 0;
};

PrivateFolder& privateFolder() {
    static PrivateFolder folder;
    return folder;
}

std::string makeTemp(const std::string& stem) {
    std::string pattern = privateFolder().path + "/" + stem + "XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern;
}

// The registry store lives in a folder of its own for the whole test program;
// each test uses its own root key in it. The store finds the outside
// libraries through the machine key, as installed.
struct Environment {
    Environment() {
        privateFolder();
        // A crash-test child works on its parent's registry.
        if (std::getenv("TABELLON_CHILD")) return;
        std::string dir = makeTemp("registry-");
        setenv("SUITE_REGISTRY_DIR", dir.c_str(), 1);
        setenv("SUITE_REGISTRY_USER", (dir + "/user.db").c_str(), 1);
        setenv("SUITE_REGISTRY_MACHINE", (dir + "/machine.db").c_str(), 1);
        HKEY k = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Selvint Corp\\Common Files", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &k, &disposition) != ERROR_SUCCESS)
            std::abort();
        const char common[] = "Common.dll";
        const char image[] = "ImageLib.dll";
        RegSetValueExA(k, "Common Library", 0, REG_SZ, reinterpret_cast<const BYTE*>(common), sizeof common);
        RegSetValueExA(k, "Image Library", 0, REG_SZ, reinterpret_cast<const BYTE*>(image), sizeof image);
        RegCloseKey(k);
    }
};

Environment& environment() {
    static Environment env;
    return env;
}

}  // namespace

std::string binFolder() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) std::abort();
    buf[n] = '\0';
    return fs::path(buf).parent_path().string();
}

void* tabellonHandle() {
    static void* h = [] {
        environment();
        void* lib = dlopen((binFolder() + "/libTabellon.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!lib) std::abort();
        return lib;
    }();
    return h;
}

const DB_FUNCTIONTABLE& table() {
    auto get = reinterpret_cast<DB_GETFUNCTIONTABLE>(dlsym(tabellonHandle(), "DB_GetFunctionTable"));
    if (!get) std::abort();
    return *get();
}

const IL_FUNCTIONTABLE& imageLib() {
    static const IL_FUNCTIONTABLE* t = [] {
        void* lib = dlopen((binFolder() + "/libImageLib.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        auto get = lib ? reinterpret_cast<IL_GETFUNCTIONTABLE>(dlsym(lib, "IL_GetFunctionTable")) : nullptr;
        if (!get) std::abort();
        return get();
    }();
    return *t;
}

std::string freshFolder(const std::string& stem) {
    environment();
    return makeTemp(stem + "-");
}

Config::Config(const std::vector<std::string>& folders, DWORD thumb) {
    list.assign(DB_FolderListSize(DWORD(folders.size())), 0);
    auto* l = reinterpret_cast<DB_FOLDERLIST*>(list.data());
    l->Count = DWORD(folders.size());
    for (size_t i = 0; i < folders.size(); ++i) std::snprintf(l->Paths[i], 260, "%s", folders[i].c_str());
    config.ThumbnailSize = thumb;
    std::snprintf(config.DefaultFolderName, 260, "Folder");
    std::snprintf(config.DefaultDocName, 260, "Document");
    config.Folders = l;
}

std::string writeImage(const std::string& path, int format, int w, int h, int seed) {
    IL_IMAGEHEADER header{sizeof(IL_IMAGEHEADER), w, h, DWORD((w + 3) & ~3), 8, 0, 200, 200};
    std::vector<BYTE> bits(size_t(header.BytesPerLine) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bits[size_t(y) * header.BytesPerLine + size_t(x)] = BYTE((x * 7 + y * 3 + seed * 31) & 0xFF);
    IL_IMAGE image{&header, 0, bits.data()};
    IL_SAVEOPTIONS options{1, 90};
    if (imageLib().SaveImage(path.c_str(), format, &options, &image, nullptr, nullptr) != 0) ADD_FAILURE() << path;
    return path;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

namespace {

std::optional<DWORD> dwordOf(HKEY k, const char* name) {
    DWORD type = 0, v = 0, size = sizeof v;
    if (RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) != ERROR_SUCCESS || type != REG_DWORD)
        return std::nullopt;
    return v;
}

std::optional<std::string> stringOf(HKEY k, const char* name) {
    char buf[2048];
    DWORD type = 0, size = sizeof buf;
    if (RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    return std::string(buf);
}

std::string native(const std::string& p) {
    std::string s = p;
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

struct Collected {
    std::vector<DWORD> folders;
    std::vector<DWORD> docs;
};

int DB_CALL collectFolder(void* record, void* user) {
    static_cast<Collected*>(user)->folders.push_back(static_cast<DB_FOLDERINFO*>(record)->ID);
    return 0;
}
int DB_CALL collectDoc(void* record, void* user) {
    static_cast<Collected*>(user)->docs.push_back(static_cast<DB_DOCINFO*>(record)->ID);
    return 0;
}

}  // namespace

void checkInvariants(HKEY root, const std::vector<std::string>& folders) {
    HKEY db = nullptr;
    ASSERT_EQ(RegOpenKeyExA(root, "DB_Fennick", 0, KEY_READ, &db), ERROR_SUCCESS);
    DWORD nextFolder = dwordOf(db, "Next Folder ID").value_or(0xFFFFFFFFu);
    DWORD nextDoc = dwordOf(db, "Next Doc ID").value_or(1);
    std::set<DWORD> ids;
    std::function<void(HKEY, DWORD, const std::string&)> walk = [&](HKEY key, DWORD id, const std::string& where) {
        Collected registryView, tableView;
        for (DWORD i = 0;; ++i) {
            char name[300];
            DWORD chars = sizeof name;
            if (RegEnumKeyExA(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            HKEY sub = nullptr;
            ASSERT_EQ(RegOpenKeyExA(key, name, 0, KEY_READ, &sub), ERROR_SUCCESS);
            std::string here = where + "\\" + name;
            auto nodeId = dwordOf(sub, "ID");
            auto isDoc = dwordOf(sub, "Is Document");
            ASSERT_TRUE(nodeId && isDoc) << here;
            EXPECT_TRUE(ids.insert(*nodeId).second) << "duplicate ID " << *nodeId << " at " << here;
            if (*isDoc) {
                registryView.docs.push_back(*nodeId);
                EXPECT_LT(*nodeId, nextDoc) << here;
                DWORD total = dwordOf(sub, "Total Pages").value_or(0xFFFFFFFFu);
                EXPECT_NE(total, 0xFFFFFFFFu) << here;
                for (DWORD p = 1; p <= total; ++p) {
                    auto v = stringOf(sub, std::to_string(p).c_str());
                    ASSERT_TRUE(v) << "gap at page " << p << " of " << here;
                    unsigned f = 0;
                    char file[300] = {};
                    ASSERT_EQ(std::sscanf(v->c_str(), "%u,%299s", &f, file), 2) << *v;
                    ASSERT_GE(f, 1u) << *v;
                    ASSERT_LE(f, folders.size()) << *v;
                    EXPECT_TRUE(fs::is_regular_file(native(folders[f - 1] + "\\" + file))) << "missing file of " << here << " page " << p;
                }
                EXPECT_FALSE(stringOf(sub, std::to_string(total + 1).c_str())) << "value past the count at " << here;
            } else {
                registryView.folders.push_back(*nodeId);
                EXPECT_GT(*nodeId, nextFolder) << here;
                walk(sub, *nodeId, here);
            }
            RegCloseKey(sub);
        }
        EXPECT_EQ(dwordOf(key, "Child Folder Number").value_or(0), registryView.folders.size()) << where;
        EXPECT_EQ(dwordOf(key, "Child Doc Number").value_or(0), registryView.docs.size()) << where;
        EXPECT_EQ(table().DB_EnumFolders(id, 0, collectFolder, &tableView), DB_OK);
        EXPECT_EQ(table().DB_EnumDocuments(id, 0, collectDoc, &tableView), DB_OK);
        std::multiset<DWORD> a(registryView.folders.begin(), registryView.folders.end()),
            b(tableView.folders.begin(), tableView.folders.end());
        std::multiset<DWORD> c(registryView.docs.begin(), registryView.docs.end()),
            d(tableView.docs.begin(), tableView.docs.end());
        EXPECT_EQ(a, b) << "folders of " << where;
        EXPECT_EQ(c, d) << "documents of " << where;
    };
    walk(db, 0, "");
    RegCloseKey(db);
}

namespace {

// Walks the store through the table in tree order: each level's documents
// (name and page digests, " 1a2b3c" each, " ?" for a page without a file
// name), then its folders, entered and left.
struct ContentVisitor {
    std::function<void(const std::string& name, const std::string& pages)> document;
    std::function<void(const std::string& name)> enter;
    std::function<void()> leave;
};

void visitContent(DWORD parent, const ContentVisitor& v) {
    Collected c;
    table().DB_EnumFolders(parent, 0, collectFolder, &c);
    table().DB_EnumDocuments(parent, 0, collectDoc, &c);
    for (DWORD d : c.docs) {
        DB_DOCINFO info{};
        info.ID = d;
        table().DB_GetDocumentInfo(&info);
        std::ostringstream pages;
        for (DWORD p = 1; p <= info.TotalPages; ++p) {
            char path[260] = {};
            if (table().DB_GetPageFileName(d, p, path, nullptr) != DB_OK)
                pages << " ?";
            else
                pages << " " << std::hex << (std::hash<std::string>{}(fileBytes(native(path))) & 0xFFFFFF) << std::dec;
        }
        v.document(info.Name, pages.str());
    }
    for (DWORD f : c.folders) {
        DB_FOLDERINFO info{};
        info.ID = f;
        table().DB_GetFolderInfo(&info);
        v.enter(info.Name);
        visitContent(f, v);
        v.leave();
    }
}

}  // namespace

std::string contentOf() {
    std::ostringstream out;
    visitContent(0, {[&](const std::string& name, const std::string& pages) { out << "D(" << name << ":" << pages << ")"; },
                     [&](const std::string& name) { out << "F(" << name << ":"; }, [&] { out << ")"; }});
    return out.str();
}

std::map<std::string, std::string> contentByPath() {
    std::map<std::string, std::string> out;
    std::vector<std::string> prefix{""};
    visitContent(0, {[&](const std::string& name, const std::string& pages) { out[prefix.back() + name] = "D" + pages; },
                     [&](const std::string& name) {
                         out[prefix.back() + name] = "F";
                         prefix.push_back(prefix.back() + name + "\\");
                     },
                     [&] { prefix.pop_back(); }});
    return out;
}

std::string storeState(HKEY root, const std::vector<std::string>& folders) {
    std::ostringstream out;
    std::function<void(HKEY, const std::string&)> walk = [&](HKEY key, const std::string& where) {
        out << "[" << where << "]\n";
        for (DWORD i = 0;; ++i) {
            char name[300];
            BYTE data[2048];
            DWORD chars = sizeof name, type = 0, size = sizeof data;
            if (RegEnumValueA(key, i, name, &chars, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
            out << name << "=" << type << ":" << std::string(reinterpret_cast<char*>(data), size) << "\n";
        }
        for (DWORD i = 0;; ++i) {
            char name[300];
            DWORD chars = sizeof name;
            if (RegEnumKeyExA(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            HKEY sub = nullptr;
            if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) {
                out << "unreadable " << name << "\n";
                continue;
            }
            walk(sub, where + "\\" + name);
            RegCloseKey(sub);
        }
    };
    walk(root, "");
    for (const std::string& folder : folders) {
        std::set<std::string> files;
        std::error_code ec;
        for (fs::recursive_directory_iterator it(native(folder), ec), end; !ec && it != end; it.increment(ec))
            if (it->is_regular_file()) files.insert(it->path().string() + " " + std::to_string(it->file_size()));
        for (const std::string& f : files) out << f << "\n";
    }
    return out.str();
}

// ---- the fixture ----

void StoreTest::SetUp() {
    static std::atomic<int> counter{0};
    rootPath = "Software\\TabellonTests\\" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, rootPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, &disposition),
              ERROR_SUCCESS);
    scratch = freshFolder("images");
    storage = {freshFolder("pages") + "/store"};
    reopen();
}

void StoreTest::reopen() {
    if (open) t.DB_Close();
    Config c(storage, thumbSize);
    DB_VERSION v{1, 0, 0, 0};
    ASSERT_EQ(t.DB_Open(&v, &c.config, root), DB_OK);
    open = true;
}

void StoreTest::TearDown() {
    if (open) {
        checkInvariants(root, storage);
        t.DB_Close();
        open = false;
    }
    if (root) RegCloseKey(root);
    RegDeleteTreeA(HKEY_CURRENT_USER, rootPath.c_str());
}

DWORD StoreTest::folder(DWORD parent, const char* name) {
    DB_FOLDERINFO info{};
    std::snprintf(info.Name, 260, "%s", name);
    EXPECT_EQ(t.DB_CreateFolder(parent, &info), DB_OK) << name;
    return info.ID;
}

DWORD StoreTest::document(DWORD parent, const char* name, int pages) {
    DB_DOCINFO info{};
    std::snprintf(info.Name, 260, "%s", name);
    EXPECT_EQ(t.DB_CreateDocument(parent, &info), DB_OK) << name;
    for (int i = 0; i < pages; ++i) addPage(info.ID, ++imageSeed);
    return info.ID;
}

DWORD StoreTest::addPage(DWORD doc, int seed, int format) {
    static const char* ext[] = {"bmp", "jpg", "tif", "png"};
    std::string file = writeImage(scratch + "/in" + std::to_string(seed) + "." + ext[format], format, 40 + seed % 7, 30, seed);
    DWORD page = 0;
    EXPECT_EQ(t.DB_AppendPageFile(doc, file.c_str(), &page), DB_OK);
    return page;
}

std::string StoreTest::pageFile(DWORD doc, DWORD page) {
    char path[260] = {};
    EXPECT_EQ(t.DB_GetPageFileName(doc, page, path, nullptr), DB_OK);
    return native(path);
}

std::string StoreTest::docKeyPath(DWORD doc) {
    // Walk up through the parents to build the key path.
    std::vector<std::string> parts;
    DB_DOCINFO info{};
    info.ID = doc;
    EXPECT_EQ(t.DB_GetDocumentInfo(&info), DB_OK);
    parts.push_back(info.Name);
    DWORD id = doc;
    for (;;) {
        DB_FOLDERINFO parent{};
        EXPECT_EQ(t.DB_GetParentInfo(id, &parent), DB_OK);
        if (parent.ID == 0) break;
        parts.insert(parts.begin(), parent.Name);
        id = parent.ID;
    }
    std::string path = "DB_Fennick";
    for (auto& p : parts) path += "\\" + p;
    return path;
}

HKEY StoreTest::docKey(DWORD doc) {
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExA(root, docKeyPath(doc).c_str(), 0, KEY_READ, &k), ERROR_SUCCESS);
    return k;
}

std::vector<std::string> StoreTest::pageValues(DWORD doc) {
    HKEY k = docKey(doc);
    std::vector<std::string> values;
    DWORD total = dwordOf(k, "Total Pages").value_or(0);
    for (DWORD p = 1; p <= total; ++p) values.push_back(stringOf(k, std::to_string(p).c_str()).value_or("?"));
    RegCloseKey(k);
    return values;
}

}  // namespace tabellon_test
