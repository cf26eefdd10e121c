#include "views/text/candidate_layout.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kDefaultMargin = 4;
constexpr int kImageLeft = 4;
constexpr int kGroupGap = 16;  // after the 4th and the 8th candidate
constexpr int kRightColumnGap = 4;

bool Inside(const RECT& rc, POINT pt) { return pt.x > rc.left && pt.x < rc.right && pt.y > rc.top && pt.y < rc.bottom; }

}  // namespace

int CandidateItem::Face() const {
    if (nKind == kItemImage) return faces[0];
    if (nState == kItemHot && faces[1]) return faces[1];
    if (nState == kItemPressed && faces[2]) return faces[2];
    return faces[0];
}

CCandidateLayout::CCandidateLayout(std::function<SIZE(int)> faceSize) : m_faceSize(std::move(faceSize)) {
    m_buffer.fill(' ');
}

void CCandidateLayout::SetClientSize(int width, int height) { m_client = SIZE{std::max(width, 0), std::max(height, 0)}; }

CandidateItem CCandidateLayout::MakeButton(int normal, int hot, int pressed, int x, int y) const {
    CandidateItem item;
    item.nKind = kItemButton;
    item.faces[0] = normal;
    item.faces[1] = hot;
    item.faces[2] = pressed;
    const SIZE face = m_faceSize(normal);
    item.rc = RECT{x, y, x + face.cx, y + face.cy};
    return item;
}

void CCandidateLayout::LayoutItems() {
    for (CandidateItem& item : m_items) item = CandidateItem();
    const bool textOn = m_bTextWindowOn, lineOn = m_bLineImageOn;
    const int textFaces[3] = {textOn ? kFaceTextWindowOnNormal : kFaceTextWindowOffNormal,
                              textOn ? kFaceTextWindowOnHot : kFaceTextWindowOffHot,
                              textOn ? kFaceTextWindowOnPressed : kFaceTextWindowOffPressed};
    const int lineFaces[3] = {lineOn ? kFaceLineImageOnNormal : kFaceLineImageOffNormal,
                              lineOn ? kFaceLineImageOnHot : kFaceLineImageOffHot,
                              lineOn ? kFaceLineImageOnPressed : kFaceLineImageOffPressed};
    if (m_bCompact) {
        int y = 1;
        m_items[0] = MakeButton(textFaces[0], textFaces[1], textFaces[2], 1, y);
        y = static_cast<int>(m_items[0].rc.bottom) + 1;
        m_items[1] = MakeButton(kFaceExpandNormal, kFaceExpandHot, kFaceExpandPressed, 1, y);
        y = static_cast<int>(m_items[1].rc.bottom) + 1;
        m_items[2] = MakeButton(lineFaces[0], lineFaces[1], lineFaces[2], 1, y);
        return;
    }
    const SIZE image = m_faceSize(kFaceImageFrame);
    const SIZE candidate = m_faceSize(kFaceCandidateNormal);
    const SIZE button = m_faceSize(kFaceTextWindowOffNormal);
    const int margin = std::max(kDefaultMargin, static_cast<int>(m_client.cy - candidate.cy) / 2);
    const int imageTop = std::max(kDefaultMargin, static_cast<int>(m_client.cy - image.cy) / 2);

    CandidateItem& picture = m_items[0];
    picture.nKind = kItemImage;
    picture.faces[0] = kFaceImageFrame;
    picture.rc = RECT{kImageLeft, imageTop, kImageLeft + image.cx, imageTop + image.cy};

    const int column = static_cast<int>(m_client.cx - button.cx);
    int x = static_cast<int>(image.cx) + 2 * kImageLeft;
    for (int k = 1; k <= 10; ++k) {
        CandidateItem& item = m_items[static_cast<std::size_t>(k)];
        item.nKind = kItemCandidate;
        item.faces[0] = kFaceCandidateNormal;
        item.faces[1] = kFaceCandidateHot;
        item.faces[2] = kFaceCandidatePressed;
        item.rc = RECT{x, margin, x + candidate.cx, margin + candidate.cy};
        x += static_cast<int>(candidate.cx) + 1;
        if (k == 4 || k == 8) x += kGroupGap;
        // Buttons that would run into the right column do not fit.
        if (item.rc.right > column - kRightColumnGap) item = CandidateItem();
    }
    int y = 1;
    m_items[11] = MakeButton(textFaces[0], textFaces[1], textFaces[2], column, y);
    y = static_cast<int>(m_items[11].rc.bottom) + 1;
    m_items[12] = MakeButton(kFaceMoveNormal, kFaceMoveHot, kFaceMovePressed, column, y);
    y = static_cast<int>(m_items[12].rc.bottom) + 1;
    m_items[13] = MakeButton(lineFaces[0], lineFaces[1], lineFaces[2], column, y);

    for (int k = 1; k <= 10; ++k) {
        CandidateItem& item = m_items[static_cast<std::size_t>(k)];
        if (item.nKind != kItemCandidate) continue;
        if (k <= m_nCandidates) {
            const BYTE a = m_buffer[static_cast<std::size_t>(2 * (k - 1))];
            const BYTE b = m_buffer[static_cast<std::size_t>(2 * (k - 1) + 1)];
            item.text[0] = a ? a : ' ';
            item.text[1] = b ? b : ' ';
        }
    }
}

