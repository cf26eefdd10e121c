#include "plugins/moplink/export_run.h"

#include "platform/afx/ui/ddeml.h"
#include "platform/afx/ui/pump_wait.h"
#include "platform/win/files.h"
#include "platform/win/time.h"
#include "plugins/common/bracket_argument.h"
#include "plugins/common/dde_client.h"
#include "plugins/common/wait_bound.h"
#include "plugins/moplink/output_names.h"
#include "plugins/moplink/dde_script.h"
#include "plugins/moplink/moplink_app.h"

namespace moplink {

namespace {

// An output file as it was before its script was sent: a file left by an
// earlier run is not this run's output unless the application wrote it again.
struct OutputFile {
    std::string path;
    bool existed = false;
    WIN32_FILE_ATTRIBUTE_DATA before{};
    bool sent = false;  // every command of its script was taken

    explicit OutputFile(std::string name) : path(std::move(name)) {
        existed = GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &before) != FALSE;
    }
    bool WrittenByThisRun() const {
        WIN32_FILE_ATTRIBUTE_DATA now{};
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &now)) return false;
        if (!existed) return true;
        return now.ftLastWriteTime.dwLowDateTime != before.ftLastWriteTime.dwLowDateTime ||
               now.ftLastWriteTime.dwHighDateTime != before.ftLastWriteTime.dwHighDateTime ||
               now.nFileSizeLow != before.nFileSizeLow || now.nFileSizeHigh != before.nFileSizeHigh;
    }
};

// Sends the script; false when a command was refused or not answered in time.
bool Send(HCONV conversation, const std::vector<ScriptCommand>& script) {
    bool all = true;
    for (const ScriptCommand& c : script) all = DdeExecuteText(conversation, c.text.c_str(), c.timeoutMs) && all;
    return all;
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
    if (DdeInitialize(&instance, plugins::IgnoreDdeEvents, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return;
    std::string start = "\"" + app.ExePath() + "\" -nologo";
    DdeStartRecipe how;
    how.commandLine = start.c_str();
    how.windowClass = "Moplink";
    how.windowWaitMs = plugins::DdeStartWaitMs();
    how.intervalMs = 500;
    how.retries = how.windowWaitMs / how.intervalMs;
    BOOL started = FALSE;
    HCONV conversation = DdeConnectOrStart(instance, "Quade", "QuadeOCR", how, &started);
    if (!conversation) {
        DdeUninitialize(instance);
        app.Message(kIdsNotReached, MB_ICONSTOP, app.ExePath());
        return;
    }

    bool stopped = false;
    std::vector<OutputFile> outputs;
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
            outputs.emplace_back(output);
            outputs.back().sent = Send(conversation, script);
        }
    } else {
        outputs.emplace_back(s.outputPath);
        outputs.back().sent = Send(conversation, BuildScript(format, s, files, s.outputPath, app.Numeric().id));
    }
    if (started) DdeExecuteText(conversation, "[ENDAPPLICATION]", 60000);
    DdeDisconnect(conversation);
    DdeUninitialize(instance);
    if (stopped || outputs.empty()) return;

    ULONGLONG deadline = GetTickCount64() + OutputWaitMs();
    std::vector<std::string> missing;
    for (;;) {
        missing.clear();
        for (const OutputFile& o : outputs)
            if (!o.sent || !o.WrittenByThisRun()) missing.push_back(o.path);
        if (missing.empty() || GetTickCount64() >= deadline) break;
        AfxPumpMessagesFor(100);
    }
    if (missing.empty())
        app.Message(kIdsExportFinished, MB_ICONINFORMATION);
    else
        app.Message(kIdsOutputMissing, MB_ICONEXCLAMATION, Lines(missing));
}

}  // namespace moplink
