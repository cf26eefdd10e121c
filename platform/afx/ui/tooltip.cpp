// The tool-tip control's window: a hidden widget that holds the tool list and
// its timers and shows the tips through Qt's tool-tip label.
#include "platform/afx/ui/tooltip.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <cstring>

#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tooltip_model.h"
#include "platform/afx/ui/ui_private.h"

namespace {

using namespace afx_detail;
using afx::TipEffect;
using afx::TipTool;

// The tip of the control that showed it last, as plain lines (for tests).
QStringList& ShownTipLines() {
    static QStringList lines;
    return lines;
}

class ToolTipWindow : public QWidget {
public:
    explicit ToolTipWindow(QWidget* parent) : QWidget(parent) {
        wait_.setSingleShot(true);
        autoPop_.setSingleShot(true);
        QObject::connect(&wait_, &QTimer::timeout, this, [this] { Apply(model_.WaitElapsed(Now())); });
        QObject::connect(&autoPop_, &QTimer::timeout, this, [this] { Apply(model_.AutoPopElapsed(Now())); });
        clock_.start();
    }
    ~ToolTipWindow() override { HideTip(); }

    bool Handle(UINT m, WPARAM wp, LPARAM lp, LRESULT* r) {
        *r = 0;
        switch (m) {
        case TTM_ACTIVATE: Apply(model_.SetActive(wp != 0)); return true;
        case TTM_ADDTOOLA: *r = Add(reinterpret_cast<const TOOLINFOA*>(lp)); return true;
        case TTM_DELTOOLA:
            if (auto* info = reinterpret_cast<const TOOLINFOA*>(lp)) Apply(model_.Remove(info->hwnd, info->uId));
            return true;
        case TTM_NEWTOOLRECTA:
            if (auto* info = reinterpret_cast<const TOOLINFOA*>(lp)) Apply(model_.SetRect(info->hwnd, info->uId, info->rect));
            return true;
        case TTM_UPDATETIPTEXTA:
            if (auto* info = reinterpret_cast<const TOOLINFOA*>(lp)) Apply(model_.SetText(info->hwnd, info->uId, TextOf(*info)));
            return true;
        case TTM_GETTOOLCOUNT: *r = static_cast<LRESULT>(model_.Tools().size()); return true;
        case TTM_GETTEXTA: GetText(wp, reinterpret_cast<TOOLINFOA*>(lp)); return true;
        case TTM_GETTOOLINFOA: *r = GetInfo(reinterpret_cast<TOOLINFOA*>(lp)); return true;
        case TTM_SETMAXTIPWIDTH: *r = model_.SetMaxWidth(static_cast<int>(lp)); return true;
        case TTM_GETMAXTIPWIDTH: *r = model_.MaxWidth(); return true;
        case TTM_SETDELAYTIME:
            model_.SetDelay(static_cast<UINT>(wp), static_cast<short>(LOWORD(lp)));
            return true;
        case TTM_GETDELAYTIME: *r = model_.Delay(static_cast<UINT>(wp)); return true;
        case TTM_RELAYEVENT:
            if (auto* msg = reinterpret_cast<const MSG*>(lp)) Relay(msg->message, msg->hwnd, msg->lParam);
            return true;
        case TTM_POP: Apply(model_.AutoPopElapsed(Now())); return true;
        default: return false;
        }
    }

protected:
    // Mouse messages of the tools added with TTF_SUBCLASS.
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        HWND hwnd = widget ? HandleOfWidget(widget) : nullptr;
        if (!hwnd) return false;
        WindowState* s = StateOf(hwnd);
        const QPoint origin = s ? ClientOrigin(s) : QPoint();
        auto at = [&](const QPointF& p) {
            const QPoint c = p.toPoint() - origin;
            return MAKELPARAM(static_cast<WORD>(c.x()), static_cast<WORD>(c.y()));
        };
        switch (event->type()) {
        case QEvent::MouseMove: Relay(WM_MOUSEMOVE, hwnd, at(static_cast<QMouseEvent*>(event)->position())); break;
        case QEvent::MouseButtonPress: Relay(WM_LBUTTONDOWN, hwnd, at(static_cast<QMouseEvent*>(event)->position())); break;
        case QEvent::MouseButtonDblClick:
            Relay(WM_LBUTTONDBLCLK, hwnd, at(static_cast<QMouseEvent*>(event)->position()));
            break;
        case QEvent::Leave: Relay(WM_MOUSELEAVE, hwnd, 0); break;
        default: break;
        }
        return false;
    }

private:
    std::uint64_t Now() const { return static_cast<std::uint64_t>(clock_.elapsed()); }