void CCandidateLayout::SetCandidates(const WORD* codes, int count) {
    m_buffer.fill(' ');
    m_nCandidates = codes ? std::clamp(count, 0, 10) : 0;
    for (int i = 0; i < m_nCandidates; ++i) {
        m_buffer[static_cast<std::size_t>(2 * i)] = static_cast<BYTE>(codes[i] & 0xFF);
        m_buffer[static_cast<std::size_t>(2 * i + 1)] = static_cast<BYTE>(codes[i] >> 8);
    }
    LayoutItems();
}

bool CCandidateLayout::SetCharImage(const BYTE* image) {
    if (!image) return false;
    std::memcpy(m_image.data(), image, m_image.size());
    m_bHasImage = true;
    return true;
}

bool CCandidateLayout::Place(bool currentCompact) {
    if (currentCompact != m_bCompact) return false;
    m_bCompact = !m_bCompact;
    m_bCaptured = false;
    m_nPressed = -1;
    LayoutItems();
    return true;
}

WORD CCandidateLayout::ItemText(int i) const {
    const CandidateItem& item = Item(i);
    return static_cast<WORD>(item.text[0] | (item.text[1] << 8));
}

int CCandidateLayout::HitTest(POINT pt) const {
    for (int i = 0; i < kCandidateItems; ++i) {
        const CandidateItem& item = m_items[static_cast<std::size_t>(i)];
        if (item.nKind == kItemEmpty || !Inside(item.rc, pt)) continue;
        if (item.nKind == kItemCandidate && item.text[0] == ' ' && item.text[1] == ' ') continue;
        return i;
    }
    return -1;
}

bool CCandidateLayout::ButtonDown(POINT pt) {
    const int hit = HitTest(pt);
    if (hit < 0) return false;
    for (int i = 0; i < kCandidateItems; ++i) {
        CandidateItem& item = m_items[static_cast<std::size_t>(i)];
        if (i == hit) {
            item.nState = kItemPressed;
        } else if (item.nKind != kItemEmpty && item.nState != kItemNormal) {
            item.nState = kItemNormal;
        }
    }
    m_bCaptured = true;
    m_nPressed = hit;
    return true;
}

bool CCandidateLayout::MouseMove(POINT pt) {
    const int hit = HitTest(pt);
    bool changed = false;
    auto set = [&changed](CandidateItem& item, int state) {
        if (item.nState != state) {
            item.nState = state;
            changed = true;
        }
    };
    if (m_bCaptured) {
        if (m_nPressed >= 0) set(m_items[static_cast<std::size_t>(m_nPressed)], hit == m_nPressed ? kItemPressed : kItemHot);
        return changed;
    }
    for (int i = 0; i < kCandidateItems; ++i) {
        CandidateItem& item = m_items[static_cast<std::size_t>(i)];
        if (item.nKind == kItemEmpty) continue;
        set(item, i == hit ? kItemHot : kItemNormal);
    }
    return changed;
}

CandidateClick CCandidateLayout::Action(int item) {
    if (!m_bCompact && item >= 1 && item <= 10) return CandidateClick{item, ItemText(item)};
    // The small buttons: items 11..13 of the band, 0..2 of the column.
    const int button = m_bCompact ? item : item - 11;
    switch (button) {
    case 0:
        m_bTextWindowOn = !m_bTextWindowOn;
        LayoutItems();
        return CandidateClick{11, static_cast<WORD>(32 + m_bTextWindowOn)};
    case 1:
        return CandidateClick{12, 32};
    case 2:
        m_bLineImageOn = !m_bLineImageOn;
        LayoutItems();
        return CandidateClick{13, static_cast<WORD>(32 + m_bLineImageOn)};
    default:
        return {};
    }
}

CandidateClick CCandidateLayout::ButtonUp(POINT pt) {
    if (!m_bCaptured) return {};
    m_bCaptured = false;
    const int pressed = m_nPressed;
    m_nPressed = -1;
    const int hit = HitTest(pt);
    if (pressed < 0 || hit != pressed) {
        for (CandidateItem& item : m_items)
            if (item.nKind != kItemEmpty) item.nState = kItemNormal;
        return {};
    }
    const bool compactBefore = m_bCompact;
    CandidateClick click = Action(pressed);
    CandidateItem& item = m_items[static_cast<std::size_t>(pressed)];
    if (!compactBefore && item.nKind != kItemEmpty) item.nState = kItemHot;
    else if (item.nKind != kItemEmpty) item.nState = kItemNormal;
    return click;
}

bool CCandidateLayout::Tick(bool pointerInside) {
    if (pointerInside) return false;
    bool changed = false;
    for (int i = 0; i < kCandidateItems; ++i) {
        CandidateItem& item = m_items[static_cast<std::size_t>(i)];
        if (item.nKind == kItemEmpty || item.nState == kItemNormal) continue;
        if (m_bCaptured && i == m_nPressed) continue;
        item.nState = kItemNormal;
        changed = true;
    }
    return changed;
}
