#include "keyrider/setup/machine_tree.h"

#include "outside/include/common_service.h"

#include <cstring>
#include <vector>

#include "platform/win/folders.h"
#include "platform/win/registry.h"

namespace keyrider {
namespace {

// The actions a template stands for, by the name of its key.
struct Template {
    const char* key;
    const char* name;
    const char* description;  // what a new button of it says it does
};
const Template kTemplates[] = {
    {"copy", "Copy", "Copy the scanned pages"},
    {"filing", "Filing", "File the scanned pages"},
    {"pdf", "PDF", "Make a PDF file of the scanned pages"},
    {"e-mail", "E-mail", "Mail the scanned pages"},
    {"custom", "Custom", "Hand the scanned pages to a program"},
    {"ftp", "FTP", "Upload the scanned pages to an FTP server"},
    {"fennick", "Capture", "Hand the scanned pages to the capture program"},
    {"ocr", "OCR", "Read the text of the scanned pages"},
    {"bcr", "Business Card", "Read the scanned business cards"}};

// The applications the OCR and card buttons can hand their pages to: the
// name a button picks and the connector's library name.
struct Application {
    const char* name;
    const char* dll;
};
const Application kOcrApplications[] = {{"Marrowby", "orocr.dll"},      {"halbrook", "halbrook.dll"},
                                        {"maxreader", "maxreader.dll"}, {"moplink", "Nellith.dll"},
                                        {"thocr", "thocr.dll"},         {"harnel", "harnel.dll"}};
const Application kCardApplications[] = {{"lomart", "lomart.dll"}, {"hotcard", "hotcard.dll"},
                                         {"dravel", "dravel.dll"}, {"quenby", "quenby.dll"}};

std::string DocumentsScanFolder() {
    char documents[MAX_PATH + 1] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, documents) != S_OK || !documents[0]) return {};
    std::string folder = documents;
    if (folder.back() != '/' && folder.back() != '\\') folder += '/';
    return folder + "Scans";
}

class Writer {
public:
    bool ok = true;

    HKEY open(HKEY parent, const std::string& path) {
        HKEY k = nullptr;
        if (RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &k,
                            nullptr) != ERROR_SUCCESS) {
            ok = false;
            return nullptr;
        }
        keys_.push_back(k);
        return k;
    }
    void text(HKEY k, const char* name, const std::string& value) {
        if (k && RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                DWORD(value.size() + 1)) != ERROR_SUCCESS)
            ok = false;
    }
    void number(HKEY k, const char* name, DWORD value) {
        if (k && RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4) != ERROR_SUCCESS)
            ok = false;
    }
    void binary(HKEY k, const char* name, const std::vector<DWORD>& values) {
        if (k && RegSetValueExA(k, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(values.data()),
                                DWORD(values.size() * 4)) != ERROR_SUCCESS)
            ok = false;
    }
    ~Writer() {
        for (HKEY k : keys_) RegCloseKey(k);
    }

private:
    std::vector<HKEY> keys_;
};

// The settings a new button of `action` starts from, such that it works when
// pressed: a folder, a format, a printer, the applications it can pick from.
void writeActionDefaults(Writer& w, HKEY templateKey, HKEY defaults, const std::string& action,
                         const MachineTreeOptions& o) {
    const std::string folder = o.scanFolder.empty() ? DocumentsScanFolder() : o.scanFolder;
    // Format positions in the "File Format" list: 2 JPEG, 5 multi-page TIFF, 6 PDF.
    auto format = [&](DWORD position, DWORD singleFile) {
        for (const char* mode : {"Color", "Gray", "BW"}) {
            HKEY m = w.open(defaults, mode);
            w.number(m, "Format", position);
            w.number(m, "PDF Single File", singleFile);
        }
    };
    auto applications = [&](const Application* list, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            HKEY entry = w.open(templateKey, "OCR Application\\" + std::to_string(i + 1));
            w.text(entry, "Name", list[i].name);
            w.text(entry, "DLL", list[i].dll);
        }
        w.text(defaults, "Current Application Name", list[0].name);
    };
    if (action == "copy") {
        w.text(defaults, "Printer Name", o.printer.empty() ? "PDF File" : o.printer);
        w.number(defaults, "Copies", 1);
        w.number(defaults, "Fit in Page", 1);
        return;
    }
    if (action != "e-mail" && action != "ftp" && action != "fennick") w.text(w.open(defaults, "Folder"), "1", folder);
    if (action == "filing" || action == "custom") format(2, 0);
    if (action == "pdf") format(6, 1);
    if (action == "e-mail" || action == "ftp") format(2, 0);
    if (action == "ftp") {
        HKEY session = w.open(defaults, "Session\\1");
        w.number(session, "Port", 21);
        w.number(session, "Passive", 1);
        w.number(session, "Delete File", 1);
    }
    if (action == "custom") w.text(w.open(defaults, "Applications\\1"), "Command Line", "\"%1\"");
    if (action == "ocr") applications(kOcrApplications, sizeof kOcrApplications / sizeof kOcrApplications[0]);
    if (action == "bcr") applications(kCardApplications, sizeof kCardApplications / sizeof kCardApplications[0]);
}

}  // namespace

std::string InstallerKeyPath() { return kInstallerKeyPath; }