    static std::string TextOf(const TOOLINFOA& info) {
        if (!info.lpszText || info.lpszText == reinterpret_cast<LPSTR>(-1)) return {};
        if (IS_INTRESOURCE(info.lpszText)) {
            CString s;
            s.LoadString(static_cast<UINT>(reinterpret_cast<std::uintptr_t>(info.lpszText)));
            return std::string(s.GetString());
        }
        return info.lpszText;
    }

    BOOL Add(const TOOLINFOA* info) {
        if (!info || !info->hwnd || !::IsWindow(info->hwnd)) return FALSE;
        TipTool tool;
        tool.window = info->hwnd;
        tool.id = info->uId;
        tool.wholeWindow = (info->uFlags & TTF_IDISHWND) != 0;
        tool.subclass = (info->uFlags & TTF_SUBCLASS) != 0;
        tool.rect = info->rect;
        tool.text = TextOf(*info);
        model_.Add(tool);
        if (tool.subclass) {
            HWND watched = tool.wholeWindow ? reinterpret_cast<HWND>(tool.id) : tool.window;
            if (WindowState* s = StateOf(watched); s && s->widget) {
                s->widget->setMouseTracking(true);
                s->widget->installEventFilter(this);
            }
        }
        return TRUE;
    }

    void GetText(WPARAM size, TOOLINFOA* info) {
        if (!info || !info->lpszText) return;
        // Without a size the caller's buffer holds 80 characters, as the control always assumed.
        const std::size_t room = size ? static_cast<std::size_t>(size) : 80;
        const TipTool* tool = model_.Find(info->hwnd, info->uId);
        const std::string text = tool ? tool->text : std::string();
        const std::size_t n = std::min(text.size(), room - 1);
        std::memcpy(info->lpszText, text.data(), n);
        info->lpszText[n] = '\0';
    }

    BOOL GetInfo(TOOLINFOA* info) {
        const TipTool* tool = info ? model_.Find(info->hwnd, info->uId) : nullptr;
        if (!tool) return FALSE;
        info->uFlags = (tool->wholeWindow ? TTF_IDISHWND : 0u) | (tool->subclass ? TTF_SUBCLASS : 0u);
        info->rect = tool->rect;
        return TRUE;
    }

    void Relay(UINT message, HWND hwnd, LPARAM lParam) {
        const POINT client{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (message == WM_MOUSEMOVE) {
            lastWindow_ = hwnd;
            lastPoint_ = client;
        }
        Apply(model_.Relay(message, hwnd, client, Now()));
    }

    void Apply(const TipEffect& effect) {
        if (effect.hide) {
            wait_.stop();
            autoPop_.stop();
            HideTip();
        }
        if (effect.show) ShowTip();
        if (effect.waitMs >= 0) wait_.start(effect.waitMs);
    }

    void ShowTip() {
        const TipTool* tool = model_.Over();
        if (!tool) return;
        const QFontMetrics metrics(QToolTip::font());
        const QStringList lines = afx::WrapTipText(ToQ(tool->text.c_str()), model_.MaxWidth(),
                                                   [&](const QString& s) { return metrics.horizontalAdvance(s); });
        // Below and right of the mouse, as the window system places a tip.
        QPoint at(lastPoint_.x, lastPoint_.y);
        QWidget* anchor = nullptr;
        if (WindowState* s = StateOf(lastWindow_); s && s->widget) {
            anchor = s->widget;
            at = anchor->mapToGlobal(at + ClientOrigin(s));
        }
        QToolTip::showText(at, Qt::convertFromPlainText(lines.join(QChar('\n')), Qt::WhiteSpaceNoWrap), anchor, QRect(),
                           model_.Delay(TTDT_AUTOPOP) + 1000);
        ShownTipLines() = lines;
        shown_ = true;
        autoPop_.start(model_.Delay(TTDT_AUTOPOP));
    }

    void HideTip() {
        if (!shown_) return;
        shown_ = false;
        ShownTipLines().clear();
        QToolTip::hideText();
    }

    afx::ToolTipModel model_;
    QTimer wait_;
    QTimer autoPop_;
    QElapsedTimer clock_;
    HWND lastWindow_ = nullptr;
    POINT lastPoint_{};
    bool shown_ = false;
};

QWidget* MakeToolTip(CWnd*, CREATESTRUCT&, QWidget* parent) {
    auto* w = new ToolTipWindow(parent);
    SetPendingSetup([w](WindowState* s) {
        QPointer<ToolTipWindow> self(w);
        s->controlProc = [self](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            return self && self->Handle(m, wp, lp, r);
        };
    });
    return w;
}

struct ToolTipRegistrar {
    ToolTipRegistrar() { RegisterWidgetFactory(TOOLTIPS_CLASS, MakeToolTip); }
} g_toolTipRegistrar;

}  // namespace

IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    // An owned pop-up that never shows itself: its tips are Qt's tip label.
    return CreateEx(0, TOOLTIPS_CLASS, nullptr, WS_POPUP | style, 0, 0, 0, 0, parent ? parent->GetSafeHwnd() : nullptr,
                    nullptr);
}

void CToolTipCtrl::FillInfo(TOOLINFOA& info, CWnd* wnd, UINT_PTR id) const {
    info = TOOLINFOA{};
    info.cbSize = sizeof info;
    info.hwnd = wnd ? wnd->GetSafeHwnd() : nullptr;
    info.uId = id;
    if (id == 0 && wnd) {
        info.uFlags = TTF_IDISHWND;
        info.uId = reinterpret_cast<UINT_PTR>(wnd->GetSafeHwnd());
    }
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, LPCTSTR text, LPCRECT rect, UINT_PTR id) {
    if (!wnd || !m_hWnd) return FALSE;
    TOOLINFOA info;
    FillInfo(info, wnd, rect ? id : id);
    if (rect) {
        info.uFlags &= ~TTF_IDISHWND;
        info.uId = id;
        info.rect = *rect;
    }
    info.uFlags |= TTF_SUBCLASS;
    info.lpszText = const_cast<LPSTR>(text);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(LPCTSTR text, CWnd* wnd, UINT_PTR id) {
    if (!m_hWnd) return;
    TOOLINFOA info;
    FillInfo(info, wnd, id);
    info.lpszText = const_cast<LPSTR>(text);
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::DelTool(CWnd* wnd, UINT_PTR id) {
    if (!m_hWnd) return;
    TOOLINFOA info;
    FillInfo(info, wnd, id);
    SendMessage(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::SetToolRect(CWnd* wnd, UINT_PTR id, LPCRECT rect) {
    if (!m_hWnd || !rect) return;
    TOOLINFOA info;
    FillInfo(info, wnd, id);
    info.rect = *rect;
    SendMessage(TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info));
}

CString CToolTipCtrl::GetText(CWnd* wnd, UINT_PTR id) const {
    if (!m_hWnd) return CString();
    TOOLINFOA info;
    FillInfo(info, wnd, id);
    std::vector<char> buffer(4096, '\0');
    info.lpszText = buffer.data();
    const_cast<CToolTipCtrl*>(this)->SendMessage(TTM_GETTEXTA, buffer.size(), reinterpret_cast<LPARAM>(&info));
    return CString(buffer.data());
}

int CToolTipCtrl::GetToolCount() const {
    return m_hWnd ? static_cast<int>(const_cast<CToolTipCtrl*>(this)->SendMessage(TTM_GETTOOLCOUNT)) : 0;
}

void CToolTipCtrl::Activate(BOOL activate) {
    if (m_hWnd) SendMessage(TTM_ACTIVATE, activate);
}

int CToolTipCtrl::SetMaxTipWidth(int width) {
    return m_hWnd ? static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width)) : -1;
}

int CToolTipCtrl::GetMaxTipWidth() const {
    return m_hWnd ? static_cast<int>(const_cast<CToolTipCtrl*>(this)->SendMessage(TTM_GETMAXTIPWIDTH)) : -1;
}

void CToolTipCtrl::SetDelayTime(UINT which, int ms) {
    if (m_hWnd) SendMessage(TTM_SETDELAYTIME, which, MAKELPARAM(static_cast<WORD>(ms), 0));
}

int CToolTipCtrl::GetDelayTime(DWORD which) const {
    return m_hWnd ? static_cast<int>(const_cast<CToolTipCtrl*>(this)->SendMessage(TTM_GETDELAYTIME, which)) : 0;
}

void CToolTipCtrl::RelayEvent(LPMSG msg) {
    if (m_hWnd && msg) SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}

void CToolTipCtrl::Pop() {
    if (m_hWnd) SendMessage(TTM_POP);
}

std::string AfxTestShownToolTip() {
    if (!QToolTip::isVisible()) return {};
    return ShownTipLines().join(QChar('\n')).toStdString();
}

BOOL AfxTestGrabToolTip(LPCTSTR path) {
    if (!path || !QToolTip::isVisible()) return FALSE;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->inherits("QTipLabel") && w->isVisible()) return w->grab().save(QString::fromLocal8Bit(path), "PNG");
    }
    return FALSE;
}
