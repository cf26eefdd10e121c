// The state of a hyperlink label: caption and target, hover and visited,
// the colours and the fonts' look it is drawn with, and its answers to the
// mouse. Opening the link is handed to the caller.
#pragma once

#include <functional>
#include <string>

#include "platform/win/types.h"

class CHyperlinkController {
public:
    enum class Look { Normal, Hover, Visited };
    static constexpr int kHover = 1;
    static constexpr int kVisited = 2;

    // Opens a link target ("open" through the desktop).
    using OpenFn = std::function<void(const std::string& target)>;
    explicit CHyperlinkController(OpenFn open) : open_(std::move(open)) {}

    void SetCaption(const std::string& caption) { caption_ = caption; }
    void SetTarget(const std::string& target) { target_ = target; }
    const std::string& Caption() const { return caption_; }
    // What a click opens: the target, or the caption when there is none.
    const std::string& LinkTarget() const { return target_.empty() ? caption_ : target_; }

    // 1 hover, 2 visited, any other value the normal colour.
    void SetColour(int which, COLORREF colour);
    COLORREF Colour(Look look) const;

    // The size of the text as last drawn (the hit area is one pixel more each way).
    void SetTextSize(int width, int height) {
        textWidth_ = width;
        textHeight_ = height;
    }

    struct MoveResult {
        bool trackLeave = false;  // ask for a notice when the mouse leaves
        bool handCursor = false;
        bool repaint = false;
    };
    MoveResult MouseMove(int x, int y);
    // True when the look changed.
    bool MouseLeave();
    // A press while hovering opens the link; true when it did (repaint).
    bool LeftButtonDown();

    Look CurrentLook() const { return hover_ ? Look::Hover : visited_ ? Look::Visited : Look::Normal; }
    bool IsHover() const { return hover_; }
    bool IsVisited() const { return visited_; }

private:
    OpenFn open_;
    std::string caption_, target_;
    bool hover_ = false, visited_ = false, tracking_ = false;
    int textWidth_ = 0, textHeight_ = 0;
    COLORREF normal_ = RGB(0, 0, 0), hoverColour_ = RGB(0, 0, 255), visitedColour_ = RGB(128, 0, 128);
    bool normalIsSystem_ = true;

    friend class CHyperlinkRenderer;
};
