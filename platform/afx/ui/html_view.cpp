#include "platform/afx/ui/html_view.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/afx/ui/ui_private.h"
#include "platform/win/path.h"
#include "platform/win/url_download.h"

using namespace afx_detail;

namespace {

// Pages larger than this are not shown (fetched or local).
constexpr std::int64_t kMaxPageBytes = 16LL * 1024 * 1024;

bool IsRemote(const QString& address) {
    const QString lower = address.left(8).toLower();
    return lower.startsWith("http://") || lower.startsWith("https://") || lower.startsWith("ftp://");
}

QString Escaped(const QString& text) { return text.toHtmlEscaped(); }

// The text of fetched bytes: the server's charset, else the page's own
// declaration, else UTF-8.
QString DecodePage(const QByteArray& body, const std::string& contentType) {
    const auto at = contentType.find("charset=");
    if (at != std::string::npos) {
        std::string name = contentType.substr(at + 8);
        name = name.substr(0, name.find_first_of("; \""));
        QStringDecoder named(name.c_str());
        if (named.isValid()) return named.decode(body);
    }
    QStringDecoder fromPage = QStringDecoder::decoderForHtml(body);
    if (fromPage.isValid()) return fromPage.decode(body);
    return QString::fromUtf8(body);
}

class BrowserWidget : public QTextBrowser {
public:
    explicit BrowserWidget(QWidget* parent) : QTextBrowser(parent) {
        setOpenLinks(false);
        setFrameShape(QFrame::NoFrame);
        connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) { followLink(link); });
    }
    ~BrowserWidget() override {
        cancelFetch();
        for (Fetch& f : fetches_) f.worker.join();
    }

    HWND hwnd = nullptr;
    QString location;
    LONG readyState = READYSTATE_UNINITIALIZED;
    LONG lastError = S_OK;

    void navigate(const QString& address, const HtmlNavigateRequest& request) {
        cancelFetch();
        ++generation_;
        location = address;
        if (request.postData || (request.headers && *request.headers)) {
            fail(HTML_E_UNSUPPORTED, "Post data and extra headers are not sent by this browser.");
            return;
        }
        if (address.isEmpty() || address.compare("about:blank", Qt::CaseInsensitive) == 0) {
            clear();
            complete();
            return;
        }
        if (IsRemote(address)) {
            fetch(address);
            return;
        }
        QString native;
        if (address.startsWith("file:", Qt::CaseInsensitive)) {
            native = QUrl(address).toLocalFile();
        } else {
            std::string path;
            if (suite::TryNativePath(FromQ(address).GetString(), path)) native = QString::fromStdString(path);
        }
        const QFileInfo info(native);
        if (native.isEmpty() || !info.isFile()) {
            fail(HTML_E_NOTFOUND, "The file does not exist.");
            return;
        }
        if (info.size() > kMaxPageBytes) {
            fail(INET_E_DOWNLOAD_FAILURE, "The file is too large to be shown.");
            return;
        }
        setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
        localBase_ = QUrl::fromLocalFile(info.absoluteFilePath());
        complete();
    }

    void stop() {
        if (readyState != READYSTATE_LOADING) return;
        cancelFetch();
        ++generation_;
        readyState = READYSTATE_COMPLETE;
    }

