#include "outside/ocrkit/tess.h"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <leptonica/allheaders.h>
#include <map>
#include <sstream>
#include <mutex>

namespace ocrkit {

namespace fs = std::filesystem;

namespace {

bool hasModels(const fs::path& folder, const std::string& languages) {
    std::stringstream ss(languages);
    std::string lang;
    std::error_code ec;
    while (std::getline(ss, lang, '+'))
        if (!fs::is_regular_file(folder / (lang + ".traineddata"), ec)) return false;
    return true;
}

// OpenMP threads help one page little and hurt pages recognised side by
// side, so every engine runs on its caller's thread alone: the limit is set
// before the module (and with it the OpenMP runtime) is loaded.
void* loadModule() {
    static void* module = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        setenv("OMP_THREAD_LIMIT", "1", 0);
        Dl_info info{};
        std::string path = "libSuiteTess.so";
        if (dladdr(reinterpret_cast<void*>(&loadModule), &info) && info.dli_fname)
            path = (fs::path(info.dli_fname).parent_path() / "libSuiteTess.so").string();
        module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) module = dlopen("libSuiteTess.so", RTLD_NOW | RTLD_LOCAL);
    });
    return module;
}

template <typename Factory>
Factory factoryNamed(const char* name) {
    void* module = loadModule();
    return module ? reinterpret_cast<Factory>(dlsym(module, name)) : nullptr;
}

// When the runtime was already loaded with the program (other libraries
// bring it), the limit comes too late; a calling thread whose parallel
// regions may not nest at all runs them on itself.
void serialiseThisThread() {
    thread_local bool done = false;
    if (done) return;
    done = true;
    void* gomp = dlopen("libgomp.so.1", RTLD_NOW | RTLD_NOLOAD);
    if (!gomp) return;
    using SetLevels = void (*)(int);
    if (auto set = reinterpret_cast<SetLevels>(dlsym(gomp, "omp_set_max_active_levels"))) set(0);
    dlclose(gomp);
}

}  // namespace

CancelCheck pumpCheck(int (*pump)(), bool& cancelled) {
    cancelled = false;
    return [pump, &cancelled] {
        if (pump && pump() != 0) cancelled = true;
        return cancelled;
    };
}

std::string findModelFolder(const std::string& languages, const std::string& programFolder) {
    std::vector<fs::path> candidates;
    if (!programFolder.empty()) {
        candidates.push_back(programFolder);
        candidates.push_back(fs::path(programFolder) / "tessdata");
    }
    // The folder the libraries themselves were installed in (the program folder).
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&findModelFolder), &info) && info.dli_fname) {
        fs::path own = fs::path(info.dli_fname).parent_path();
        candidates.push_back(own);
        candidates.push_back(own / "tessdata");
    }
    if (const char* prefix = std::getenv("TESSDATA_PREFIX"); prefix && *prefix) {
        candidates.push_back(prefix);
        candidates.push_back(fs::path(prefix) / "tessdata");
    }
    for (const char* sys : {"/usr/share/tesseract-ocr/5/tessdata", "/usr/share/tesseract-ocr/4.00/tessdata",
                            "/usr/share/tessdata", "/usr/local/share/tessdata"})
        candidates.push_back(sys);
    for (const fs::path& c : candidates)
        if (hasModels(c, languages)) return c.string();
    return {};
}

namespace {
std::map<std::string, std::unique_ptr<Engine>>& threadEngines() {
    thread_local std::map<std::string, std::unique_ptr<Engine>> engines;
    return engines;
}
std::unique_ptr<LayoutFinder>& layoutFinder() {
    thread_local std::unique_ptr<LayoutFinder> finder;
    return finder;
}
}  // namespace

Engine* Engine::forThread(const std::string& languages, const std::string& programFolder) {
    auto& engines = threadEngines();
    auto it = engines.find(languages);
    if (it != engines.end()) return it->second.get();
    std::string folder = findModelFolder(languages, programFolder);
    if (folder.empty()) return nullptr;
    auto factory = factoryNamed<EngineFactory>(OCRKIT_ENGINE_FACTORY);
    if (!factory) return nullptr;
    serialiseThisThread();
    Engine* e = factory(folder.c_str(), languages.c_str());
    if (!e) return nullptr;
    engines[languages].reset(e);
    return e;
}

void Engine::releaseThread() {
    threadEngines().clear();
    layoutFinder().reset();
}

LayoutFinder* LayoutFinder::forThread() {
    auto& finder = layoutFinder();
    if (finder) return finder.get();
    auto factory = factoryNamed<LayoutFinderFactory>(OCRKIT_LAYOUT_FACTORY);
    if (!factory) return nullptr;
    serialiseThisThread();
    finder.reset(factory());
    return finder.get();
}

}  // namespace ocrkit
