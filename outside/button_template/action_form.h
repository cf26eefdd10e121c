// What a button's panel edits: the settings its action needs, one field each,
// where each lives in the button's key, and the values being edited. Loaded
// from the registry, changed by the panel, written back by Save and taken
// back by Load. No windows here.
#pragma once

#include <string>
#include <vector>

#include "platform/win/types.h"

namespace button_template {

enum class FieldControl { Text, Number, Password, Check, Choice, Folder, Program };

// Where a field's value lives.
enum class FieldPlace {
    Button,    // the button's key (or the sub-key `subKey` of it)
    Mode,      // the button's sub-key named by its colour mode ("Color", "Gray", "BW")
    Source,    // the button's sub-key named by its scan source ("ADF", ...)
    Template,  // the template's own key (or its sub-key `subKey`): shared by every button
};

struct FieldChoice {
    std::string label;
    std::string value;
};

struct FormField {
    int id = 0;
    std::string label;
    FieldControl control = FieldControl::Text;
    FieldPlace place = FieldPlace::Button;
    std::string subKey;
    std::string name;  // the registry value
    std::string fallback;
    bool number = false;  // stored as a DWORD
    std::string onValue = "1";  // a ticked check box's value (unticked: "0")
    std::vector<FieldChoice> choices;
    // Not empty: the setting must not be empty, and this says what is missing.
    std::string missing;
};

// What the machine offers the choices of some fields.
struct FormSources {
    std::vector<std::string> formats;       // "File Format" entries 1..9: "code,description"
    std::vector<std::string> printers;      // printer names
    std::vector<std::string> applications;  // names of the action's application list
};

// The action a template key stands for: its key name, as the job compares it.
std::string ActionOfTemplateKey(const std::string& templateKeyPath);

class ActionForm {
public:
    ActionForm() = default;
    ActionForm(const std::string& action, const FormSources& sources);

    const std::vector<FormField>& Fields() const { return fields_; }
    const std::string& Value(std::size_t i) const { return values_[i]; }
    // The index of the field of that id, or -1.
    int IndexOf(int id) const;
    // Sets a field's value; true when it changed.
    bool Set(std::size_t i, const std::string& value);
    // The choice index of a choice field's value (-1: none).
    int ChoiceIndex(std::size_t i) const;
    // Whether a field means anything with the other values as they are: one
    // PDF file for all pages only with a PDF made of page files, the prefix
    // and the question before replacing only with serial-number names.
    bool Applies(std::size_t i) const;

    // Reads every field of button `number` from the template key; missing
    // values take their fallbacks.
    void Load(HKEY templateKey, int number);
    // Writes every field; false when a value could not be written.
    bool Save(HKEY templateKey, int number) const;
    // What the button lacks to run, as the user is told it; empty when nothing.
    std::string Missing() const;

private:
    std::string keyOf(const FormField& f, int number) const;
    std::string modeName() const;
    std::string sourceName() const;

    std::vector<FormField> fields_;
    std::vector<std::string> values_;
    std::vector<int> formatCodes_;  // the format code of each "File Format" position, from 1
    std::string source_ = "ADF";
};

}  // namespace button_template
