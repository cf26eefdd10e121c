// The notification-area icon of the button manager: a list of icons with
// their tooltips, one shown at a time.
#pragma once

#include <string>
#include <vector>

#include "platform/afx/afxwin.h"

namespace keyrider {

class CTrayIcon {
public:
    CTrayIcon() = default;
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;
    ~CTrayIcon() { SetIcon(-1, false); }

    void Attach(CWnd* owner, UINT callbackMessage);
    // Returns the index of the added icon.
    int AddIcon(HICON icon, const std::string& tooltip);
    // Shows icon i (added the first time, changed later; not sent again when
    // unchanged unless forced); -1 removes the icon.
    bool SetIcon(int i, bool force);
    int Current() const { return current_; }
    // The tooltip as the notification record holds it (cut to 127 bytes).
    std::string TooltipOf(int i) const;

private:
    CWnd* owner_ = nullptr;
    UINT message_ = 0;
    std::vector<HICON> icons_;
    std::vector<std::string> tips_;
    int current_ = -1;
    bool added_ = false;
};

}  // namespace keyrider
