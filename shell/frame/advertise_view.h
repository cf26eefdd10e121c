// The advert views: HTML views of the main frame. CAdvertiseView checks the
// connection on a worker thread before it navigates; the navigation itself
// always happens on the user-interface thread, and only for the latest
// request of a view that still exists. CLittleAdView is a plain HTML view.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/html_view.h"

// WM_ADNAVIGATE (wParam: the number of the request to navigate).
#define WM_ADNAVIGATE (WM_USER + 1)

class CAdvertiseView : public CHtmlView {
    DECLARE_DYNCREATE(CAdvertiseView)
public:
    static constexpr UINT kChildId = 1147;
    // The maker's account page, used for an empty address.
    static const char* const kAccountPage;
    static constexpr DWORD kNavigateFlags = 128;

    CAdvertiseView();
    ~CAdvertiseView() override;

    // Drops the previous request and checks the connection to `address`
    // (the account page when empty) on a worker thread, which then asks the
    // view to navigate there. A failed check still navigates.
    void Navigate(const std::string& address);
    // The address of the request in hand (empty when none).
    std::string PendingAddress() const;
    // Waits at most `ms` for the connection check to end; true when it has.
    bool WaitForCheck(int ms);

protected:
    afx_msg LRESULT OnAdNavigate(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    struct Request;
    std::shared_ptr<Request> request_;
    unsigned serial_ = 0;
    void dropRequest();
};

class CLittleAdView : public CHtmlView {
    DECLARE_DYNCREATE(CLittleAdView)
};
