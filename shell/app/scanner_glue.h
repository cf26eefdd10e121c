// The scanner glue library as Scribant calls it: bound by name at start-up
// with the program's identity, its main window and the page message; then
// acquisitions, the choice of scanner, the glue's own messages in the
// frame's message filter, and the connection's end at exit.
#pragma once

#include <string>

#include "outside/include/vantor32.h"
#include "platform/win/types.h"

class CScannerGlue {
public:
    // The identity the program hands to the glue.
    static TW_IDENTITY ProgramIdentity();

    // Binds the glue's entries and initialises it (message level 1); false
    // when the library or one of its entries is missing, or it refused.
    bool Initialize(HWND window, const std::string& tempFile, UINT pageMessage);
    bool IsReady() const { return ready_; }

    // The scan command's acquisition: 1 when it runs (pages arrive later).
    int Acquire(HWND window, int showUI, int allPages);
    // The resolution and colour mode (the glue's: 0 colour, 1 grey, 2 black
    // and white) of the acquisitions without the settings dialog; false when
    // the glue is not bound or refuses them.
    bool SetImageSettings(int resolution, int mode);
    bool IsSourceOpen() const;
    void ResetSource();
    // The scanner choice: the source manager opened, the source chosen, closed.
    void SelectSource();
    // A message of the program's loop offered to the glue; TRUE when it took it.
    BOOL ProcessMessage(MSG* message, HWND window);
    // Ends the connection (stops a running acquisition).
    void Close();

private:
    bool ready_ = false;
    PFN_TWOPENDSM openManager_ = nullptr;
    PFN_TWSELECTDS selectSource_ = nullptr;
    PFN_TWCLOSEDSM closeManager_ = nullptr;
    PFN_TWACQUIRE acquire_ = nullptr;
    PFN_TWISDSOPEN isSourceOpen_ = nullptr;
    PFN_RESETID resetId_ = nullptr;
    PFN_PROCESSTWMESSAGE process_ = nullptr;
    PFN_CLOSECONNECTION close_ = nullptr;
    PFN_TWSETIMAGESETTINGS imageSettings_ = nullptr;
};
