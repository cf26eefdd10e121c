// The candidate panel's model, without a window: its 14 items (the character
// image, ten candidate buttons and three small buttons), the two layouts (the
// full band and the compact column), the candidate texts, the 32 x 32
// character image, the hit test and the mouse and timer states. A click ends
// in a request for the text view (WM_CANDIDATEBAR's lParam and wParam).
#pragma once

#include <array>
#include <functional>

#include "platform/afx/core/afx_types.h"
#include "platform/afx/core/geometry.h"

// Item kinds and states.
enum CandidateItemKind : int { kItemImage = 0, kItemButton = 1, kItemCandidate = 2, kItemOwned = 3, kItemEmpty = 4 };
enum CandidateItemState : int { kItemHot = 0, kItemPressed = 1, kItemNormal = 2 };

// Face bitmaps of the panel (resource ids).
enum CandidateFace : int {
    kFaceCandidateHot = 169,
    kFaceImageFrame = 170,
    kFaceCandidatePressed = 171,
    kFaceCandidateNormal = 172,
    kFaceTextWindowOffNormal = 179,
    kFaceTextWindowOffHot = 180,
    kFaceTextWindowOffPressed = 181,
    kFaceLineImageOnNormal = 182,
    kFaceLineImageOnPressed = 183,
    kFaceLineImageOnHot = 184,
    kFaceTextWindowOnNormal = 185,
    kFaceTextWindowOnPressed = 186,
    kFaceTextWindowOnHot = 187,
    kFaceLineImageOffNormal = 188,
    kFaceLineImageOffPressed = 189,
    kFaceLineImageOffHot = 190,
    kFaceMoveNormal = 202,
    kFaceMoveHot = 203,
    kFaceMovePressed = 204,
    kFaceExpandNormal = 205,
    kFaceExpandHot = 206,
    kFaceExpandPressed = 207,
};

struct CandidateItem {
    int nKind = kItemEmpty;
    RECT rc{0, 0, 0, 0};
    int nState = kItemNormal;
    int faces[3] = {0, 0, 0};  // normal, hot, pressed (resource ids; 0 none)
    BYTE text[2] = {' ', ' '};
    // The face for the current state.
    int Face() const;
};

// What a click asks of the text view: request 0 is nothing.
struct CandidateClick {
    int request = 0;  // 1..10 a candidate, 11 text window, 12 move, 13 strip
    WORD code = 0;    // the candidate's two text bytes, first byte low; 32 for the buttons
};

constexpr int kCandidateItems = 14;
constexpr int kCandidateBufferBytes = 256;
constexpr int kCharImageBytes = 128;

class CCandidateLayout {
public:
    // faceSize gives the size of a face bitmap by its resource id.
    explicit CCandidateLayout(std::function<SIZE(int)> faceSize);

    void SetClientSize(int width, int height);
    SIZE ClientSize() const { return m_client; }
    // Rebuilds every item for the current layout, flags and candidates.
    void LayoutItems();

    // At most ten candidates (bytes in text order in each WORD) are kept.
    void SetCandidates(const WORD* codes, int count);
    int CandidateCount() const { return m_nCandidates; }
    // Stores the 32 x 32 image (128 bytes); null is refused (false).
    bool SetCharImage(const BYTE* image);
    bool HasCharImage() const { return m_bHasImage; }
    const BYTE* CharImage() const { return m_image.data(); }
    // The band/column switch: only when currentCompact is the panel's state;
    // the panel flips and lays out again. False when nothing happened.
    bool Place(bool currentCompact);

    // The item under the point (strictly inside), -1 for none; a blank
    // candidate is never hit.
    int HitTest(POINT pt) const;
    // Mouse: returns true when the items' look changed.
    bool ButtonDown(POINT pt);
    bool MouseMove(POINT pt);
    CandidateClick ButtonUp(POINT pt);
    // The timer tick: with the pointer outside, every item but the held one
    // returns to normal.
    bool Tick(bool pointerInside);

    const CandidateItem& Item(int i) const { return m_items[static_cast<std::size_t>(i)]; }
    WORD ItemText(int i) const;
    bool IsCompact() const { return m_bCompact; }
    bool LineImageOn() const { return m_bLineImageOn; }
    bool TextWindowOn() const { return m_bTextWindowOn; }
    bool IsCaptured() const { return m_bCaptured; }
    int Pressed() const { return m_nPressed; }

private:
    CandidateItem MakeButton(int normal, int hot, int pressed, int x, int y) const;
    CandidateClick Action(int item);

    std::function<SIZE(int)> m_faceSize;
    SIZE m_client{0, 0};
    std::array<CandidateItem, kCandidateItems> m_items{};
    std::array<BYTE, kCandidateBufferBytes> m_buffer{};
    int m_nCandidates = 0;
    std::array<BYTE, kCharImageBytes> m_image{};
    bool m_bHasImage = false;
    bool m_bCompact = false;
    bool m_bLineImageOn = false;
    bool m_bTextWindowOn = false;
    bool m_bCaptured = false;
    int m_nPressed = -1;
};
