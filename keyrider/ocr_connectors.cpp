#include "keyrider/ocr_connectors.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <strings.h>

#include "keyrider/handoff/handoff_recipes.h"
#include "outside/include/image_library.h"
#include "outside/include/pmdata.h"
#include "platform/win/files.h"
#include "platform/win/library.h"
#include "platform/win/process.h"
#include "platform/win/exclusive_file.h"
#include "platform/win/locator.h"
#include "platform/win/path.h"
#include "platform/win/time.h"

namespace keyrider {

namespace fs = std::filesystem;

namespace {

struct TagRow {
    const char* tag;
    const char* dll;
    const char* stem;  // detection sub-keys: stem + k
};
const TagRow kTags[] = {
    {"Marrowby", "orocr.dll", "OROCR "},     {"halbrook", "halbrook.dll", "Halbrook "},
    {"maxreader", "maxreader.dll", "MaxReader "}, {"moplink", "Nellith.dll", nullptr},
    {"thocr", "thocr.dll", "THOCR "},         {"harnel", "harnel.dll", "Harnel "},
    {"lomart", "lomart.dll", "Lomart "},      {"hotcard", "hotcard.dll", "HotCard "},
    {"dravel", "dravel.dll", "Dravel "},      {"quenby", "quenby.dll", "Quenby "},
};

const TagRow* RowOfTag(const std::string& tag) {
    for (const TagRow& r : kTags)
        if (strcasecmp(r.tag, tag.c_str()) == 0) return &r;
    return nullptr;
}

bool Same(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string Native(const std::string& p) { return suite::NativePathOfEither(p); }

// Writes `text` to a new file `path` (replacing none); false when it cannot.
bool WriteNewFile(const std::string& path, const std::string& text) {
    std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    return bool(out);
}

std::string Lines(const std::vector<std::string>& files) {
    std::string text;
    for (const std::string& f : files) text += f + "\r\n";
    return text;
}

std::string Stamp(const ConnectorServices& s) {
    std::array<int, 6> t = s.now ? s.now() : std::array<int, 6>{};
    char text[64];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", t[0], t[1], t[2], t[3], t[4], t[5]);
    return text;
}

// The result name: the output name (ending in ".") and the type, one dot between.
std::string ResultName(const std::string& name, const std::string& type) {
    if (type.empty()) return name;
    if (!name.empty() && name.back() == '.') return name + type;
    return name + "." + type;
}

void Report(const ConnectorServices& s, const std::string& text) {
    if (s.report) s.report(text);
}

DWORD DwordOf(HKEY key, const char* name) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    return value;
}

// What the installed edition of "halbrook" supports, the image kind it takes
// and the name of the language picked for it.
void ReadHalbrookSupport(HKEY entry, const std::string& subKey, const JobProfile& p, OcrApplication* app) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(entry, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    for (const char* name : {"Support PDF", "Support Language", "Support Options Dialog", "Accept Input File Format"})
        app->options[name] = int(DwordOf(key, name));
    app->imageKind = app->options["Accept Input File Format"];
    app->language = "english";
    HKEY languages = nullptr;
    if (RegOpenKeyExA(key, "language", 0, KEY_READ, &languages) == ERROR_SUCCESS) {
        std::string text;
        const std::string number = std::to_string(p.Int("Halbrook", "Primary Language", 16));
        if (suite::ReadStringValue(languages, number, &text)) {
            std::size_t comma = text.find(',');
            app->language = comma == std::string::npos ? text : text.substr(comma + 1);
        }
        RegCloseKey(languages);
    }
    RegCloseKey(key);
}

// The short form of a path for a command line (the path itself when the
// system has none), quoted when it holds blanks.
std::string ShortPathArgument(const std::string& path) {
    std::vector<char> buffer(path.size() + 16);
    DWORD n = GetShortPathNameA(path.c_str(), buffer.data(), DWORD(buffer.size()));
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = GetShortPathNameA(path.c_str(), buffer.data(), DWORD(buffer.size()));
    }
    const std::string shortPath = n > 0 && n < buffer.size() ? std::string(buffer.data(), n) : path;
    return suite::QuoteArgument(shortPath);
}

}  // namespace

