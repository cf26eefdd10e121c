// The panel of a button's settings in the main dialog's template area: one
// row a setting of its form (a label and an edit, a list or a check box, with
// "..." to browse for a folder or a program). Every change goes into the form
// and is told to the main dialog, which then offers Apply.
#pragma once

#include <functional>

#include "outside/button_template/action_form.h"
#include "platform/afx/afxwin.h"

namespace button_template {

class CActionPanel : public CDialog {
public:
    CActionPanel(ActionForm& form, std::string browseCaption, std::function<void()> changed);

    // Makes the panel of button `number` over `area` (client coordinates of
    // `owner`), hidden; its id is kPanelWindow + `number`.
    BOOL CreateOver(CWnd* owner, const RECT& area, int number);
    // Shows the form's values again (after they were reloaded).
    void Refresh();

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Enter or Escape in a setting leaves the panel as it is.
    void OnOK() override {}
    void OnCancel() override {}

private:
    void browse(std::size_t field);
    void take(std::size_t field);
    // Hides the check boxes and greys the settings that mean nothing with the others' values.
    void showApplying();

    ActionForm& form_;
    std::string browseCaption_;
    std::function<void()> changed_;
    bool filling_ = false;
};

}  // namespace button_template
