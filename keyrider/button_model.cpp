#include "keyrider/button_model.h"

#include <algorithm>

#include <cstdio>

#include "keyrider/startup_registry.h"
#include "platform/win/library.h"
#include "platform/win/registry.h"

namespace keyrider {

unsigned ButtonCommandId(int number) {
    if (number >= 1 && number <= 9) return kButtonOneCommand + unsigned(number - 1);
    return number >= 10 ? kFirstHighButtonCommand + unsigned(number) : 0;
}

int ButtonFromCommand(unsigned id) {
    if (id >= kButtonOneCommand && id < kButtonOneCommand + 9) return int(id - kButtonOneCommand) + 1;
    if (id >= kFirstHighButtonCommand + 10 && id < kFirstHighButtonCommand + 10000) return int(id - kFirstHighButtonCommand);
    return 0;
}

namespace {

HKEY openKey(HKEY parent, const std::string& path, REGSAM rights = KEY_READ) {
    HKEY k = nullptr;
    return parent && RegOpenKeyExA(parent, path.c_str(), 0, rights, &k) == ERROR_SUCCESS ? k : nullptr;
}

}  // namespace

ButtonRecord* ButtonModel::Find(int number) {
    for (auto& b : buttons_)
        if (b->number == number) return b.get();
    return nullptr;
}

void ButtonModel::Clear() {
    for (auto& b : buttons_) detach(*b);
    buttons_.clear();
    templates_.clear();
}

bool ButtonModel::attach(ButtonRecord& button, int templateNumber) {
    if (templateNumber < 1 || templateNumber > int(templates_.size())) return false;
    const TemplateRecord& t = templates_[std::size_t(templateNumber - 1)];
    HMODULE module = LoadLibraryA((std::string(settings_.ProgramFolder.GetString()) + t.dll).c_str());
    auto entry = module ? reinterpret_cast<UTILITY_ENTRY>(GetProcAddress(module, "UtilityEntry")) : nullptr;
    const UTILITY_TABLE* table = entry ? entry() : nullptr;
    auto context = std::make_unique<UTILITY_CONTEXT>();
    context->ButtonNumber = button.number;
    context->Owner = owner_;
    context->Panel = panel_;
    context->TemplateKeyPath = t.keyPath.c_str();
    context->TemplateAvailable = t.probe == 0;
    if (!table || !table->UtilityOpen || !context->TemplateKey.OpenReadWrite(t.keyPath.c_str(), settings_.AppKey)) {
        if (module) FreeLibrary(module);
        return false;
    }
    // The button's own settings start from the template's defaults, before
    // the template reads them.
    HKEY own = openKey(context->TemplateKey.Key(), std::to_string(button.number));
    if (own)
        RegCloseKey(own);
    else if (settings_.CommonTable)
        settings_.CommonTable->CopyKey(context->TemplateKey.Key(), "Default", context->TemplateKey.Key(),
                                       std::to_string(button.number).c_str());
    if (!table->UtilityOpen(context.get(), &settings_)) {
        if (module) FreeLibrary(module);
        return false;
    }
    if (HKEY k = openKey(context->TemplateKey.Key(), std::to_string(button.number))) {
        button.description = ReadString(k, "Description");
        RegCloseKey(k);
    }
    detach(button);
    button.module = module;
    button.table = table;
    button.context = std::move(context);
    button.templateNumber = templateNumber;
    return true;
}

void ButtonModel::detach(ButtonRecord& button) {
    if (button.table && button.context && button.table->UtilityClose) button.table->UtilityClose(button.context.get());
    button.context.reset();
    button.table = nullptr;
    if (button.module) FreeLibrary(button.module);
    button.module = nullptr;
}

bool ButtonModel::Load(CWnd* owner, const RECT& panel) {
    Clear();
    owner_ = owner;
    panel_ = panel;
    HKEY buttonKey = openKey(settings_.AppKey, "Button");
    bool found = false;
    iconSize_ = int(ReadDword(buttonKey, "Icon Size", 0, &found));
    if (!buttonKey || !found) {
        if (buttonKey) RegCloseKey(buttonKey);
        return false;
    }
    if (HKEY utility = openKey(settings_.AppKey, "Utility")) {
        for (int i = 1;; ++i) {
            std::string path = ReadString(utility, std::to_string(i).c_str());
            HKEY t = path.empty() ? nullptr : openKey(settings_.AppKey, path);
            if (!t) break;
            TemplateRecord r;
            r.index = i;
            r.keyPath = path;
            bool a = false, b = false, c = false, d = false;
            r.dll = ReadString(t, "DLL", {}, &a);
            r.name = ReadString(t, "Name", {}, &b);
            r.icon = ReadString(t, "Icon", {}, &c);
            r.disableIcon = ReadString(t, "Disable Icon", {}, &d);
            RegCloseKey(t);
            if (!(a && b && c && d)) continue;  // a template lacking a value is skipped
            // The probe's answer decides which icon the template shows.
            HMODULE m = LoadLibraryA((std::string(settings_.ProgramFolder.GetString()) + r.dll).c_str());
            auto entry = m ? reinterpret_cast<UTILITY_ENTRY>(GetProcAddress(m, "UtilityEntry")) : nullptr;
            const UTILITY_TABLE* table = entry ? entry() : nullptr;
            if (table && table->UtilityProbe) {
                UTILITY_CONTEXT probeContext{};
                probeContext.TemplateKey.OpenReadOnly(path.c_str(), settings_.AppKey);
                probeContext.TemplateKeyPath = path.c_str();
                r.probe = table->UtilityProbe(&probeContext, &settings_);
            }
            if (m) FreeLibrary(m);
            templates_.push_back(r);
        }
        RegCloseKey(utility);
    }
    if (!templates_.empty()) {
        for (int n = 1;; ++n) {
            HKEY b = openKey(buttonKey, std::to_string(n));
            if (!b) break;
            auto record = std::make_unique<ButtonRecord>();
            record->number = n;
            bool s = false, c = false, t = false, x = false;
            record->enabled = ReadDword(b, "State", 0, &s) != 0;
            record->characteristic = int(ReadDword(b, "Characteristic", 0, &c));
            int templateNumber = int(ReadDword(b, "Application Type", 0, &t));
            record->text = ReadString(b, "Button Text", {}, &x);
            record->textEditable = int(ReadDword(b, "Text Editable", 0));
            RegCloseKey(b);
            if (!(s && c && t && x) || !record->enabled) continue;
            if (!attach(*record, templateNumber)) continue;
            buttons_.push_back(std::move(record));
        }
    }
    RegCloseKey(buttonKey);
    if (!buttons_.empty()) {
        DWORD zero = 0;
        RegSetValueExA(settings_.AppKey, "First Run", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), 4);
        settings_.FirstRun = 0;
    }
    keepCopy();
    return true;
}