int OcrApplication::Option(const std::string& name, int def) const {
    auto it = options.find(name);
    return it == options.end() ? def : it->second;
}

std::string OcrTagOfDll(const std::string& dll) {
    for (const TagRow& r : kTags)
        if (Same(dll, r.dll)) return r.tag;
    return dll;
}

std::string CanonicalOcrName(const std::string& name) {
    if (Same(name, "Marrowby 6")) return "Marrowby";
    if (Same(name, "harnel finder")) return "hotcard";
    return name;
}

int ImageFormatOfKind(int kind) {
    switch (kind) {
        case 1:
        case 4: return IL_FORMAT_TIF;
        case 2: return IL_FORMAT_JPG;
        case 3: return IL_FORMAT_PNG;
        default: return IL_FORMAT_BMP;
    }
}

const char* ExtensionOfKind(int kind) {
    switch (kind) {
        case 1:
        case 4: return "tif";
        case 2: return "jpg";
        case 3: return "png";
        default: return "bmp";
    }
}

bool SafeForDdeCommand(const std::string& path) { return path.find_first_of("),\r\n") == std::string::npos; }

bool SelectOcrApplication(HKEY appKey, const JobProfile& p, const std::string& section, const std::string& rawName,
                          const std::string& actionType, OcrApplication* app, std::string* problem) {
    const std::string name = CanonicalOcrName(rawName);
    *app = OcrApplication{};
    const TagRow* row = RowOfTag(name);
    if (!row) {
        *problem = "\"" + rawName + "\" is no application this program can hand pages to.";
        return false;
    }
    HKEY list = nullptr;
    const std::string listPath = actionType + "\\OCR Application";
    if (!appKey || RegOpenKeyExA(appKey, listPath.c_str(), 0, KEY_READ, &list) != ERROR_SUCCESS) {
        *problem = "No application list for \"" + actionType + "\".";
        return false;
    }
    HKEY entry = nullptr;
    // The list ends at its first missing entry.
    for (int n = 1; n <= 1000 && !entry; ++n) {
        HKEY sub = nullptr;
        if (RegOpenKeyExA(list, std::to_string(n).c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) break;
        std::string dll;
        if (suite::ReadStringValue(sub, "DLL", &dll) && !dll.empty() && Same(OcrTagOfDll(dll), row->tag)) {
            entry = sub;
            app->entry = n;
        } else {
            RegCloseKey(sub);
        }
    }
    RegCloseKey(list);
    if (!entry) {
        *problem = "\"" + rawName + "\" is not in the application list.";
        return false;
    }
    app->tag = row->tag;
    bool found = false;
    if (app->tag == "moplink") {
        HKEY key = nullptr;
        for (const char* version : {"Moplink 10", "Moplink 9"}) {
            if (RegOpenKeyExA(entry, version, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
            found = suite::FirstExistingLocatedFile(key, "Exe RegPath ", &app->program) ||
                    (suite::ReadStringValue(key, "Exe RegPath", &app->program) &&
                     suite::LocateExistingFile(app->program, &app->program));
            DWORD delay = 0, size = sizeof delay, type = 0;
            if (RegQueryValueExA(key, "Delay seconds", nullptr, &type, reinterpret_cast<BYTE*>(&delay), &size) ==
                    ERROR_SUCCESS &&
                type == REG_DWORD)
                app->delaySeconds = int(delay);
            HKEY pdf = nullptr;
            if (RegOpenKeyExA(key, "--Default\\PDF", 0, KEY_READ, &pdf) == ERROR_SUCCESS) {
                for (const char* v : {"Output Style", "Retain Text Color", "Retain DPI", "Max Dpi", "Reduce Color to BW",
                                      "Quality", "Create Bookmark"}) {
                    DWORD value = 0;
                    size = sizeof value;
                    if (RegQueryValueExA(pdf, v, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS)
                        app->pdf[v] = int(value);
                }
                RegCloseKey(pdf);
            }
            RegCloseKey(key);
            break;
        }
    } else {
        if (app->tag == "maxreader") {
            // Its entry is always looked up in the OCR list.
            RegCloseKey(entry);
            entry = nullptr;
            RegOpenKeyExA(appKey, ("Ocr\\OCR Application\\" + std::to_string(app->entry)).c_str(), 0, KEY_READ, &entry);
        }
        suite::InstalledProgram installed;
        found = entry && suite::FindInstalledProgram(entry, row->stem, true, &installed);
        if (found) app->program = installed.program;
        if (found && app->tag == "halbrook") ReadHalbrookSupport(entry, std::string(row->stem) + std::to_string(installed.number), p, app);
    }
    if (entry) RegCloseKey(entry);
    if (!found) {
        *problem = "\"" + rawName + "\" is not installed.";
        return false;
    }
    const std::string priv = section + "\\OCR Application\\" + std::to_string(app->entry) + "\\Private";
    auto opt = [&](const char* key, int def) { app->options[key] = p.Int(priv, key, def); };
    app->sendTo = p.String(priv, "Send To", "");
    if (app->tag == "Marrowby") {
        opt("PagesToFile", 1), opt("Format", 0), opt("PDF Quality", 0), opt("Auto Deskew", 0), opt("Auto Rotate", 0);
        opt("Show Options Dialog", 1);
        std::string language = p.String(priv, "Primary Language", "");
        app->language = language.empty() ? "english(OR)" : language.size() > 2 ? language.substr(2) : "";
    } else if (app->tag == "moplink") {
        opt("PagesToFile", 1), opt("Format", 0), opt("Detect Paper Orientation", 0), opt("Paper Deskew", 0);
        opt("Numeric Text Only", 0), opt("Primary Language", 0), opt("Secondary Language", 0);
    } else if (app->tag == "thocr") {
        opt("Format", 0);
    } else if (app->tag == "halbrook" || app->tag == "maxreader") {
        opt("Format", app->tag == "halbrook" ? 1 : 0), opt("PagesToFile", 1), opt("Page Single File", 0);
        if (app->tag == "halbrook") opt("Show Options Dialog", 1);
    }
    return true;
}

namespace {

// One hand-off: the pages in their batches, the output names, and what the
// button asks for.
struct HandOff {
    const OcrApplication& app;
    const std::vector<std::vector<std::string>>& batches;
    const std::vector<std::string>& names;
    bool openResult;
    bool doubleSided;
    const ConnectorServices& s;

    std::vector<std::string> all() const {
        std::vector<std::string> files;
        for (const auto& b : batches) files.insert(files.end(), b.begin(), b.end());
        return files;
    }
    // "Send To" opens the result when the button asks for it; a program that
    // is not set or not there is said, with the result's path.
    void sendTo(const std::string& result) const {
        if (!openResult || !s.exists || !s.exists(result)) return;
        if (!app.sendTo.empty() && s.exists(app.sendTo)) {
            if (s.open) s.open(app.sendTo, result);
            return;
        }
        Report(s, "\"" + result + "\" is made, but the program to open it (\"Send To\" \"" + app.sendTo +
                      "\") is not there.");
    }
    // The pages a list or ini can name; the others are said and stay.
    std::vector<std::string> listable() const {
        const std::vector<std::string> files = all();
        std::vector<std::string> safe = handoff::ListablePaths(files);
        if (safe.size() < files.size())
            Report(s, std::to_string(files.size() - safe.size()) + " pages whose paths hold a line break or '\"' cannot be "
                      "named to \"" + app.program + "\"; they are kept in \"" + s.temporaryFolder + "\".");
        return safe;
    }
};

// "maxreader" takes its pages through a list written by its own page-list
// library, and shows a window while it works.
std::vector<std::string> HandToMaxreader(const HandOff& h) {
    const OcrApplication& app = h.app;
    const ConnectorServices& s = h.s;
    const auto& batches = h.batches;
    const auto& names = h.names;
    std::vector<std::string> taken;
    HMODULE module = LoadLibraryA((s.programFolder + "PMDATA.DLL").c_str());
    auto open = module ? reinterpret_cast<PMDATA_OPEN>(GetProcAddress(module, "openPMData")) : nullptr;
    auto count = module ? reinterpret_cast<PMDATA_WRITECOUNT>(GetProcAddress(module, "writePMData_count")) : nullptr;
    auto file = module ? reinterpret_cast<PMDATA_WRITEFILENAME>(GetProcAddress(module, "writePMData_fileName")) : nullptr;
    auto close = module ? reinterpret_cast<PMDATA_CLOSE>(GetProcAddress(module, "closePMData")) : nullptr;
    if (!open || !count || !file || !close) {
        if (module) FreeLibrary(module);
        Report(s, "The page-list library \"PMDATA.DLL\" cannot be used; the pages are kept in \"" + s.temporaryFolder +
                      "\".");
        return taken;
    }
    static const char* const kTypes[] = {"doc", "rtf", "html", "xls", "csv", "slk", "txt"};
    const int format = app.Option("Format");
    const char* type = format >= 0 && format <= 6 ? kTypes[format] : "doc";
    const std::string list = s.temporaryFolder + "DCCR.Fle";
    for (std::size_t i = 0; i < names.size() && i < batches.size(); ++i) {
        std::error_code ec;
        fs::remove(Native(list), ec);
        // The list is complete on disk before the application reads it.
        bool listed = open(list.c_str(), 1) != 0;
        if (listed) {
            listed = count(int(batches[i].size())) != 0;
            for (const std::string& page : batches[i]) listed = listed && file(page.c_str()) != 0;
            listed = close() != 0 && listed;
        }
        if (!listed) {
            Report(s, "The page list \"" + list + "\" cannot be written; the pages are kept.");
            break;
        }
        const std::string result = ResultName(names[i], type);
        if (!WriteNewFile(result, "")) {
            Report(s, "The result file \"" + result + "\" cannot be made; the pages are kept.");
            break;
        }
        const std::string line = Quoted(app.program) + " /target=SAVED /filetype=" + type +
                                 " /filename=" + ShortPathArgument(result) + " /r " + ShortPathArgument(list);
        const bool done = s.runWhileWindow && s.runWhileWindow(line, "IMC_PCCR40", 100 * 100, s.waitMs);
        if (!done) {
            if (fs::file_size(Native(result), ec) == 0 && !ec) fs::remove(Native(result), ec);
            Report(s, "\"" + app.program + "\" did not recognise the pages in time; they are kept.");
            continue;
        }
        taken.insert(taken.end(), batches[i].begin(), batches[i].end());
        h.sendTo(result);
    }
    std::error_code ec;
    fs::remove(Native(list), ec);
    FreeLibrary(module);
    return taken;
}

// "dravel" and "quenby" read a list of the pages and are not waited for: the
// pages stay for them.
std::vector<std::string> HandToListReader(const HandOff& h) {
    const bool dravel = h.app.tag == "dravel";
    const std::vector<std::string> files = h.listable();
    if (files.empty()) return {};
    const std::string list = handoff::WriteListFile(h.s.temporaryFolder, dravel ? "Dravel_" : "", Stamp(h.s),
                                                    dravel ? ".ini" : ".txt", files);
    if (list.empty()) {
        Report(h.s, "No list file for \"" + h.app.program + "\" can be written in \"" + h.s.temporaryFolder + "\".");
        return {};
    }
    const char* side = dravel ? nullptr : h.doubleSided ? "/b" : "/r";
    if (!h.s.run || !h.s.run(handoff::ListCommandLine(h.app.program, "/Oltrane", side, list), 0))
        Report(h.s, "\"" + h.app.program + "\" could not be started.");
    return {};
}

// "harnel" reads an ini of the pages and deletes it, and the pages, once it
// took them.
std::vector<std::string> HandToHarnel(const HandOff& h) {
    const std::vector<std::string> files = h.listable();
    if (files.empty()) return {};
    const std::string ini = h.s.temporaryFolder + "Harnel.Ini";
    auto start = [&](const std::string& line) { return h.s.run && h.s.run(line, 0); };
    switch (handoff::HandOffByIni(ini, h.app.program, files, h.doubleSided, h.s.waitMs, start)) {
        case handoff::IniHandOff::Taken: return files;
        case handoff::IniHandOff::NotWritten: Report(h.s, "The ini file \"" + ini + "\" cannot be written."); break;
        case handoff::IniHandOff::NotStarted: Report(h.s, "\"" + h.app.program + "\" could not be started."); break;
        case handoff::IniHandOff::NotTaken:
            Report(h.s, "\"" + h.app.program + "\" did not take the pages in time; they are kept in \"" +
                            h.s.temporaryFolder + "\".");
            break;
        case handoff::IniHandOff::NothingListable: break;
    }
    return {};
}

// "hotcard" reads a list of the pages with their sides and answers with a
// window message once it took them.
std::vector<std::string> HandToHotcard(const HandOff& h) {
    const std::vector<std::string> files = h.listable();
    if (files.empty()) return {};
    const std::string list = h.s.temporaryFolder + "HotCard.Ini";
    std::string text;
    for (std::size_t i = 0; i < files.size(); ++i)
        text += files[i] + std::to_string(h.doubleSided ? int(i % 2) + 1 : 1) + "\r\n";
    text += "\r\n";
    if (!WriteNewFile(list, text)) {
        Report(h.s, "The list file \"" + list + "\" cannot be written.");
        return {};
    }
    const std::string line = Quoted(h.app.program) + " /r" + 'e' + "an" + Quoted(list);
    if (!h.s.runUntilMessage || !h.s.runUntilMessage(line, "BCR_COMMANDLINE_MSG", h.s.waitMs)) {
        Report(h.s, "\"" + h.app.program + "\" did not answer in time; the pages are kept in \"" + h.s.temporaryFolder +
                        "\".");
        return {};
    }
    return files;
}

// "thocr" reads a list of every page and writes one result; it is not waited for.
std::vector<std::string> HandToThocr(const HandOff& h) {
    if (h.names.empty()) return {};
    const std::vector<std::string> files = h.listable();
    const int format = h.app.Option("Format");
    const std::string result = ResultName(h.names[0], format == 0 ? "rtf" : format == 1 ? "html" : "");
    const std::string list = suite::CreateNewFileWithSuffix(h.s.temporaryFolder + "THOCR.OCR.lst");
    if (list.empty() || !WriteNewFile(list, Lines(files)) || !WriteNewFile(result, "")) {
        Report(h.s, "The list or result file of \"" + h.app.program + "\" cannot be written.");
        return {};
    }
    if (!h.s.run || !h.s.run(Quoted(h.app.program) + " /b " + Quoted(list) + " /l /r /e /o " + Quoted(result), 0))
        Report(h.s, "\"" + h.app.program + "\" could not be started.");
    h.sendTo(result);
    return {};
}

// "Marrowby" recognises each batch from a list into its result, waited for.
std::vector<std::string> HandToMarrowby(const HandOff& h) {
    std::vector<std::string> taken;
    const int format = h.app.Option("Format");
    const std::string type = format == 1 ? "pdf" : format == 2 ? "rtf" : "txt";
    for (std::size_t i = 0; i < h.names.size() && i < h.batches.size(); ++i) {
        const std::string result = ResultName(h.names[i], type);
        const std::string list = suite::CreateNewFileWithSuffix(h.s.temporaryFolder + "Marrowby.lst");
        if (list.empty() || !WriteNewFile(list, Lines(h.batches[i]))) {
            Report(h.s, "The list file of \"" + h.app.program + "\" cannot be written.");
            return taken;
        }
        char quality[16];
        std::snprintf(quality, sizeof quality, "%d", h.app.Option("PDF Quality"));
        std::string line = Quoted(h.app.program) + " -O" + Quoted(result) + " -F" + type + " -Q" + quality + " -I" +
                           Quoted(list) + " -L" + h.app.language;
        const bool deskew = h.app.Option("Auto Deskew") != 0, rotate = h.app.Option("Auto Rotate") != 0;
        if (!deskew && !rotate) line += " -Cnotori+notskew";
        else if (!deskew) line += " -Cnotskew";
        else if (!rotate) line += " -Cnotori";
        const bool ended = h.s.run && h.s.run(line, h.s.waitMs);
        std::remove(Native(list).c_str());
        if (!ended) {
            Report(h.s, "\"" + h.app.program + "\" did not finish in time; its pages are kept.");
            return taken;
        }
        taken.insert(taken.end(), h.batches[i].begin(), h.batches[i].end());
        h.sendTo(result);
    }
    return taken;
}

// "halbrook" takes each batch's pages on its command line, waited for.
std::vector<std::string> HandToHalbrook(const HandOff& h) {
    std::vector<std::string> taken;
    const int format = h.app.Option("Format", 1);
    const char* type = format == 0 ? "txt" : format == 2 ? "xls" : format == 3 ? "pdf" : "rtf";
    for (std::size_t i = 0; i < h.names.size() && i < h.batches.size(); ++i) {
        const std::string result = ResultName(h.names[i], type);
        std::string line = Quoted(h.app.program) + " /out " + Quoted(result);
        if (h.app.Option("Support Language")) line += " /lang " + h.app.language;
        if (h.app.Option("Support Options Dialog")) line += " /options";
        // The whole batch: every page of it, in order.
        for (const std::string& page : h.batches[i]) line += " " + ShortPathArgument(page);
        const auto before = fs::file_time_type::clock::now();
        if (!h.s.run || !h.s.run(line, h.s.waitMs)) {
            Report(h.s, "\"" + h.app.program + "\" did not finish \"" + result + "\" in time; its pages are kept.");
            continue;
        }
        taken.insert(taken.end(), h.batches[i].begin(), h.batches[i].end());
        // Its result goes on only when this run wrote it.
        std::error_code ec;
        const auto written = fs::last_write_time(Native(result), ec);
        if (!ec && written > before && !h.app.sendTo.empty() && h.s.exists && h.s.exists(h.app.sendTo) && h.s.open)
            h.s.open(h.app.sendTo, result);
    }
    return taken;
}

// "lomart" takes each page through a DDE command; it is started at most once a run.
std::vector<std::string> HandToLomart(const HandOff& h) {
    std::vector<std::string> taken;
    ConnectorServices::DdeScript script;
    script.service = "LOMART";
    script.topic = "SYSTEM";
    script.startLine = Quoted(h.app.program) + " LOMART/DDE";
    script.windowClass = "Quade_LomartApplication";
    script.postCommand = 372;
    for (const std::string& file : h.all()) {
        if (!SafeForDdeCommand(file)) {
            Report(h.s, "\"" + file + "\" cannot be named in a command of \"" + h.app.program + "\"; it is kept.");
            continue;
        }
        script.commands = {{"[EXPORT](" + file + ")", 60000}};
        std::string problem;
        const bool sent = h.s.dde && h.s.dde(script, &problem);
        script.startLine.clear();
        if (!sent) {
            Report(h.s, "\"" + file + "\" was not taken by \"" + h.app.program + "\": " + problem);
            return taken;
        }
        taken.push_back(file);
    }
    return taken;
}

// "moplink" recognises each batch by a DDE script and writes its result.
std::vector<std::string> HandToMoplink(const HandOff& h) {
    std::vector<std::string> taken;
    const OcrApplication& app = h.app;
    for (std::size_t i = 0; i < h.names.size() && i < h.batches.size(); ++i) {
        const int format = app.Option("Format");
        const std::string result =
            ResultName(h.names[i], format == 0 ? "htm" : format == 1 ? "txt" : format == 2 ? "pdf" : "rtf");
        bool safe = SafeForDdeCommand(result);
        for (const std::string& f : h.batches[i]) safe = safe && SafeForDdeCommand(f);
        if (!safe) {
            Report(h.s, "A path of this batch holds \")\" or \",\" and cannot be sent to \"" + app.program +
                            "\"; the pages are kept.");
            continue;
        }
        ConnectorServices::DdeScript script;
        script.service = "Quade";
        script.topic = "QuadeOCR";
        script.startLine = Quoted(app.program) + " -nologo";
        script.windowTitle = "Moplink";
        script.endWhenStarted = true;
        auto add = [&](const std::string& c, unsigned ms = 60000) { script.commands.push_back({c, ms}); };
        auto onOff = [](bool on) { return on ? std::string("(ON)") : std::string("(OFF)"); };
        add("[NEW_DOCUMENT]");
        const int style = app.pdf.count("Output Style") ? app.pdf.at("Output Style") : 0;
        auto pdfValue = [&](const char* k) { return app.pdf.count(k) ? app.pdf.at(k) : 0; };
        if (format == 0) add("[FMTTEXT](34,1,0)");
        else if (format == 1) add("[FMTTEXT](14,1,0)");
        else if (format == 2) add(style == 0 ? "[FMTTEXT](53,1,0)" : style == 1 ? "[FMTTEXT](54,1,0)" : "[FMTTEXT](75,1,0)");
        else {
            add("[FMTTEXT](29,1,0)");
            add("[FLOWING_COLUMNS](ON)");
            add("[INSERT_COLUMN_BREAK](ON)");
        }
        if (format == 2) {
            add("[INCLUDEGRAPHICS]" + onOff(style != 0));
            add("[PDF_EMBED_FONTS](ON)");
            add("[ENCODECOLORS]" + onOff(pdfValue("Retain Text Color") != 0));
            if (style != 0) {
                std::string options = "[OPTIONS_GRAPHICS_ADVANCED](";
                options += pdfValue("Retain DPI") ? "0," : std::to_string(pdfValue("Max Dpi")) + ",";
                options += pdfValue("Reduce Color to BW") ? "1,0)" : "0," + std::to_string(pdfValue("Quality")) + ")";
                add(options);
            }
            add("[PDF_PARAMS]" + onOff(pdfValue("Create Bookmark") != 0));
        }
        if (app.Option("Numeric Text Only")) {
            add("[LANGUAGE_OCR](" + std::to_string(app.Option("Secondary Language")) + ")");
        } else if (app.Option("Primary Language")) {
            add("[LANGUAGE_OCR](" + std::to_string(app.Option("Primary Language")) + ")");
            add("[LANGUAGE_SEC_OCR](" + std::to_string(app.Option("Secondary Language")) + ")");
        }
        add("[PAGE_DESKEW]" + onOff(app.Option("Paper Deskew") != 0));
        add("[AUTO_ORIENTATION]" + onOff(app.Option("Detect Paper Orientation") != 0));
        add("[PAGEANALYSIS](ON)");
        add("[INTERLEARN](OFF)");
        add("[DISABLEWNGNOWINDOW](ON)");
        add("[HIDE]");
        add("[DISPLAY_PROGRESS](ON)");
        add("[FORCE_AS_300DPI](ON)");
        for (const std::string& f : h.batches[i]) {
            add("[INPUT](" + f + ")");
            add("[SCAN_MULTIPAGE]");
        }
        add("[OUTPUT](" + result + ",NEW)");
        add("[OCR]", 900000);
        add("[NEW_DOCUMENT]");
        std::string problem;
        if (!h.s.dde || !h.s.dde(script, &problem)) {
            Report(h.s, "\"" + app.program + "\" did not recognise the pages: " + problem + "; they are kept.");
            return taken;
        }
        // The result must be there before the pages go.
        const unsigned bound = unsigned(std::max(app.delaySeconds, 1)) * 1000u;
        for (unsigned waited = 0; !(h.s.exists && h.s.exists(result)) && waited < bound; waited += 100) Sleep(100);
        if (!(h.s.exists && h.s.exists(result))) {
            Report(h.s, "\"" + app.program + "\" wrote no \"" + result + "\"; the pages are kept.");
            return taken;
        }
        taken.insert(taken.end(), h.batches[i].begin(), h.batches[i].end());
        h.sendTo(result);
    }
    return taken;
}

using Connector = std::vector<std::string> (*)(const HandOff&);
struct ConnectorRow {
    const char* tag;
    Connector connector;
};
const ConnectorRow kConnectors[] = {
    {"dravel", HandToListReader}, {"quenby", HandToListReader}, {"harnel", HandToHarnel},
    {"hotcard", HandToHotcard},   {"thocr", HandToThocr},       {"Marrowby", HandToMarrowby},
    {"halbrook", HandToHalbrook}, {"maxreader", HandToMaxreader}, {"lomart", HandToLomart},
    {"moplink", HandToMoplink},
};

}  // namespace

std::vector<std::string> SendToOcrApplication(const OcrApplication& app,
                                              const std::vector<std::vector<std::string>>& batches,
                                              const std::vector<std::string>& names, bool openResult,
                                              bool doubleSided, const ConnectorServices& s) {
    const HandOff handOff{app, batches, names, openResult, doubleSided, s};
    for (const ConnectorRow& row : kConnectors)
        if (app.tag == row.tag) return row.connector(handOff);
    Report(s, "Pages cannot be handed to \"" + app.tag + "\" by this program; they are kept in \"" + s.temporaryFolder + "\".");
    return {};
}

}  // namespace keyrider
