// The compose window of the mail library: To, Subject and the attached
// files, with Send and Cancel. Send with a mail that cannot go says why and
// stays open.
#pragma once

#include "outside/mapi32/compose_model.h"
#include "platform/afx/afxwin.h"

namespace mapi32 {

constexpr int kComposeTo = 1001;
constexpr int kComposeSubject = 1002;
constexpr int kComposeFiles = 1003;

class CComposeDialog : public CDialog {
public:
    explicit CComposeDialog(ComposeModel& model, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    ComposeModel& model_;
};

// Shows the window; true when the user sent the mail (the model then holds
// what was typed).
bool RunComposeDialog(ComposeModel& model);

}  // namespace mapi32
