#include "shell/dialogs/hyperlink_controller.h"

void CHyperlinkController::SetColour(int which, COLORREF colour) {
    if (which == kHover) {
        hoverColour_ = colour;
    } else if (which == kVisited) {
        visitedColour_ = colour;
    } else {
        normal_ = colour;
        normalIsSystem_ = false;
    }
}

COLORREF CHyperlinkController::Colour(Look look) const {
    switch (look) {
    case Look::Hover: return hoverColour_;
    case Look::Visited: return visitedColour_;
    default: return normal_;
    }
}

CHyperlinkController::MoveResult CHyperlinkController::MouseMove(int x, int y) {
    MoveResult r;
    if (!tracking_) {
        tracking_ = true;
        r.trackLeave = true;
    }
    const bool over = x >= 0 && x <= textWidth_ + 1 && y >= 0 && y <= textHeight_ + 1;
    r.handCursor = over;
    r.repaint = over != hover_;
    hover_ = over;
    return r;
}

bool CHyperlinkController::MouseLeave() {
    tracking_ = false;
    const bool was = hover_;
    hover_ = false;
    return was;
}

bool CHyperlinkController::LeftButtonDown() {
    if (!hover_) return false;
    if (open_) open_(LinkTarget());
    visited_ = true;
    return true;
}
