// A stand-in for an outside application driven by DDE commands, for tests.
// Arguments (name=value, any order), also taken from $SUITE_DDE_PEER (blank-
// separated, read first) for a peer that a program under test starts with a
// command line of its own:
//   service=S topic=T     the service and topic it answers (topic "*": any)
//   record=FILE           each executed command is appended here as a line
//   class=C title=T       its top-level window (defaults "DdePeerClass", "Dde Peer")
//   register-on=N         registers the service only after WM_COMMAND N arrives
//   refuse=1              refuses every conversation
//   lifetime=MS           ends after this long (default 30000)
//   hang-ms=MS            blocks that long before answering each command
//   write-outputs=1       acts on output commands as an OCR application would:
//                         "[OUTPUT](path,NEW)" names the file that "[OCR]"
//                         then writes, "[SAVEIMG_MULTI](path,99)" writes at once
//                         a PDF of one blank page for each "[INPUT]" since
//                         the last "[NEW_DOCUMENT]"
// Commands: "[HANG](ms)" blocks the program that long before answering,
// "[FAIL]" is not processed, "[BUSY]" answers busy, "[ENDAPPLICATION]" ends
// it after answering; others are acknowledged.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/ddeml.h"
#include "platform/win/path.h"
#include "platform/win/time.h"

