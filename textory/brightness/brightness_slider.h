// The brightness dialog's logic without its window: a threshold 0..255 moved
// by the scroll bar, previews while it moves, the final value when the dialog
// loses the focus or closes, and the ".ATR" side file written on close. The
// owner's pointer to the open dialog is cleared on every way out (close,
// zoom-out, destruction), so nothing is left pointing at a closed dialog.
#pragma once

#include <functional>
#include <string>

namespace textory {

// Scroll codes of a horizontal scroll bar.
enum ScrollCode { kLineLeft = 0, kLineRight = 1, kPageLeft = 2, kPageRight = 3, kThumbPosition = 4, kThumbTrack = 5 };

class CBrightnessSlider {
public:
    static constexpr int kMinimum = 0;
    static constexpr int kMaximum = 255;

    struct Host {
        // WM_SETBRIGHTNESS to the page view: final false = preview.
        std::function<void(bool final, int value)> setBrightness;
        // The page view's remembered zoom back (the dialog had set 100 %).
        std::function<void()> restoreZoom;
        // The document's path, for the side file ("" when none).
        std::function<std::string()> documentPath;
        // The dialog's window goes away (every way out but the window's own
        // destruction, which needs no telling).
        std::function<void()> closeWindow;
    };

    // `slot` is the owner's pointer to the open dialog; it is set here and
    // cleared on every way out.
    CBrightnessSlider(int value, Host host, CBrightnessSlider** slot);
    ~CBrightnessSlider();
    CBrightnessSlider(const CBrightnessSlider&) = delete;
    CBrightnessSlider& operator=(const CBrightnessSlider&) = delete;

    int Value() const { return value_; }
    bool IsOpen() const { return open_; }
    // A scroll: the value moves and is clamped, then a preview goes out.
    void OnScroll(int code, int position);
    // The dialog lost the focus: the final value goes out.
    void OnDeactivate();
    // Apply and close: the zoom comes back, the final value goes out and the
    // side file is written.
    void Close();
    // Zoom-out's shorter way: the final value, no side file, zoom left alone.
    void CloseForZoomOut();
    // The owner goes away first: the window closes and nothing is sent.
    void Dismiss();

private:
    void leave(bool closeWindow);

    int value_;
    Host host_;
    CBrightnessSlider** slot_;
    bool open_ = true;
};

// Writes the brightness side file: exactly 4 bytes, the value as a 32-bit
// little-endian int, whole or not at all. FALSE when it could not be written.
bool SaveBrightness(const std::string& path, int value);

}  // namespace textory
