#include "outside/button_template/action_form.h"

#include <strings.h>

#include <cstdlib>

#include "outside/button_template/panel_ids.h"
#include "platform/win/registry.h"

namespace button_template {
namespace {

const char* const kModeSections[] = {"Color", "Gray", "BW"};
const char* const kSourceSections[] = {"Reflection", "Positive", "Negative", "ADF", "Sheetfed", "Auto Source"};

FormField Field(int id, const char* label, FieldControl control, FieldPlace place, const char* subKey,
                const char* name, const char* fallback, bool number = false) {
    FormField f;
    f.id = id;
    f.label = label;
    f.control = control;
    f.place = place;
    f.subKey = subKey;
    f.name = name;
    f.fallback = fallback;
    f.number = number;
    return f;
}

FormField Check(int id, const char* label, FieldPlace place, const char* name, const char* fallback) {
    return Field(id, label, FieldControl::Check, place, "", name, fallback, true);
}

FormField Required(FormField f, const char* missing) {
    f.missing = missing;
    return f;
}

FormField ModeField() {
    FormField f = Field(kPanelMode, "Colour:", FieldControl::Choice, FieldPlace::Button, "", "Mode", "1", true);
    f.choices = {{"Colour", "0"}, {"Gray", "1"}, {"Black and white", "2"}};
    return f;
}

FormField ResolutionField() {
    FormField f = Field(kPanelResolution, "Resolution:", FieldControl::Choice, FieldPlace::Source, "", "Resolution", "200",
                        true);
    for (const char* dpi : {"100", "150", "200", "300", "400", "600"}) f.choices.push_back({std::string(dpi) + " dpi", dpi});
    return f;
}

// The format list's entries by position: "code,description" shows its description.
FormField FormatField(const FormSources& sources, bool pdfOnly) {
    FormField f = Field(kPanelFormat, "File type:", FieldControl::Choice, FieldPlace::Mode, "", "Format", "2", true);
    for (std::size_t i = 0; i < sources.formats.size(); ++i) {
        const std::string& entry = sources.formats[i];
        const std::size_t comma = entry.find(',');
        const std::string label = comma == std::string::npos ? entry : entry.substr(comma + 1);
        const bool pdf = label.find("PDF") != std::string::npos;
        if (!pdfOnly || pdf) f.choices.push_back({label, std::to_string(i + 1)});
    }
    return f;
}

FormField FolderField(bool required) {
    FormField f = Field(kPanelFolder, "Folder:", FieldControl::Folder, FieldPlace::Button, "Folder", "1", "");
    if (required) f.missing = "the folder to save the pages in";
    return f;
}

FormField ApplicationField(const FormSources& sources, const char* missing) {
    FormField f = Field(kPanelApplication, "Application:", FieldControl::Choice, FieldPlace::Button, "",
                        "Current Application Name", "");
    for (const std::string& name : sources.applications) f.choices.push_back({name, name});
    f.missing = missing;
    return f;
}

// What the scanner does to the pages: both sides, and the clean-up of each page.
void AddPageFields(std::vector<FormField>& f) {
    FormField rotate = Field(kPanelRotateFront, "Turn pages:", FieldControl::Choice, FieldPlace::Source, "", "Rotate Front",
                             "0", true);
    rotate.choices = {{"Not turned", "0"}, {"A quarter right", "90"}, {"Upside down", "180"}, {"A quarter left", "270"}};
    f.push_back(rotate);
    FormField both = Check(kPanelBothSides, "Both sides", FieldPlace::Button, "Side", "0");
    both.onValue = "2";
    f.push_back(both);
    // A feeder that turns the sheet gives its rear upside down: half a turn sets it right.
    FormField turn = Check(kPanelTurnRear, "Turn rear pages over", FieldPlace::Source, "Rotate Rear", "0");
    turn.onValue = "2";
    f.push_back(turn);
    f.push_back(Check(kPanelDeskew, "Straighten tilted pages", FieldPlace::Source, "Auto Deskew", "0"));
    f.push_back(Check(kPanelDropBlank, "Drop blank pages", FieldPlace::Source, "Remove Blank Page", "0"));
    f.push_back(Check(kPanelCrop, "Crop to the paper", FieldPlace::Source, "Auto Crop", "0"));
    f.push_back(Check(kPanelEdgeFill, "Fill dark edges and punch holes", FieldPlace::Source, "Edge Fill", "0"));
}

std::vector<FormField> FieldsOf(const std::string& action, const FormSources& sources) {
    std::vector<FormField> f;
    f.push_back(ModeField());
    f.push_back(ResolutionField());
    AddPageFields(f);
    auto naming = [&] {
        f.push_back(Field(kPanelPrefix, "Name prefix:", FieldControl::Text, FieldPlace::Button, "", "String Prefix", "Image"));
        f.push_back(Check(kPanelDateNames, "Name files by date and time", FieldPlace::Button, "Date And Time", "1"));
        f.push_back(Check(kPanelOverwrite, "Ask before replacing", FieldPlace::Button, "Overwrite Prompt", "1"));
    };
    if (action == "copy") {
        FormField printer = Field(kPanelPrinter, "Printer:", FieldControl::Choice, FieldPlace::Button, "", "Printer Name", "");
        for (const std::string& p : sources.printers) printer.choices.push_back({p, p});
        f.push_back(Required(printer, "the printer to print on"));
        f.push_back(Field(kPanelCopies, "Copies:", FieldControl::Number, FieldPlace::Button, "", "Copies", "1", true));
        f.push_back(Check(kPanelFit, "Fit the page on the paper", FieldPlace::Button, "Fit in Page", "1"));
    } else if (action == "filing" || action == "pdf") {
        f.push_back(FolderField(true));
        f.push_back(FormatField(sources, action == "pdf"));
        f.push_back(Check(kPanelSingleFile, "All pages in one PDF file", FieldPlace::Mode, "PDF Single File", "1"));
        naming();
    } else if (action == "e-mail") {
        f.push_back(Field(kPanelMailTo, "Send to:", FieldControl::Text, FieldPlace::Button, "", "Mail To", ""));
        f.push_back(Field(kPanelMailSubject, "Subject:", FieldControl::Text, FieldPlace::Button, "", "Mail Subject",
                          "Scanned pages"));
        f.push_back(FormatField(sources, false));
        f.push_back(Check(kPanelPromptName, "Ask for the file name", FieldPlace::Button, "Prompt for Filename", "0"));
        f.push_back(FolderField(false));
    } else if (action == "ftp") {
        f.push_back(FormatField(sources, false));
        f.push_back(Required(Field(kPanelHost, "Server:", FieldControl::Text, FieldPlace::Button, "Session\\1", "Host Name", ""),
                             "the FTP server to send the files to"));
        f.push_back(Field(kPanelPort, "Port:", FieldControl::Number, FieldPlace::Button, "Session\\1", "Port", "21", true));
        f.push_back(Field(kPanelRemoteFolder, "Server folder:", FieldControl::Text, FieldPlace::Button, "Session\\1",
                          "Remote Folder", ""));
        f.push_back(Field(kPanelUser, "User name:", FieldControl::Text, FieldPlace::Button, "Session\\1", "Username", ""));
        f.push_back(Field(kPanelPassword, "Password:", FieldControl::Password, FieldPlace::Button, "Session\\1", "Password", ""));
        FormField anonymous = Check(kPanelAnonymous, "Anonymous", FieldPlace::Button, "Anonymous", "0");
        FormField passive = Check(kPanelPassive, "Passive mode", FieldPlace::Button, "Passive", "1");
        FormField remove = Check(kPanelDeleteFile, "Delete the files once sent", FieldPlace::Button, "Delete File", "1");
        for (FormField* c : {&anonymous, &passive, &remove}) c->subKey = "Session\\1";
        f.push_back(anonymous);
        f.push_back(passive);
        f.push_back(remove);
    } else if (action == "fennick") {
        f.push_back(Required(Field(kPanelCaptureProgram, "Capture program:", FieldControl::Program, FieldPlace::Template,
                                   "Default\\Applications\\1", "Exe Pathname", ""),
                             "the capture application"));
    } else if (action == "ocr" || action == "bcr") {
        f.push_back(ApplicationField(sources, action == "ocr" ? "the OCR application to hand the pages to"
                                                               : "the card application to hand the pages to"));
        f.push_back(FolderField(true));
        naming();
    } else if (action == "custom") {
        f.push_back(Required(Field(kPanelProgram, "Program:", FieldControl::Program, FieldPlace::Button, "Applications\\1",
                                   "Exe Pathname", ""),
                             "the program to hand the pages to"));
        f.push_back(Field(kPanelCommandLine, "Arguments (%1 = file):", FieldControl::Text, FieldPlace::Button,
                          "Applications\\1", "Command Line", "\"%1\""));
        f.push_back(Check(kPanelLaunchOnly, "Only start the program", FieldPlace::Button, "Launch Only", "0"));
        f.push_back(FolderField(true));
        f.push_back(FormatField(sources, false));
        naming();
    }
    return f;
}

std::string ReadText(HKEY key, const std::string& sub, const std::string& name, const std::string& fallback, bool* found) {
    *found = false;
    HKEY k = nullptr;
    if (RegOpenKeyExA(key, sub.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return fallback;
    DWORD type = 0, size = 0;
    std::string text = fallback;
    if (RegQueryValueExA(k, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        if (type == REG_DWORD && size == 4) {
            DWORD v = 0;
            RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
            text = std::to_string(long(int(v)));
            *found = true;
        } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
            std::string buffer(size + 1, '\0');
            DWORD got = size + 1;
            if (RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) ==
                ERROR_SUCCESS) {
                text = buffer.c_str();
                *found = true;
            }
        }
    }
    RegCloseKey(k);
    return text;
}

bool WriteValue(HKEY key, const std::string& sub, const std::string& name, const std::string& value, bool number) {
    HKEY k = nullptr;
    if (RegCreateKeyExA(key, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                        nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    LONG r;
    if (number) {
        const DWORD v = DWORD(std::strtol(value.c_str(), nullptr, 10));
        r = RegSetValueExA(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    } else {
        r = RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
    }
    RegCloseKey(k);
    return r == ERROR_SUCCESS;
}

std::string Joined(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + "\\" + b;
}

}  // namespace

std::string ActionOfTemplateKey(const std::string& templateKeyPath) {
    std::string key = templateKeyPath;
    const std::size_t cut = key.find_last_of('\\');
    if (cut != std::string::npos) key = key.substr(cut + 1);
    for (char& c : key) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return key;
}

ActionForm::ActionForm(const std::string& action, const FormSources& sources)
    : fields_(FieldsOf(action, sources)) {
    for (const FormField& f : fields_) values_.push_back(f.fallback);
    for (const std::string& entry : sources.formats) formatCodes_.push_back(std::atoi(entry.c_str()));
}

int ActionForm::IndexOf(int id) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].id == id) return int(i);
    return -1;
}

bool ActionForm::Set(std::size_t i, const std::string& value) {
    if (i >= values_.size() || values_[i] == value) return false;
    values_[i] = value;
    return true;
}

int ActionForm::ChoiceIndex(std::size_t i) const {
    if (i >= fields_.size()) return -1;
    const auto& choices = fields_[i].choices;
    for (std::size_t c = 0; c < choices.size(); ++c)
        if (strcasecmp(choices[c].value.c_str(), values_[i].c_str()) == 0) return int(c);
    return -1;
}

bool ActionForm::Applies(std::size_t i) const {
    if (i >= fields_.size()) return false;
    auto valueOf = [this](int id) {
        const int at = IndexOf(id);
        return at < 0 ? std::string() : values_[std::size_t(at)];
    };
    switch (fields_[i].id) {
        case kPanelSingleFile: {
            // Codes 6 and 13 are joined from page files; every other format makes its own files.
            const int position = std::atoi(valueOf(kPanelFormat).c_str());
            const int code = position >= 1 && position <= int(formatCodes_.size()) ? formatCodes_[std::size_t(position - 1)] : 0;
            return code == 6 || code == 13;
        }
        case kPanelPrefix:
        case kPanelOverwrite: return std::atoi(valueOf(kPanelDateNames).c_str()) == 0;
        default: return true;
    }
}

std::string ActionForm::modeName() const {
    const int mode = IndexOf(kPanelMode) >= 0 ? std::atoi(values_[std::size_t(IndexOf(kPanelMode))].c_str()) : 1;
    return kModeSections[mode >= 0 && mode <= 2 ? mode : 1];
}

std::string ActionForm::sourceName() const { return source_; }

std::string ActionForm::keyOf(const FormField& f, int number) const {
    const std::string button = std::to_string(number);
    switch (f.place) {
        case FieldPlace::Button: return Joined(button, f.subKey);
        case FieldPlace::Mode: return Joined(button, modeName());
        case FieldPlace::Source: return Joined(button, sourceName());
        case FieldPlace::Template: return f.subKey;
    }
    return button;
}

void ActionForm::Load(HKEY templateKey, int number) {
    bool found = false;
    const int source = std::atoi(ReadText(templateKey, std::to_string(number), "Source", "4", &found).c_str());
    source_ = kSourceSections[source >= 1 && source <= 6 ? source - 1 : 3];
    // The colour mode first: it names the section of the file settings.
    std::vector<std::size_t> order;
    const int mode = IndexOf(kPanelMode);
    if (mode >= 0) order.push_back(std::size_t(mode));
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (int(i) != mode) order.push_back(i);
    for (std::size_t i : order)
        values_[i] = ReadText(templateKey, keyOf(fields_[i], number), fields_[i].name, fields_[i].fallback, &found);
}

bool ActionForm::Save(HKEY templateKey, int number) const {
    bool ok = true;
    for (std::size_t i = 0; i < fields_.size(); ++i)
        ok = WriteValue(templateKey, keyOf(fields_[i], number), fields_[i].name, values_[i], fields_[i].number) && ok;
    // The scan's own colour mode says the same as the button's, counted from 1.
    const int mode = IndexOf(kPanelMode);
    if (mode >= 0) {
        const std::string scanMode = std::to_string(std::atoi(values_[std::size_t(mode)].c_str()) + 1);
        ok = WriteValue(templateKey, Joined(std::to_string(number), sourceName()), "Mode", scanMode, true) && ok;
    }
    return ok;
}

std::string ActionForm::Missing() const {
    std::string missing;
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (!fields_[i].missing.empty() && values_[i].find_first_not_of(' ') == std::string::npos)
            missing += (missing.empty() ? "" : ", ") + fields_[i].missing;
    return missing;
}

}  // namespace button_template
