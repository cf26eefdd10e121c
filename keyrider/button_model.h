// The buttons of the scanner and the templates they are bound to, as the
// registry holds them: loading, attaching a template's library, switching a
// button's template (the new one attached before the old one goes, the old
// kept when the new one refuses), running a button, and the tray menu's
// button items.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "outside/include/button_utility.h"

namespace keyrider {

// Commands: 32775..32783 run buttons 1..9; buttons 10 and up run from
// kFirstHighButtonCommand + n, clear of the program's other commands.
inline constexpr unsigned kButtonOneCommand = 32775;
inline constexpr unsigned kFirstHighButtonCommand = 33000;
unsigned ButtonCommandId(int number);
// The button a command runs; 0 for any other command.
int ButtonFromCommand(unsigned id);

struct TemplateRecord {
    int index = 0;          // 1-based, its "Utility" value name
    std::string keyPath;    // relative to the app key
    std::string dll, name, icon, disableIcon;
    int probe = -1;         // UtilityProbe of the template (0 = available)
};

struct ButtonRecord {
    int number = 0;
    int characteristic = 0;
    int templateNumber = 0;  // "Application Type"
    bool modified = false;
    bool enabled = false;
    int textEditable = 0;
    std::string text;
    std::string description;
    // The attached template's library and table.
    HMODULE module = nullptr;
    const UTILITY_TABLE* table = nullptr;
    std::unique_ptr<UTILITY_CONTEXT> context;
};

struct MenuItem {
    unsigned id;
    std::string text;
    bool enabled;
};

class ButtonModel {
public:
    explicit ButtonModel(KEYRIDER_SETTINGS& settings) : settings_(settings) {}
    ButtonModel(const ButtonModel&) = delete;
    ButtonModel& operator=(const ButtonModel&) = delete;
    ~ButtonModel() { Clear(); }

    // Reads the templates and the buttons, attaching each button's template;
    // buttons whose template cannot be attached are left out. False when the
    // "Button" key or its "Icon Size" is missing. With buttons loaded,
    // "First Run" becomes 0.
    bool Load(CWnd* owner, const RECT& panel);
    void Clear();

    const std::vector<TemplateRecord>& Templates() const { return templates_; }
    const std::vector<std::unique_ptr<ButtonRecord>>& Buttons() const { return buttons_; }
    int Count() const { return int(buttons_.size()); }
    ButtonRecord* Find(int number);
    int IconSize() const { return iconSize_; }

    // Attaches template `templateNumber` to button `number` first and only
    // then closes and frees the old one; false (old template kept) when the
    // new one cannot be attached.
    bool SwitchTemplate(int number, int templateNumber);
    // Runs the button's template; false when `number` is not a listed button.
    bool Run(int number);
    // Renames a button; an empty name is refused.
    bool Rename(int number, const std::string& text);

    // The tray sub-menu's button items ("%d) %s"), enabled when the template
    // is available and can run.
    std::vector<MenuItem> MenuItems() const;
    // Apply: writes texts and template numbers; modified buttons save. The
    // copy of the records is taken again.
    void Apply();
    // Cancel: every button back to the copy taken at loading or the last
    // Apply: its template (attached again), text and description; the
    // templates of the others drop their edits.
    void RestoreCopy();
    // The index of the first button whose template is available, else the last.
    int FirstAvailable() const;

private:
    struct SavedButton {
        int number;
        int templateNumber;
        std::string text, description;
    };
    void keepCopy();

    bool attach(ButtonRecord& button, int templateNumber);
    void detach(ButtonRecord& button);

    KEYRIDER_SETTINGS& settings_;
    std::vector<TemplateRecord> templates_;
    std::vector<std::unique_ptr<ButtonRecord>> buttons_;
    std::vector<SavedButton> saved_;
    int iconSize_ = 0;
    CWnd* owner_ = nullptr;
    RECT panel_{};
};

}  // namespace keyrider
