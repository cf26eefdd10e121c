// The state of a strip of bitmap buttons without the window: item
// rectangles, the hot / pressed / normal state of each item, the press that
// is under way and which click is reported to the parent.
#pragma once

#include <array>

#include "platform/win/types.h"

enum StripItemState : int { kStripHot = 0, kStripPressed = 1, kStripNormal = 2 };

class CStripButtons {
public:
    static constexpr int kMaxItems = 24;
    static constexpr int kReportedItems = 7;  // clicks on items 0 to 6 are reported

    // Items side by side (horizontal) or one below the other; at most kMaxItems.
    void Layout(bool horizontal, int count, int itemWidth, int itemHeight);
    int Count() const { return m_count; }
    const RECT& ItemRect(int i) const { return m_items[static_cast<std::size_t>(i)].rect; }
    int State(int i) const { return m_items[static_cast<std::size_t>(i)].state; }
    bool Pressing() const { return m_pressing; }
    int PressedItem() const { return m_pressed; }

    // The item whose rectangle holds the point strictly inside; -1 for none.
    int HitTest(POINT p) const;
    // Each returns true when an item's look changed (repaint).
    bool ButtonDown(POINT p);
    bool MouseMove(POINT p);
    // Button up; *outReport is the item to report to the parent, or -1.
    bool ButtonUp(POINT p, int* outReport);
    // The cursor left the client area (the strip's timer).
    bool CursorOutside();

private:
    bool Set(int i, int state);
    struct Item {
        int state = kStripNormal;
        RECT rect{0, 0, 0, 0};
    };
    std::array<Item, kMaxItems> m_items{};
    int m_count = 0;
    bool m_pressing = false;
    int m_pressed = -1;
};