private:
    struct Fetch {
        std::thread worker;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Fetch> fetches_;
    std::shared_ptr<std::atomic<bool>> cancel_;
    unsigned generation_ = 0;
    QUrl localBase_;

    void cancelFetch() {
        if (cancel_) cancel_->store(true);
        cancel_.reset();
    }

    void fetch(const QString& address) {
        readyState = READYSTATE_LOADING;
        lastError = S_OK;
        localBase_.clear();
        auto cancel = std::make_shared<std::atomic<bool>>(false);
        cancel_ = cancel;
        const unsigned generation = generation_;
        const std::string url = FromQ(address).GetString();
        QPointer<BrowserWidget> self(this);
        // Finished workers are joined as new ones start; the rest when the widget goes.
        std::erase_if(fetches_, [](Fetch& f) {
            if (!f.done->load()) return false;
            f.worker.join();
            return true;
        });
        auto done = std::make_shared<std::atomic<bool>>(false);
        fetches_.push_back({std::thread([self, cancel, done, generation, url, widget = this] {
            std::string body, type;
            const HRESULT result = suite::FetchUrl(url, kMaxPageBytes, cancel.get(), body, &type);
            if (cancel->load()) {
                done->store(true);
                return;
            }
            QMetaObject::invokeMethod(
                widget,
                [self, generation, result, data = QByteArray::fromStdString(body), type] {
                    if (self) self->fetched(generation, result, data, type);
                },
                Qt::QueuedConnection);
            done->store(true);
        }), done});
    }

    void fetched(unsigned generation, HRESULT result, const QByteArray& body, const std::string& type) {
        if (generation != generation_) return;
        if (result != S_OK) {
            fail(result, result == INET_E_RESOURCE_NOT_FOUND ? "The server has no such page."
                                                             : "The page could not be fetched.");
            return;
        }
        const QString text = DecodePage(body, type);
        if (type.rfind("text/plain", 0) == 0) setPlainText(text);
        else setHtml(text);
        complete();
    }

    void followLink(const QUrl& link) {
        if (link.hasFragment() && link.path().isEmpty() && link.scheme().isEmpty()) {
            scrollToAnchor(link.fragment());
            return;
        }
        const QUrl base = localBase_.isEmpty() ? QUrl(location) : localBase_;
        const QUrl target = link.isRelative() ? base.resolved(link) : link;
        HtmlNavigateRequest request;
        navigate(target.isLocalFile() ? target.toString() : target.toString(), request);
    }

    void complete() {
        readyState = READYSTATE_COMPLETE;
        lastError = S_OK;
        notify(HBN_DOCUMENTCOMPLETE, S_OK);
    }

    void fail(LONG error, const char* reason) {
        readyState = READYSTATE_COMPLETE;
        lastError = error;
        localBase_.clear();
        setHtml(QString("<html><body><h3>This page cannot be shown</h3><p>%1</p><p>%2</p></body></html>")
                    .arg(Escaped(location), QString::fromUtf8(reason)));
        notify(HBN_NAVIGATEERROR, error);
    }

    void notify(UINT code, LONG status) {
        CWnd* self = hwnd ? CWnd::FromHandlePermanent(hwnd) : nullptr;
        HWND parent = hwnd ? ::GetParent(hwnd) : nullptr;
        if (!self || !parent) return;
        const CString url = FromQ(location);
        NMHTMLBROWSER nm{};
        nm.hdr.hwndFrom = hwnd;
        nm.hdr.idFrom = static_cast<UINT_PTR>(self->GetDlgCtrlID());
        nm.hdr.code = code;
        nm.url = url.GetString();
        nm.status = status;
        ::SendMessage(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    }

};

QWidget* MakeBrowser(CWnd*, CREATESTRUCT&, QWidget* parent) {
    auto* browser = new BrowserWidget(parent);
    QPointer<BrowserWidget> guard(browser);
    SetPendingSetup([guard](WindowState* s) {
        if (!guard) return;
        guard->hwnd = s->hwnd;
        s->controlProc = [guard](UINT m, WPARAM, LPARAM lp, LRESULT* r) -> bool {
            if (!guard) return false;
            switch (m) {
            case HBM_NAVIGATE: {
                const auto* request = reinterpret_cast<const HtmlNavigateRequest*>(lp);
                if (!request) return false;
                guard->navigate(ToQ(request->url ? request->url : ""), *request);
                *r = TRUE;
                return true;
            }
            case HBM_GETLOCATION:
                if (auto* out = reinterpret_cast<CString*>(lp)) *out = FromQ(guard->location);
                *r = TRUE;
                return true;
            case HBM_GETREADYSTATE: *r = guard->readyState; return true;
            case HBM_GETERROR: *r = guard->lastError; return true;
            case HBM_GETTEXT:
                if (auto* out = reinterpret_cast<CString*>(lp)) *out = FromQ(guard->toPlainText());
                *r = TRUE;
                return true;
            case HBM_STOP: guard->stop(); *r = 0; return true;
            default: return false;
            }
        };
    });
    return browser;
}

struct Registrar {
    Registrar() { RegisterWidgetFactory(HTMLBROWSER_CLASS, MakeBrowser); }
} g_registrar;

// A top-level window holding one browser that fills it.
class CBrowserWindow : public CWnd {
public:
    CHtmlBrowserCtrl browser;
    bool titleFromPage = true;

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        const auto* nm = reinterpret_cast<const NMHDR*>(lParam);
        if (nm && nm->code == HBN_DOCUMENTCOMPLETE && titleFromPage) {
            if (BrowserWidget* w = widgetOf()) {
                const QString title = w->documentTitle();
                SetWindowText(FromQ(title.isEmpty() ? w->location : title));
            }
        }
        return CWnd::OnNotify(wParam, lParam, result);
    }

    static std::vector<HWND>& Open() {
        static std::vector<HWND> windows;
        return windows;
    }

protected:
    afx_msg void OnSize(UINT, int cx, int cy) {
        if (browser.GetSafeHwnd()) browser.MoveWindow(0, 0, cx, cy);
    }
    afx_msg void OnDestroy() {
        auto& open = Open();
        open.erase(std::remove(open.begin(), open.end(), m_hWnd), open.end());
        CWnd::OnDestroy();
    }
    void PostNcDestroy() override { delete this; }
    DECLARE_MESSAGE_MAP()

private:
    BrowserWidget* widgetOf() {
        WindowState* s = StateOf(browser.GetSafeHwnd());
        return s ? dynamic_cast<BrowserWidget*>(s->widget.data()) : nullptr;
    }
};

BEGIN_MESSAGE_MAP(CBrowserWindow, CWnd)
ON_WM_SIZE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

}  // namespace

IMPLEMENT_DYNAMIC(CHtmlBrowserCtrl, CWnd)

