// Scribant on the offscreen platform, in a scratch home:
//   - start-up to the shown main window: InitInstance (folders, settings,
//     language library, frame, views, page list) and the first paint;
//     target 2 s;
//   - 5,000 image paths added to the page list through the job (as an open of
//     many files or a long scan run adds them), then the list painted;
//     target 1 s.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/msgbox.h"
#include "shell/app/scribant_app.h"
#include "shell/frame/main_frame.h"

namespace {

namespace fs = std::filesystem;

class ScratchHome {
public:
    ScratchHome() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/shell-bench-XXXXXX";
        root_ = mkdtemp(pattern.data());
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("SUITE_HOME", root_.c_str(), 1);
        setenv("SUITE_LANGID", "0x0804", 1);
        for (const char* var : {"SUITE_DOCUMENTS_DIR", "SUITE_APPDATA_DIR", "SUITE_LOCAL_APPDATA_DIR",
                                "SUITE_REGISTRY_USER", "SUITE_REGISTRY_DIR", "SUITE_RUNTIME_DIR"})
            unsetenv(var);
        AfxWinInit();
        AfxTestScript::Enable(true);
    }
    ~ScratchHome() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;

private:
    fs::path root_;
};

ScratchHome& Home() {
    static ScratchHome home;
    return home;
}

// The program as built: its libraries lie in the build's bin folder, beside
// which the benchmarks are put.
class BenchApp : public CScribantApp {
protected:
    std::string ModuleFolder() const override {
        const std::string bench = CScribantApp::ModuleFolder();
        const std::size_t cut = bench.find_last_of("\\/");
        return (cut == std::string::npos ? bench : bench.substr(0, cut)) + "\\bin";
    }
};

void Stop(CScribantApp& app) {
    if (app.m_pMainWnd) {
        app.m_pMainWnd->DestroyWindow();
        app.m_pMainWnd = nullptr;
    }
    app.ExitInstance();
}

void BM_StartToShownWindow(benchmark::State& state) {
    Home();
    int n = 0;
    for (auto _ : state) {
        BenchApp app;
        app.m_strInstanceName = "Scribant bench " + std::to_string(++n);
        if (!app.InitInstance() || !app.m_pMainWnd) {
            state.SkipWithError("the program did not start");
            break;
        }
        app.m_pMainWnd->UpdateWindow();
        AfxPumpMessages();
        state.PauseTiming();
        Stop(app);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToShownWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_List5000Pages(benchmark::State& state) {
    Home();
    BenchApp app;
    app.m_strInstanceName = "Scribant bench list";
    if (!app.InitInstance() || !app.MainFrame()) {
        state.SkipWithError("the program did not start");
        return;
    }
    CFileListCtrl& list = app.MainFrame()->PageList();
    for (auto _ : state) {
        state.PauseTiming();
        list.DeleteAllItems();
        AfxPumpMessages();
        state.ResumeTiming();
        for (int i = 0; i < 5000; ++i) app.m_task.AddImageToList("C:\\scans\\page" + std::to_string(10000 + i) + ".tif", 0);
        app.MainFrame()->UpdateWindow();
        AfxPumpMessages();
        if (list.GetItemCount() != 5000) state.SkipWithError("not every page was listed");
    }
    Stop(app);
}
BENCHMARK(BM_List5000Pages)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
