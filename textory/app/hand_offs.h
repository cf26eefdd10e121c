// Textory's hand-offs to outside programs in its program folder: a job
// prepared for proofreading goes to Emendo10 ("CLIENT" + the job path), and
// the read-aloud program Lectiva is started from the task bar and ended when
// Textory exits, and the character-input program Wendaro is started on its
// command. Only the Lectiva this run started is ever ended.
#pragma once

#include <string>

#include "shell/outside/character_input.h"
#include "shell/outside/outside_program.h"

namespace textory {

class CHandOffs {
public:
    enum class ReaderStart { kStarted, kAlreadyRunning, kNotFound };

    explicit CHandOffs(const std::string& programFolder);

    // Starts Emendo10 on the job; FALSE when it could not be started.
    bool StartProofreading(const std::string& jobPath);
    // A window titled "Lectiva" (of any run), or the copy this run started
    // still running, means it runs already.
    ReaderStart StartReader();
    // Ends this run's read-aloud program: its own "Lectiva" window is told to
    // close (WM_CLOSE), as the program expects; one still running after
    // `waitMs` is asked to end (and ended) by its process. Another run's
    // reader is never touched.
    void CloseReader(DWORD waitMs);
    // The character-input program Wendaro (it takes nothing); where it is
    // not installed, the desktop's character map ("gucharmap") when there is
    // one. FALSE when neither could be started.
    bool StartCharacterInput();

    COutsideProgram& Proofreader() { return emendo_; }
    COutsideProgram& Reader() { return lectiva_; }
    COutsideProgram& CharacterInput() { return characterInput_.Wendaro(); }

    // The messages, in the program's code page.
    static std::string ReaderRunningMessage();                  // "Lectiva已经启动"
    // "未找到文件 %s", the path as the user knows it.
    static std::string NotFoundMessage(const std::string& path);

private:
    std::string folder_;
    COutsideProgram emendo_;
    COutsideProgram lectiva_;
    CCharacterInputProgram characterInput_;
};

}  // namespace textory
