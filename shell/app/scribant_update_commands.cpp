// The update command of the application: the check runs on a worker thread
// of its own and reaches the user through the update relay.
#include "shell/app/scribant_app.h"
#include "shell/update/update_relay.h"

std::string CScribantApp::UpdateFolder() const { return m_strAppDir + "\\Update\\"; }

void CScribantApp::OnAppUpdate() {
    m_pUpdateParam = 0;
    if (!UpdateRelay().CreateRelay()) return;
    UpdateFiles files;
    files.folder = UpdateFolder();
    // A check already running goes on; a second one is not started beside it.
    StartUpdateCheck(files, m_pUpdateParam != 0, &UpdateRelay());
}
