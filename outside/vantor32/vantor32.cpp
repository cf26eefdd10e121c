// The glue's entries: the program's identity and window, the source manager
// and the choice of scanner, acquisitions on a worker thread, and the report
// of a failed acquisition on the program's own thread.
#include <mutex>
#include <string>

#include "outside/include/library_export.h"
#include "outside/include/vantor32.h"
#include "outside/scan/sane_device.h"
#include "outside/vantor32/acquisition.h"
#include "outside/vantor32/source_dialogs.h"
#include "outside/vantor32/source_settings.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/winuser.h"

namespace {

struct Glue {
    std::recursive_mutex lock;
    bool initialised = false;
    TW_IDENTITY identity{};
    HWND window = nullptr;
    UINT pageMessage = 0;
    std::string tempFile;
    int messageLevel = 0;
    bool managerOpen = false;
    // The device the last acquisition found; ResetID forgets it.
    std::string sourceDevice;
    UINT reportMessage = 0;
    // The program's resolution and mode for acquisitions without the dialog (0: kept settings).
    int resolution = 0;
    int mode = -1;
    vantor::Acquisition acquisition;
};

Glue& glue() {
    static Glue g;
    return g;
}

}  // namespace

SUITE_LIBRARY_EXPORT int TWInitialize(TW_IDENTITY* identity, HWND window, int, const char* tempFile, UINT pageMessage) {
    Glue& g = glue();
    std::lock_guard<std::recursive_mutex> guard(g.lock);
    if (!identity || pageMessage == 0) return 0;
    g.identity = *identity;
    g.window = window;
    g.pageMessage = pageMessage;
    g.tempFile = tempFile ? tempFile : "";
    g.reportMessage = RegisterWindowMessage("Vantor32 Acquisition Failed");
    g.initialised = true;
    return 1;
}

SUITE_LIBRARY_EXPORT void SetMessageLevel(int level) {
    std::lock_guard<std::recursive_mutex> guard(glue().lock);
    glue().messageLevel = level;
}

SUITE_LIBRARY_EXPORT int TWOpenDSM() {
    Glue& g = glue();
    std::lock_guard<std::recursive_mutex> guard(g.lock);
    g.managerOpen = scan::EnsureSaneStarted();
    return g.managerOpen ? 1 : 0;
}

SUITE_LIBRARY_EXPORT int TWSelectDS() {
    Glue& g = glue();
    HWND owner = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(g.lock);
        if (!g.managerOpen) return 0;
        owner = g.window;
    }
    const std::vector<std::string> devices = scan::ListDevices();
    vantor::SourceSettings settings = vantor::ReadSourceSettings();
    std::string device = vantor::DeviceToUse(settings, devices);
    if (!vantor::ChooseDevice(owner, devices, device)) return 0;
    settings.device = device;
    vantor::WriteSourceSettings(settings);
    std::lock_guard<std::recursive_mutex> guard(g.lock);
    g.sourceDevice.clear();
    return 1;
}

SUITE_LIBRARY_EXPORT void TWCloseDSM(int) {
    std::lock_guard<std::recursive_mutex> guard(glue().lock);
    glue().managerOpen = false;
}

SUITE_LIBRARY_EXPORT int TWAcquire(HWND window, int showUI, int allPages) {
    Glue& g = glue();
    std::unique_lock<std::recursive_mutex> guard(g.lock);
    if (!g.initialised || g.acquisition.Running()) return 0;
    if (!window) window = g.window;
    if (!window || !IsWindow(window)) return 0;
    const std::vector<std::string> devices = scan::ListDevices();
    vantor::SourceSettings settings = vantor::ReadSourceSettings();
    if (!g.sourceDevice.empty()) settings.device = g.sourceDevice;
    settings.device = vantor::DeviceToUse(settings, devices);
    if (settings.device.empty()) return 0;
    if (!showUI && g.resolution > 0) {
        settings.resolution = g.resolution;
        settings.mode = g.mode;
    }
    if (showUI) {
        // The dialog pumps messages: the lock is not held meanwhile.
        guard.unlock();
        if (!vantor::EditSettings(window, devices, settings)) return 0;
        vantor::WriteSourceSettings(settings);
        guard.lock();
        if (g.acquisition.Running()) return 0;
    }
    g.sourceDevice = settings.device;
    return g.acquisition.Start(window, g.pageMessage, g.reportMessage, settings, allPages != 0) ? 1 : 0;
}

SUITE_LIBRARY_EXPORT int TWSetImageSettings(int resolution, int mode) {
    Glue& g = glue();
    std::lock_guard<std::recursive_mutex> guard(g.lock);
    if (resolution == 0 && mode == 0) {
        g.resolution = 0;
        g.mode = -1;
        return 1;
    }
    if (resolution < 50 || resolution > 1200 || mode < 0 || mode > 2) return 0;
    g.resolution = resolution;
    g.mode = mode;
    return 1;
}

SUITE_LIBRARY_EXPORT int TWIsDSOpen() { return glue().acquisition.Running() ? 1 : 0; }

SUITE_LIBRARY_EXPORT void ResetID() {
    std::lock_guard<std::recursive_mutex> guard(glue().lock);
    glue().sourceDevice.clear();
}

SUITE_LIBRARY_EXPORT int ProcessTWMessage(MSG* message, HWND) {
    Glue& g = glue();
    if (!message || !g.reportMessage || message->message != g.reportMessage) return 0;
    const std::string failure = g.acquisition.TakeFailure();
    int level = 0;
    HWND owner = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(g.lock);
        level = g.messageLevel;
        owner = g.window;
    }
    if (level >= 1 && !failure.empty()) MessageBox(owner, failure.c_str(), "Vantor32", MB_OK | MB_ICONSTOP);
    return 1;
}

SUITE_LIBRARY_EXPORT void CloseConnection(int) {
    Glue& g = glue();
    g.acquisition.Stop();
    std::lock_guard<std::recursive_mutex> guard(g.lock);
    g.initialised = false;
    g.window = nullptr;
    g.managerOpen = false;
    g.sourceDevice.clear();
}