void ButtonModel::keepCopy() {
    saved_.clear();
    for (const auto& b : buttons_) saved_.push_back({b->number, b->templateNumber, b->text, b->description});
}

void ButtonModel::RestoreCopy() {
    for (auto& b : buttons_) {
        auto s = std::find_if(saved_.begin(), saved_.end(), [&](const SavedButton& x) { return x.number == b->number; });
        if (s == saved_.end()) continue;
        if (b->templateNumber != s->templateNumber) {
            attach(*b, s->templateNumber);
            if (b->table && b->table->UtilityPrepare) b->table->UtilityPrepare(b->context.get());
        } else if (b->modified && b->table && b->table->UtilityRevert) {
            b->table->UtilityRevert(b->context.get());
        }
        b->text = s->text;
        b->description = s->description;
        b->modified = false;
    }
}

int ButtonModel::FirstAvailable() const {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const int t = buttons_[i]->templateNumber;
        if (t >= 1 && t <= int(templates_.size()) && templates_[std::size_t(t - 1)].probe == 0) return int(i);
    }
    return buttons_.empty() ? -1 : int(buttons_.size()) - 1;
}

bool ButtonModel::SwitchTemplate(int number, int templateNumber) {
    ButtonRecord* b = Find(number);
    if (!b || b->characteristic != 1) return false;
    if (!attach(*b, templateNumber)) return false;
    b->modified = true;
    return true;
}

bool ButtonModel::Run(int number) {
    ButtonRecord* b = Find(number);
    if (!b || !b->table || !b->table->UtilityRun) return false;
    b->table->UtilityRun(b->context.get());
    return true;
}

bool ButtonModel::Rename(int number, const std::string& text) {
    ButtonRecord* b = Find(number);
    if (!b || text.empty()) return false;
    b->text = text;
    b->modified = true;
    return true;
}

std::vector<MenuItem> ButtonModel::MenuItems() const {
    std::vector<MenuItem> items;
    for (const auto& b : buttons_) {
        char text[300];
        std::snprintf(text, sizeof text, "%d) %s", b->number, b->text.c_str());
        bool available = b->context && b->context->TemplateAvailable && b->table && b->table->UtilityCanRun &&
                         b->table->UtilityCanRun(b->context.get());
        items.push_back({ButtonCommandId(b->number), text, available});
    }
    return items;
}

void ButtonModel::Apply() {
    for (auto& b : buttons_) {
        if (HKEY k = openKey(settings_.AppKey, "Button\\" + std::to_string(b->number), KEY_READ | KEY_SET_VALUE)) {
            RegSetValueExA(k, "Button Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(b->text.c_str()),
                           DWORD(b->text.size() + 1));
            DWORD t = DWORD(b->templateNumber);
            RegSetValueExA(k, "Application Type", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&t), 4);
            RegCloseKey(k);
        }
        if (b->modified && b->table && b->table->UtilitySave) b->table->UtilitySave(b->context.get(), b->description.c_str());
        b->modified = false;
    }
    keepCopy();
}

}  // namespace keyrider
