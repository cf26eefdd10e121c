// The brightness dialog without its window: a grey bitmap of 4 or 8 bits a
// pixel turned into a 1-bit plane at a threshold, the threshold's scroll
// codes and typed values, and the full-size preview window dragged over
// the page.
#pragma once

#include "platform/win/types.h"
#include "views/dialogs/preview_window.h"

class CBrightnessController {
public:
    // The source stays the caller's and is only read.
    CBrightnessController(HDIB source, int threshold);
    ~CBrightnessController();
    CBrightnessController(const CBrightnessController&) = delete;
    CBrightnessController& operator=(const CBrightnessController&) = delete;

    // (Re)builds the plane at the threshold: only the preview window's rows
    // when previewOnly, else the whole page. False when no plane came out.
    bool BuildWorkImage(bool previewOnly);
    // The plane (rows top-down, ((width + 31) / 32) x 4 bytes, 1 = black); the
    // caller that takes it frees it.
    HGLOBAL Plane() const { return m_plane; }
    HGLOBAL TakePlane();
    int Width() const { return m_width; }    // rounded up to a multiple of 32
    int Height() const { return m_height; }

    int Threshold() const { return m_threshold; }
    // A scroll code of the threshold bar; true when the threshold changed.
    bool Scroll(UINT code, int thumb);
    // A typed value, kept within 0..255; *outClamped says the text must be rewritten.
    bool Type(int value, bool* outClamped);

    // Pans the preview by page pixels; true when it moved (plane and picture rebuilt).
    bool Pan(int dx, int dy);
    // Fills the picture from the plane.
    bool RefreshPreview();
    const CPreviewWindow& Window() const { return m_preview; }
    // The client point lies in the preview area (12,12)-(262,262).
    static bool HitPreview(POINT client);
    static constexpr int kAreaLeft = 12, kAreaTop = 12;

private:
    bool Rebuild();
    HDIB m_source;
    int m_threshold;
    HGLOBAL m_plane = nullptr;
    int m_width = 0, m_height = 0;
    CPreviewWindow m_preview;
};
