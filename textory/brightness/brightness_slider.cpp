#include "textory/brightness/brightness_slider.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/win/atomic_file.h"

namespace textory {

CBrightnessSlider::CBrightnessSlider(int value, Host host, CBrightnessSlider** slot)
    : value_(std::clamp(value, kMinimum, kMaximum)), host_(std::move(host)), slot_(slot) {
    if (slot_) *slot_ = this;
}

CBrightnessSlider::~CBrightnessSlider() { leave(false); }

void CBrightnessSlider::leave(bool closeWindow) {
    const bool wasOpen = open_;
    open_ = false;
    if (slot_ && *slot_ == this) *slot_ = nullptr;
    slot_ = nullptr;
    // Last, from a copy: closing the window may destroy this object.
    if (wasOpen && closeWindow && host_.closeWindow) {
        const std::function<void()> close = host_.closeWindow;
        close();
    }
}

void CBrightnessSlider::OnScroll(int code, int position) {
    if (!open_) return;
    int value = value_;
    switch (code) {
    case kLineLeft: value -= 1; break;
    case kLineRight: value += 1; break;
    case kPageLeft: value -= 10; break;
    case kPageRight: value += 10; break;
    case kThumbPosition:
    case kThumbTrack: value = position; break;
    default: return;
    }
    value_ = std::clamp(value, kMinimum, kMaximum);
    if (host_.setBrightness) host_.setBrightness(false, value_);
}

void CBrightnessSlider::OnDeactivate() {
    if (open_ && host_.setBrightness) host_.setBrightness(true, value_);
}

void CBrightnessSlider::Close() {
    if (!open_) return;
    if (host_.restoreZoom) host_.restoreZoom();
    if (host_.setBrightness) host_.setBrightness(true, value_);
    const std::string path = host_.documentPath ? host_.documentPath() : std::string();
    if (!path.empty()) SaveBrightness(path + ".ATR", value_);
    leave(true);
}

void CBrightnessSlider::CloseForZoomOut() {
    if (!open_) return;
    if (host_.setBrightness) host_.setBrightness(true, value_);
    leave(true);
}

void CBrightnessSlider::Dismiss() { leave(true); }

bool SaveBrightness(const std::string& path, int value) {
    const std::uint32_t v = static_cast<std::uint32_t>(value);
    const unsigned char bytes[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                    static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    return SuiteWriteFileAtomically(path.c_str(), bytes, sizeof bytes) != FALSE;
}

}  // namespace textory