bool WriteMachineTree(const MachineTreeOptions& o) {
    std::string folder = o.programFolder;
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    const std::string installerPath = InstallerKeyPath();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, installerPath.c_str());
    Writer w;

    HKEY locator = w.open(HKEY_LOCAL_MACHINE, "Software\\Selvint Corp\\Common Files");
    w.text(locator, "Common Library", folder + "Common.dll");
    w.text(locator, "Image Library", folder + "ImageLib.dll");
    w.text(locator, "Edge Fill Library", folder + "Gorsey.dll");

    HKEY installer = w.open(HKEY_LOCAL_MACHINE, installerPath);
    w.text(installer, "Product Name", o.productName);
    w.text(installer, "Keyrider Name", "Keyrider");
    for (const char* source : {"Reflection", "Positive", "Negative", "ADF", "Sheetfed"})
        w.number(installer, (std::string("ContinueScan Wait Seconds-") + source).c_str(), 0);
    w.number(installer, "Page Num Font Enlarge", 0);
    w.number(installer, "ContinueScan Font Enlarge", 0);
    w.number(installer, "Show RearSide Source", 1);
    w.number(installer, "Max Custom Paper Size", 5);
    w.number(installer, "Show BlankPage Controls", 1);
    w.number(installer, "Paper Eject Direction", 0);
    w.number(installer, "Edge Fill-Hide", 0);
    w.number(installer, "Edge Fill - Unit", 0);
    w.number(installer, "Show Multi-Image", 1);
    w.number(installer, "Show RemovePunchHole", 1);
    const DWORD colour[] = {10, 20, 30, 40, 50};
    HKEY blankColor = w.open(installer, "Remove Blank Page\\Color");
    HKEY blankGray = w.open(installer, "Remove Blank Page\\Gray");
    HKEY blankBW = w.open(installer, "Remove Blank Page\\BW");
    for (int i = 0; i < 5; ++i) {
        const std::string n = std::to_string(i + 1);
        w.number(blankColor, n.c_str(), colour[i]);
        w.number(blankGray, n.c_str(), colour[i] + 5);
        w.number(blankBW, n.c_str(), colour[i] + 10);
    }

    HKEY app = w.open(installer, "Keyrider");
    w.number(app, "First Run", 1);
    w.text(app, "Browse Dialog Caption", "Choose a folder");
    w.number(app, "Hide", 0);
    w.text(app, "On Line Tooltips", "Scanner ready!");
    w.text(app, "Off Line Tooltips", "Scanner not found!");
    w.number(app, "Remove Blank Page Sensitivity", 0);
    w.number(app, "Display Blank Page Message", 1);
    w.number(app, "Export to Ini Enabled", o.exportEnabled ? 1 : 0);
    HKEY buttons = w.open(app, "Button");
    w.number(buttons, "Icon Size", 32);
    const int templateCount = int(sizeof kTemplates / sizeof kTemplates[0]);
    for (int i = 1; i <= o.buttons; ++i) {
        HKEY b = w.open(buttons, std::to_string(i));
        w.number(b, "State", 1);
        w.number(b, "Characteristic", 1);
        w.number(b, "Application Type", DWORD((i - 1) % templateCount + 1));
        w.text(b, "Button Text", kTemplates[(i - 1) % templateCount].name + std::string(" ") + std::to_string(i));
        w.number(b, "Text Editable", 1);
    }
    HKEY utility = w.open(app, "Utility");
    for (int t = 0; t < templateCount; ++t) {
        w.text(utility, std::to_string(t + 1).c_str(), kTemplates[t].key);
        HKEY key = w.open(app, kTemplates[t].key);
        w.text(key, "DLL", o.templateDll);
        w.text(key, "Name", kTemplates[t].name);
        w.text(key, "Icon", std::string(kTemplates[t].key) + ".ico");
        w.text(key, "Disable Icon", std::string(kTemplates[t].key) + "-off.ico");
        HKEY defaults = w.open(key, "Default");
        w.text(defaults, "Description", kTemplates[t].description);
        w.number(defaults, "Source", 4);
        w.number(defaults, "Mode", 1);  // gray
        HKEY source = w.open(defaults, "ADF");
        w.number(source, "Mode", 2);  // the scan's own count of the same: gray
        w.number(source, "Resolution", 200);
        w.number(source, "PaperID", 0);
        writeActionDefaults(w, key, defaults, kTemplates[t].key, o);
    }
    HKEY formats = w.open(app, "File Format");
    // Each entry: the format code, a comma and what the list shows.
    const char* names[] = {"1,Windows Bitmap (*.bmp)", "2,JPEG File (*.jpg)", "3,Tagged Image File (*.tif)",
                           "5,Portable Network Graphics (*.png)", "11,Multi-page TIFF (*.tif)",
                           "6,Image PDF (*.pdf)", "13,Image PDF, pages joined (*.pdf)",
                           "4,Compressed Tagged Image File (*.tif)", "12,Compressed multi-page TIFF (*.tif)"};
    for (int i = 0; i < 9; ++i) w.text(formats, std::to_string(i + 1).c_str(), names[i]);
    w.text(formats, "Our PDF", folder + "OurPdf.dll");
    HKEY resolution = w.open(app, "Resolution");
    const DWORD dpis[] = {100, 150, 200, 300, 400, 600};
    for (int i = 0; i < 6; ++i) w.number(resolution, std::to_string(i + 1).c_str(), dpis[i]);
    HKEY multi = w.open(app, "Multi-Image");
    w.binary(multi, "Resolution Support", {0, 1, 2, 3, 4, 5});
    w.text(multi, "Custom", "Custom");
    w.open(app, "Edge Fill");
    w.open(app, "Remove Punch Hole");
    return w.ok;
}

}  // namespace keyrider
