#include "plugins/moplink/export_run.h"

#include "platform/afx/ui/ddeml.h"
#include "platform/win/files.h"
#include "platform/win/time.h"
#include "plugins/common/bracket_argument.h"
#include "plugins/common/wait_bound.h"
#include "plugins/moplink/output_names.h"
#include "plugins/moplink/dde_script.h"
#include "plugins/moplink/moplink_app.h"

namespace moplink {

namespace {

HDDEDATA IgnoreDdeEvents(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, DWORD_PTR, DWORD_PTR) { return nullptr; }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Send(HCONV conversation, const std::vector<ScriptCommand>& script) {
    for (const ScriptCommand& c : script) DdeExecuteText(conversation, c.text.c_str(), c.timeoutMs);
}

std::string Lines(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : "\n") + item;
    return text;
}

// The Save As dialog of one file; "" when cancelled.
std::string AskOutputPath(const MoplinkApp& app, const ExportFormat& format) {
    CString filter = app.Text(kIdsFilterPdf), extension = app.Text(kIdsExtensionPdf);
    CFileDialog dialog(FALSE, extension, nullptr, OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, filter);
    if (dialog.DoModal() != IDOK) return {};
    return WithExtension(static_cast<LPCSTR>(dialog.GetPathName()), format.extension);
}

}  // namespace

DWORD OutputWaitMs() { return plugins::WaitBound("SUITE_EXPORT_OUTPUT_WAIT_MS", 10000); }

void RunExport(MoplinkApp& app, const ExportFormat& format, const ExportSettings& s,
               const std::vector<std::string>& files) {
    bool perImage = s.outputMethod == 1;
    if (!perImage && s.outputPath.empty()) {
        app.Message(kIdsNoOutputPath, MB_ICONSTOP);
        return;
    }
    std::vector<std::string> unsafe;
    for (const std::string& f : files)
        if (!plugins::IsSafeBracketArgument(f)) unsafe.push_back(f);
    if (!perImage && !plugins::IsSafeBracketArgument(s.outputPath)) unsafe.push_back(s.outputPath);
    if (!unsafe.empty()) {
        app.Message(kIdsUnsafePath, MB_ICONSTOP, Lines(unsafe));
        if (!perImage) return;
    }

    DWORD instance = 0;
    if (DdeInitialize(&instance, IgnoreDdeEvents, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return;
    std::string start = "\"" + app.ExePath() + "\" -nologo";
    DdeStartRecipe how;
    how.commandLine = start.c_str();
    how.windowClass = "Moplink";
    how.windowWaitMs = 30000;
    how.retries = 60;
    how.intervalMs = 500;
    BOOL started = FALSE;
    HCONV conversation = DdeConnectOrStart(instance, "Quade", "QuadeOCR", how, &started);
    if (!conversation) {
        DdeUninitialize(instance);
        return;
    }

    bool stopped = false;
    std::vector<std::string> outputs;
    if (perImage) {
        unsigned long long limit = NumberLimit(s.width);
        for (std::size_t i = 0; i < files.size(); ++i) {
            std::string output;
            if (s.autoNames) {
                if (s.firstNumber + static_cast<unsigned long long>(s.step) * i >= limit) {
                    app.Message(kIdsNumberOverflow, MB_ICONEXCLAMATION, std::to_string(limit - 1));
                    stopped = true;
                    break;
                }
                output = AutomaticName(s, format.extension, static_cast<DWORD>(i));
                if (output.size() >= kPathField) {
                    app.Message(kIdsNameTooLong, MB_ICONSTOP, output);
                    stopped = true;
                    break;
                }
            } else {
                output = AskOutputPath(app, format);
                if (output.empty()) continue;
            }
            std::vector<ScriptCommand> script = BuildScript(format, s, {files[i]}, output, app.Numeric().id);
            if (script.empty()) {
                if (plugins::IsSafeBracketArgument(files[i])) app.Message(kIdsUnsafePath, MB_ICONSTOP, output);
                continue;
            }
            Send(conversation, script);
            outputs.push_back(output);
        }
    } else {
        Send(conversation, BuildScript(format, s, files, s.outputPath, app.Numeric().id));
        outputs.push_back(s.outputPath);
    }
    if (started) DdeExecuteText(conversation, "[ENDAPPLICATION]", 60000);
    DdeDisconnect(conversation);
    DdeUninitialize(instance);
    if (stopped || outputs.empty()) return;

    ULONGLONG deadline = GetTickCount64() + OutputWaitMs();
    std::vector<std::string> missing;
    for (;;) {
        missing.clear();
        for (const std::string& o : outputs)
            if (!Exists(o)) missing.push_back(o);
        if (missing.empty() || GetTickCount64() >= deadline) break;
        AfxPumpMessages();
        Sleep(100);
    }
    if (missing.empty())
        app.Message(kIdsExportFinished, MB_ICONINFORMATION);
    else
        app.Message(kIdsOutputMissing, MB_ICONEXCLAMATION, Lines(missing));
}

}  // namespace moplink
