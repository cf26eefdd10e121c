#include "keyrider/tray_icon.h"

#include "keyrider/bounded_text.h"

namespace keyrider {

void CTrayIcon::Attach(CWnd* owner, UINT callbackMessage) {
    owner_ = owner;
    message_ = callbackMessage;
}

int CTrayIcon::AddIcon(HICON icon, const std::string& tooltip) {
    icons_.push_back(icon);
    tips_.push_back(tooltip);
    return int(icons_.size()) - 1;
}

std::string CTrayIcon::TooltipOf(int i) const {
    if (i < 0 || i >= int(tips_.size())) return {};
    NOTIFYICONDATA data{};
    CopyBounded(data.szTip, sizeof data.szTip, tips_[std::size_t(i)]);
    return data.szTip;
}

bool CTrayIcon::SetIcon(int i, bool force) {
    if (!owner_ || !owner_->GetSafeHwnd()) return false;
    NOTIFYICONDATA data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_->GetSafeHwnd();
    data.uID = 0;
    if (i < 0) {
        if (!added_) return false;
        added_ = false;
        current_ = -1;
        return Shell_NotifyIcon(NIM_DELETE, &data);
    }
    if (i >= int(icons_.size())) return false;
    if (i == current_ && !force && added_) return true;
    data.uFlags = NIF_MESSAGE | NIF_ICON;
    data.uCallbackMessage = message_;
    data.hIcon = icons_[std::size_t(i)];
    if (!tips_[std::size_t(i)].empty()) {
        data.uFlags |= NIF_TIP;
        CopyBounded(data.szTip, sizeof data.szTip, tips_[std::size_t(i)]);
    }
    const bool ok = Shell_NotifyIcon(added_ ? NIM_MODIFY : NIM_ADD, &data);
    if (ok) {
        added_ = true;
        current_ = i;
    }
    return ok;
}

}  // namespace keyrider
