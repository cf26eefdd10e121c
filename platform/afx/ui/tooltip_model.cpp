#include "platform/afx/ui/tooltip_model.h"

#include <algorithm>

namespace afx {

namespace {

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

void ToolTipModel::Add(const TipTool& tool) {
    if (TipTool* same = Find(tool.window, tool.id)) {
        *same = tool;
        return;
    }
    tools_.push_back(tool);
}

TipEffect ToolTipModel::Remove(HWND window, UINT_PTR id) {
    auto it = std::find_if(tools_.begin(), tools_.end(),
                           [&](const TipTool& t) { return t.window == window && t.id == id; });
    if (it == tools_.end()) return {};
    tools_.erase(it);
    if (!IsOver(window, id)) return {};
    hasOver_ = false;
    return HideNow(hiddenAtMs_);
}

TipTool* ToolTipModel::Find(HWND window, UINT_PTR id) {
    for (TipTool& t : tools_)
        if (t.window == window && t.id == id) return &t;
    return nullptr;
}

const TipTool* ToolTipModel::At(HWND window, POINT client) const {
    for (const TipTool& t : tools_) {
        if (t.wholeWindow ? reinterpret_cast<HWND>(t.id) == window : t.window == window && Contains(t.rect, client))
            return &t;
    }
    return nullptr;
}

TipEffect ToolTipModel::SetText(HWND window, UINT_PTR id, const std::string& text) {
    TipTool* tool = Find(window, id);
    if (!tool) return {};
    tool->text = text;
    TipEffect effect;
    effect.show = showing_ && IsOver(window, id);
    return effect;
}

TipEffect ToolTipModel::SetRect(HWND window, UINT_PTR id, const RECT& rect) {
    if (TipTool* tool = Find(window, id)) tool->rect = rect;
    return {};
}

TipEffect ToolTipModel::SetActive(bool active) {
    active_ = active;
    if (active) return {};
    hasOver_ = false;
    return HideNow(hiddenAtMs_);
}

int ToolTipModel::SetMaxWidth(int width) {
    const int old = maxWidth_;
    maxWidth_ = width < 0 ? -1 : width;
    return old;
}

void ToolTipModel::SetDelay(UINT which, int ms) {
    const bool reset = ms < 0;
    switch (which) {
    case TTDT_AUTOMATIC: {
        const int initial = reset ? kDefaultInitialMs : ms;
        initialMs_ = initial;
        autoPopMs_ = initial * 10;
        reshowMs_ = initial / 5;
        break;
    }
    case TTDT_INITIAL: initialMs_ = reset ? kDefaultInitialMs : ms; break;
    case TTDT_AUTOPOP: autoPopMs_ = reset ? kDefaultInitialMs * 10 : ms; break;
    case TTDT_RESHOW: reshowMs_ = reset ? kDefaultInitialMs / 5 : ms; break;
    default: break;
    }
}

int ToolTipModel::Delay(UINT which) const {
    switch (which) {
    case TTDT_INITIAL: return initialMs_;
    case TTDT_AUTOPOP: return autoPopMs_;
    case TTDT_RESHOW: return reshowMs_;
    default: return 0;
    }
}

const TipTool* ToolTipModel::Over() const {
    for (const TipTool& t : tools_)
        if (IsOver(t.window, t.id)) return &t;
    return nullptr;
}

TipEffect ToolTipModel::HideNow(std::uint64_t nowMs) {
    TipEffect effect;
    effect.hide = true;
    if (showing_) {
        showing_ = false;
        everHidden_ = true;
        hiddenAtMs_ = nowMs;
    }
    return effect;
}

TipEffect ToolTipModel::Relay(UINT message, HWND window, POINT client, std::uint64_t nowMs) {
    switch (message) {
    case WM_MOUSEMOVE: {
        if (!active_) return {};
        const TipTool* tool = At(window, client);
        if (tool && IsOver(tool->window, tool->id)) return {};
        if (!tool && !hasOver_) return {};
        // The mouse reached another tool, or left every tool.
        const bool wasShowing = showing_;
        TipEffect effect = HideNow(nowMs);
        suppressed_ = false;
        hasOver_ = tool != nullptr;
        if (!tool) return effect;
        overWindow_ = tool->window;
        overId_ = tool->id;
        // Moving from one tip to the next shows it after the short delay.
        const bool recent = wasShowing || (everHidden_ && nowMs - hiddenAtMs_ < static_cast<std::uint64_t>(reshowMs_));
        effect.waitMs = recent ? reshowMs_ : initialMs_;
        return effect;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
        // A click takes the tip away until the mouse reaches another tool.
        if (!hasOver_) return {};
        suppressed_ = true;
        return HideNow(nowMs);
    case WM_MOUSELEAVE:
    case WM_NCMOUSEMOVE:
        if (!hasOver_ && !showing_) return {};
        hasOver_ = false;
        suppressed_ = false;
        return HideNow(nowMs);
    default:
        return {};
    }
}

TipEffect ToolTipModel::WaitElapsed(std::uint64_t) {
    if (!active_ || !hasOver_ || suppressed_ || !Over()) return {};
    showing_ = true;
    TipEffect effect;
    effect.show = true;
    return effect;
}

TipEffect ToolTipModel::AutoPopElapsed(std::uint64_t nowMs) {
    if (!showing_) return {};
    suppressed_ = true;
    return HideNow(nowMs);
}

QStringList WrapTipText(const QString& text, int maxWidth, const std::function<int(const QString&)>& widthOf) {
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    flat.replace(QChar('\r'), QChar('\n'));
    if (maxWidth < 0) {
        flat.replace(QChar('\n'), QChar(' '));
        return {flat};
    }
    auto wide = [](QChar c) { return c.unicode() >= 0x2E80; };
    QStringList lines;
    for (const QString& paragraph : flat.split(QChar('\n'))) {
        // The paragraph as pieces a line may break after: words with their
        // trailing blanks, and single wide characters.
        QStringList pieces;
        QString piece;
        for (int i = 0; i < paragraph.size(); ++i) {
            const QChar c = paragraph[i];
            if (wide(c)) {
                if (!piece.isEmpty()) pieces << piece;
                pieces << QString(c);
                piece.clear();
                continue;
            }
            piece += c;
            const bool breakAfter = c == QChar(' ') && (i + 1 == paragraph.size() || paragraph[i + 1] != QChar(' '));
            if (breakAfter) {
                pieces << piece;
                piece.clear();
            }
        }
        if (!piece.isEmpty()) pieces << piece;
        QString line;
        for (const QString& p : pieces) {
            const QString candidate = line + p;
            if (!line.isEmpty() && widthOf(candidate.trimmed()) > maxWidth) {
                lines << line.trimmed();
                line = p;
            } else {
                line = candidate;
            }
        }
        lines << line.trimmed();
    }
    return lines;
}

}  // namespace afx
