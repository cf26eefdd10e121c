#include "views/strip/strip_buttons.h"

#include <algorithm>

void CStripButtons::Layout(bool horizontal, int count, int itemWidth, int itemHeight) {
    m_count = std::max(0, std::min(count, kMaxItems));
    for (int i = 0; i < m_count; ++i) {
        Item& item = m_items[static_cast<std::size_t>(i)];
        item.state = kStripNormal;
        item.rect = horizontal ? RECT{i * itemWidth, 0, (i + 1) * itemWidth, itemHeight}
                               : RECT{0, i * itemHeight, itemWidth, (i + 1) * itemHeight};
    }
    m_pressing = false;
    m_pressed = -1;
}

int CStripButtons::HitTest(POINT p) const {
    for (int i = 0; i < m_count; ++i) {
        const RECT& r = m_items[static_cast<std::size_t>(i)].rect;
        if (p.x > r.left && p.x < r.right && p.y > r.top && p.y < r.bottom) return i;
    }
    return -1;
}

bool CStripButtons::Set(int i, int state) {
    Item& item = m_items[static_cast<std::size_t>(i)];
    if (item.state == state) return false;
    item.state = state;
    return true;
}

bool CStripButtons::ButtonDown(POINT p) {
    const int hit = HitTest(p);
    if (hit < 0) return false;
    bool changed = Set(hit, kStripPressed);
    for (int i = 0; i < m_count; ++i)
        if (i != hit) changed |= Set(i, kStripNormal);
    m_pressing = true;
    m_pressed = hit;
    return changed;
}

bool CStripButtons::MouseMove(POINT p) {
    const int hit = HitTest(p);
    bool changed = false;
    if (m_pressing) {
        changed |= Set(m_pressed, hit == m_pressed ? kStripPressed : kStripHot);
        return changed;
    }
    for (int i = 0; i < m_count; ++i) {
        if (i == hit) {
            if (State(i) == kStripNormal) changed |= Set(i, kStripHot);
        } else {
            changed |= Set(i, kStripNormal);
        }
    }
    return changed;
}

bool CStripButtons::ButtonUp(POINT p, int* outReport) {
    if (outReport) *outReport = -1;
    if (!m_pressing) return false;
    m_pressing = false;
    const int pressed = m_pressed;
    m_pressed = -1;
    bool changed = false;
    if (HitTest(p) == pressed) {
        if (outReport && pressed < kReportedItems) *outReport = pressed;
        changed |= Set(pressed, kStripHot);
    } else {
        for (int i = 0; i < m_count; ++i) changed |= Set(i, kStripNormal);
    }
    return changed;
}

bool CStripButtons::CursorOutside() {
    bool changed = false;
    for (int i = 0; i < m_count; ++i)
        if (!(m_pressing && i == m_pressed)) changed |= Set(i, kStripNormal);
    return changed;
}