namespace {
std::map<std::string, std::string> g_args;
DWORD g_instance = 0;
HSZ g_service = nullptr;

std::string Arg(const char* key, const char* fallback) {
    auto it = g_args.find(key);
    return it == g_args.end() ? fallback : it->second;
}

void Record(const std::string& line) {
    std::string path = Arg("record", "");
    if (path.empty()) return;
    if (std::FILE* f = std::fopen(path.c_str(), "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

// The path argument of "[NAME](path,rest)".
std::string FirstArgument(const std::string& command, const char* name) {
    std::string head = std::string(name) + "(";
    if (command.rfind(head, 0) != 0) return {};
    std::size_t end = command.find(',', head.size());
    return end == std::string::npos ? std::string() : command.substr(head.size(), end - head.size());
}

void WriteFile(const std::string& windowsPath) {
    if (std::FILE* f = std::fopen(suite::NativePathOfEither(windowsPath).c_str(), "wb")) {
        std::fputs("%PDF-1.4 written by the peer\n", f);
        std::fclose(f);
    }
}

std::string g_pendingOutput;
int g_inputs = 0;

// A well-formed PDF file of `pages` blank A4 pages.
void WritePdf(const std::string& windowsPath, int pages) {
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    auto object = [&](const std::string& body) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    object("<< /Type /Catalog /Pages 2 0 R >>");
    std::string kids;
    for (int i = 0; i < pages; ++i) kids += std::to_string(3 + i) + " 0 R ";
    object("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
    for (int i = 0; i < pages; ++i) object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] >>");
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    char line[32];
    for (std::size_t at : offsets) {
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", at);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    if (std::FILE* f = std::fopen(suite::NativePathOfEither(windowsPath).c_str(), "wb")) {
        std::fwrite(pdf.data(), 1, pdf.size(), f);
        std::fclose(f);
    }
}

void WriteOutputs(const std::string& command) {
    if (std::string out = FirstArgument(command, "[OUTPUT]"); !out.empty()) g_pendingOutput = out;
    if (command == "[NEW_DOCUMENT]") g_inputs = 0;
    if (command.rfind("[INPUT](", 0) == 0) ++g_inputs;
    if (std::string img = FirstArgument(command, "[SAVEIMG_MULTI]"); !img.empty()) WritePdf(img, g_inputs);
    if (command == "[OCR]" && !g_pendingOutput.empty()) {
        WriteFile(g_pendingOutput);
        g_pendingOutput.clear();
    }
}

HDDEDATA Callback(UINT type, UINT, HCONV, HSZ hsz1, HSZ, HDDEDATA data, DWORD_PTR, DWORD_PTR) {
    char topic[256] = {};
    if (hsz1) DdeQueryString(g_instance, hsz1, topic, sizeof topic, CP_WINANSI);
    if (type == XTYP_CONNECT) {
        if (Arg("refuse", "0") == "1") return nullptr;
        std::string want = Arg("topic", "*");
        return want == "*" || strcasecmp(want.c_str(), topic) == 0 ? reinterpret_cast<HDDEDATA>(1) : nullptr;
    }
    if (type == XTYP_DISCONNECT) {
        Record("<disconnect>");
        return nullptr;
    }
    if (type != XTYP_EXECUTE) return nullptr;
    std::string command(DdeGetData(data, nullptr, 0, 0), '\0');
    DdeGetData(data, reinterpret_cast<BYTE*>(command.data()), static_cast<DWORD>(command.size()), 0);
    if (!command.empty() && command.back() == '\0') command.pop_back();
    Record(command);
    if (const DWORD hang = static_cast<DWORD>(std::atoi(Arg("hang-ms", "0").c_str())); hang > 0) ::Sleep(hang);
    if (command.rfind("[HANG](", 0) == 0) {
        ::Sleep(static_cast<DWORD>(std::atoi(command.c_str() + 7)));
        return reinterpret_cast<HDDEDATA>(static_cast<std::uintptr_t>(DDE_FACK));
    }
    if (Arg("write-outputs", "0") == "1") WriteOutputs(command);
    if (command == "[FAIL]") return reinterpret_cast<HDDEDATA>(static_cast<std::uintptr_t>(DDE_FNOTPROCESSED));
    if (command == "[BUSY]") return reinterpret_cast<HDDEDATA>(static_cast<std::uintptr_t>(DDE_FBUSY));
    if (command == "[ENDAPPLICATION]") PostQuitMessage(0);
    return reinterpret_cast<HDDEDATA>(static_cast<std::uintptr_t>(DDE_FACK));
}

void RegisterService() {
    if (!g_service) g_service = DdeCreateStringHandle(g_instance, Arg("service", "DdePeer").c_str(), CP_WINANSI);
    DdeNameService(g_instance, g_service, nullptr, DNS_REGISTER);
}

class PeerWnd : public CWnd {
public:
    BOOL OnCommand(WPARAM wp, LPARAM lp) override {
        if (std::to_string(LOWORD(wp)) == Arg("register-on", "")) {
            Record("<command " + std::to_string(LOWORD(wp)) + ">");
            RegisterService();
            return TRUE;
        }
        return CWnd::OnCommand(wp, lp);
    }
    afx_msg void OnTimer(UINT_PTR) { PostQuitMessage(9); }
    afx_msg void OnDestroy() { PostQuitMessage(0); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(PeerWnd, CWnd)
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

class PeerApp : public CWinApp {
public:
    PeerApp() : CWinApp("DdePeer") {}
    BOOL InitInstance() override {
        if (DdeInitialize(&g_instance, Callback, APPCLASS_STANDARD, 0) != DMLERR_NO_ERROR) return FALSE;
        auto* w = new PeerWnd;
        if (!w->CreateEx(0, Arg("class", "DdePeerClass").c_str(), Arg("title", "Dde Peer").c_str(),
                         WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 120, nullptr, nullptr))
            return FALSE;
        w->SetTimer(1, static_cast<UINT>(std::atoi(Arg("lifetime", "30000").c_str())));
        m_pMainWnd = w;
        if (Arg("register-on", "").empty()) RegisterService();
        Record("<started>");
        return TRUE;
    }
    int ExitInstance() override {
        DdeUninitialize(g_instance);
        return CWinApp::ExitInstance();
    }
};
PeerApp theApp;
}  // namespace

int main(int argc, char** argv) {
    if (const char* env = std::getenv("SUITE_DDE_PEER")) {
        std::string all(env);
        for (std::size_t at = 0; at < all.size();) {
            std::size_t end = all.find(' ', at);
            if (end == std::string::npos) end = all.size();
            std::string word = all.substr(at, end - at);
            std::size_t eq = word.find('=');
            if (eq != std::string::npos) g_args[word.substr(0, eq)] = word.substr(eq + 1);
            at = end + 1;
        }
    }
    for (int i = 1; i < argc; ++i) {
        const char* eq = std::strchr(argv[i], '=');
        if (eq) g_args[std::string(argv[i], static_cast<std::size_t>(eq - argv[i]))] = eq + 1;
    }
    return AfxWinMain(argc, argv);
}