BOOL CHtmlBrowserCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(HTMLBROWSER_CLASS, nullptr, style | WS_CHILD, rect, parent, id);
}

void CHtmlBrowserCtrl::Navigate(LPCTSTR url, DWORD flags, LPCTSTR targetFrame, LPCTSTR headers, const void* postData,
                                DWORD postLength) {
    if (!GetSafeHwnd()) return;
    if (flags & navOpenInNewWindow) {
        CWnd* top = GetTopLevelParent();
        AfxOpenBrowserWindow(top ? top->GetSafeHwnd() : nullptr, url);
        return;
    }
    HtmlNavigateRequest request;
    request.url = url;
    request.flags = flags;
    request.targetFrame = targetFrame;
    request.headers = headers;
    request.postData = postData;
    request.postLength = postLength;
    SendMessage(HBM_NAVIGATE, 0, reinterpret_cast<LPARAM>(&request));
}

CString CHtmlBrowserCtrl::GetLocationURL() const {
    CString out;
    if (GetSafeHwnd()) ::SendMessage(m_hWnd, HBM_GETLOCATION, 0, reinterpret_cast<LPARAM>(&out));
    return out;
}

LONG CHtmlBrowserCtrl::GetReadyState() const {
    return GetSafeHwnd() ? static_cast<LONG>(::SendMessage(m_hWnd, HBM_GETREADYSTATE, 0, 0)) : READYSTATE_UNINITIALIZED;
}

CString CHtmlBrowserCtrl::GetDocumentText() const {
    CString out;
    if (GetSafeHwnd()) ::SendMessage(m_hWnd, HBM_GETTEXT, 0, reinterpret_cast<LPARAM>(&out));
    return out;
}

LONG CHtmlBrowserCtrl::GetLastNavigationError() const {
    return GetSafeHwnd() ? static_cast<LONG>(::SendMessage(m_hWnd, HBM_GETERROR, 0, 0)) : E_FAIL;
}

void CHtmlBrowserCtrl::Stop() {
    if (GetSafeHwnd()) SendMessage(HBM_STOP);
}

IMPLEMENT_DYNCREATE(CHtmlView, CView)

BEGIN_MESSAGE_MAP(CHtmlView, CView)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CHtmlView::CHtmlView() = default;
CHtmlView::~CHtmlView() = default;

int CHtmlView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    CRect client;
    GetClientRect(&client);
    if (!m_browser.Create(WS_VISIBLE, client, this, kBrowserId)) return -1;
    return 0;
}

void CHtmlView::OnSize(UINT type, int cx, int cy) {
    CView::OnSize(type, cx, cy);
    if (m_browser.GetSafeHwnd()) m_browser.MoveWindow(0, 0, cx, cy);
}

BOOL CHtmlView::OnEraseBkgnd(CDC*) { return TRUE; }

void CHtmlView::OnDraw(CDC*) {}

void CHtmlView::Navigate(LPCTSTR url, DWORD flags, LPCTSTR targetFrame, LPCTSTR headers, LPVOID postData,
                         DWORD postLength) {
    m_browser.Navigate(url, flags, targetFrame, headers, postData, postLength);
}

void CHtmlView::OnDocumentComplete(LPCTSTR) {}
void CHtmlView::OnNavigateError(LPCTSTR, LPCTSTR, DWORD, BOOL*) {}

BOOL CHtmlView::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const auto* nm = reinterpret_cast<const NMHTMLBROWSER*>(lParam);
    if (nm && nm->hdr.hwndFrom == m_browser.GetSafeHwnd()) {
        if (nm->hdr.code == HBN_DOCUMENTCOMPLETE) {
            OnDocumentComplete(nm->url);
            return TRUE;
        }
        if (nm->hdr.code == HBN_NAVIGATEERROR) {
            BOOL cancel = FALSE;
            OnNavigateError(nm->url, nullptr, static_cast<DWORD>(nm->status), &cancel);
            return TRUE;
        }
    }
    return CView::OnNotify(wParam, lParam, result);
}

HWND AfxOpenBrowserWindow(HWND owner, LPCTSTR url, LPCTSTR title) {
    auto* window = new CBrowserWindow;
    window->titleFromPage = !(title && *title);
    if (!window->CreateEx(0, nullptr, title && *title ? title : "", WS_OVERLAPPEDWINDOW, 80, 60, 760, 560, owner,
                          nullptr)) {
        delete window;
        return nullptr;
    }
    CRect client;
    window->GetClientRect(&client);
    if (!window->browser.Create(WS_VISIBLE, client, window, 1)) {
        window->DestroyWindow();
        return nullptr;
    }
    CBrowserWindow::Open().push_back(window->m_hWnd);
    window->ShowWindow(SW_SHOWNORMAL);
    window->browser.Navigate(url);
    return window->m_hWnd;
}

CHtmlBrowserCtrl* AfxBrowserOfWindow(HWND window) {
    for (HWND open : CBrowserWindow::Open())
        if (open == window)
            if (auto* w = dynamic_cast<CBrowserWindow*>(CWnd::FromHandlePermanent(window))) return &w->browser;
    return nullptr;
}
