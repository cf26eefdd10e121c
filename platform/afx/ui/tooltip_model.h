// What a tool-tip control knows and decides, without a window: its tools
// (a rectangle of a window, or a whole window), whether it is active, its
// delays and maximum width, and what each relayed mouse message does to the
// tip. The control's window carries the decisions out (timers, the tip itself).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "platform/afx/ui/tooltip.h"

namespace afx {

struct TipTool {
    HWND window = nullptr;  // the window the tool lies in (its owner)
    UINT_PTR id = 0;        // the tool's id; the tool window's handle with `wholeWindow`
    bool wholeWindow = false;
    bool subclass = false;  // the control watches the window's mouse itself
    RECT rect{};            // in the window's client coordinates (unused for a whole window)
    std::string text;       // ANSI
};

// What the control's window must do after an event, in this order: hide the
// tip (and stop both timers), show the tip of Over() (keeping it up AutoPop
// milliseconds), start the wait that ends in WaitElapsed.
struct TipEffect {
    bool hide = false;
    bool show = false;
    int waitMs = -1;
};

class ToolTipModel {
public:
    static constexpr int kDefaultInitialMs = 500;  // the double-click time

    // Adds a tool, or replaces the one with the same window and id.
    void Add(const TipTool& tool);
    // Removes a tool; hides its tip when it was under the mouse.
    TipEffect Remove(HWND window, UINT_PTR id);
    TipTool* Find(HWND window, UINT_PTR id);
    const std::vector<TipTool>& Tools() const { return tools_; }
    // The tool under a point of `window`'s client area; null when none.
    const TipTool* At(HWND window, POINT client) const;
    // New text for a tool: shows it again when its tip is up.
    TipEffect SetText(HWND window, UINT_PTR id, const std::string& text);
    TipEffect SetRect(HWND window, UINT_PTR id, const RECT& rect);

    TipEffect SetActive(bool active);
    bool Active() const { return active_; }

    // TTM_SETMAXTIPWIDTH: -1 (or any negative width) is one line; returns the old width.
    int SetMaxWidth(int width);
    int MaxWidth() const { return maxWidth_; }

    // TTM_SETDELAYTIME: TTDT_AUTOMATIC sets all three from the initial time
    // (autopop ten times, reshow a fifth); a negative time brings the default back.
    void SetDelay(UINT which, int ms);
    int Delay(UINT which) const;

    // A mouse message that reached the tool window (client coordinates).
    TipEffect Relay(UINT message, HWND window, POINT client, std::uint64_t nowMs);
    // The wait started by an effect ended: the tip of Over() shows.
    TipEffect WaitElapsed(std::uint64_t nowMs);
    // The tip stayed up its autopop time: it goes, and stays away until the
    // mouse reaches another tool.
    TipEffect AutoPopElapsed(std::uint64_t nowMs);

    // The tool under the mouse, and whether its tip is up.
    const TipTool* Over() const;
    bool Showing() const { return showing_; }

private:
    TipEffect HideNow(std::uint64_t nowMs);
    bool IsOver(HWND window, UINT_PTR id) const { return hasOver_ && overWindow_ == window && overId_ == id; }

    std::vector<TipTool> tools_;
    bool active_ = true;
    int maxWidth_ = -1;
    int initialMs_ = kDefaultInitialMs;
    int autoPopMs_ = kDefaultInitialMs * 10;
    int reshowMs_ = kDefaultInitialMs / 5;
    bool hasOver_ = false;
    HWND overWindow_ = nullptr;
    UINT_PTR overId_ = 0;
    bool showing_ = false;
    bool suppressed_ = false;  // a click or the autopop took the tip away from this tool
    bool everHidden_ = false;
    std::uint64_t hiddenAtMs_ = 0;
};

// The lines of a tip's text. With no maximum width the text is one line (its
// line breaks become blanks); with one, it breaks at its own line breaks and
// wherever a line would pass the width: after blanks, or between wide (CJK)
// characters. A word wider than the width stands alone, whole.
QStringList WrapTipText(const QString& text, int maxWidth, const std::function<int(const QString&)>& widthOf);

}  // namespace afx
