#include "shell/frame/advertise_view.h"

#include <chrono>
#include <condition_variable>
#include <thread>

#include "platform/win/url_download.h"

const char* const CAdvertiseView::kAccountPage = "http://www.orvane.example/account_ocr.htm";

// One navigation request, shared with its checking thread. The view drops
// it (under the lock) before it goes, so the thread posts only to a live view.
struct CAdvertiseView::Request {
    std::mutex lock;
    std::condition_variable ended;
    std::string address;
    unsigned serial = 0;
    HWND view = nullptr;
    bool dropped = false;
    bool checked = false;
};

IMPLEMENT_DYNCREATE(CAdvertiseView, CHtmlView)
IMPLEMENT_DYNCREATE(CLittleAdView, CHtmlView)

BEGIN_MESSAGE_MAP(CAdvertiseView, CHtmlView)
ON_MESSAGE(WM_ADNAVIGATE, OnAdNavigate)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CAdvertiseView::CAdvertiseView() = default;
CAdvertiseView::~CAdvertiseView() { dropRequest(); }

void CAdvertiseView::dropRequest() {
    if (!request_) return;
    std::lock_guard guard(request_->lock);
    request_->dropped = true;
    request_->view = nullptr;
}

void CAdvertiseView::Navigate(const std::string& address) {
    dropRequest();
    auto request = std::make_shared<Request>();
    request->address = address.empty() ? kAccountPage : address;
    request->serial = ++serial_;
    request->view = GetSafeHwnd();
    request_ = request;
    // The thread ends by itself within the connection wait; nobody joins it.
    std::thread([request] {
        std::string address;
        {
            std::lock_guard guard(request->lock);
            address = request->address;
        }
        // The answer is not used: a failed check does not stop the navigation.
        InternetCheckConnectionA(address.c_str(), FLAG_ICC_FORCE_CONNECTION, 0);
        std::lock_guard guard(request->lock);
        if (!request->dropped && request->view)
            ::PostMessage(request->view, WM_ADNAVIGATE, request->serial, 0);
        request->checked = true;
        request->ended.notify_all();
    }).detach();
}

std::string CAdvertiseView::PendingAddress() const {
    if (!request_) return {};
    std::lock_guard guard(request_->lock);
    return request_->dropped ? std::string() : request_->address;
}

bool CAdvertiseView::WaitForCheck(int ms) {
    if (!request_) return true;
    std::unique_lock guard(request_->lock);
    return request_->ended.wait_for(guard, std::chrono::milliseconds(ms), [this] { return request_->checked; });
}

LRESULT CAdvertiseView::OnAdNavigate(WPARAM wParam, LPARAM) {
    std::string address;
    {
        if (!request_) return 0;
        std::lock_guard guard(request_->lock);
        // A message of an earlier request is stale.
        if (request_->dropped || request_->serial != static_cast<unsigned>(wParam)) return 0;
        address = request_->address;
    }
    CHtmlView::Navigate(address.c_str(), kNavigateFlags);
    return 0;
}

void CAdvertiseView::OnDestroy() {
    dropRequest();
    CHtmlView::OnDestroy();
}
