#include "textory/image_button_painter.h"

#include "platform/afx/ui/drawstate.h"

namespace textory {

namespace {
COLORREF Sys(int index) { return ::GetSysColor(index); }
}  // namespace

ImageButtonColours DefaultButtonColours() {
    const COLORREF back = Sys(COLOR_BTNFACE), text = Sys(COLOR_BTNTEXT);
    return ImageButtonColours{back, text, back, text, back, text};
}

void PlaceImageButtonFace(const RECT& item, BYTE alignment, int iconWidth, int iconHeight, bool hasCaption,
                          POINT& icon, RECT& caption) {
    caption = item;
    const int width = item.right - item.left, height = item.bottom - item.top;
    const int centreX = item.left + (width - iconWidth) / 2;
    const int centreY = item.top + (height - iconHeight) / 2;
    switch (alignment) {
    case 1:  // above the caption
        icon.x = centreX;
        if (hasCaption) {
            icon.y = 3;
            caption.top += iconHeight;
        } else {
            icon.y = centreY;
        }
        break;
    case 2:  // right of the caption
        icon.y = centreY;
        if (hasCaption) {
            caption.right -= caption.left + iconWidth + 3;
            caption.left = 3;
            icon.x = item.right - iconWidth - 3;
        } else {
            icon.x = centreX;
        }
        break;
    default:  // left of the caption
        icon.y = centreY;
        if (hasCaption) {
            icon.x = item.left + 3;
            caption.left += iconWidth + 3;
        } else {
            icon.x = centreX;
        }
        break;
    }
}

void PaintImageButton(CDC& dc, RECT item, UINT itemState, const ImageButtonState& state,
                      const ImageButtonColours& colours, const ImageButtonFace& face) {
    const bool pressed = state.Pressed(itemState);
    const bool disabled = (itemState & ODS_DISABLED) != 0;
    dc.SetBkMode(TRANSPARENT);
    if (state.BlackFrame(itemState)) {
        CBrush black(RGB(0, 0, 0));
        dc.FrameRect(&item, &black);
        ::InflateRect(&item, -1, -1);
    }
    const ButtonColours pair = state.Colours(itemState);
    if (state.seeThrough && face.savedBackground) {
        dc.BitBlt(0, 0, item.right - item.left, item.bottom - item.top, face.savedBackground, 0, 0, SRCCOPY);
    } else {
        dc.FillSolidRect(&item, pair == ButtonColours::In      ? colours.inBack
                                : pair == ButtonColours::Focus ? colours.focusBack
                                                               : colours.outBack);
    }
    switch (state.Border(itemState)) {
    case ButtonBorder::ShadowFrame: {
        CBrush shadow(Sys(COLOR_BTNSHADOW));
        dc.FrameRect(&item, &shadow);
        break;
    }
    case ButtonBorder::FlatSunken: dc.Draw3dRect(&item, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT)); break;
    case ButtonBorder::FlatRaised: dc.Draw3dRect(&item, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW)); break;
    case ButtonBorder::Raised3D: {
        RECT inner = item;
        dc.Draw3dRect(&item, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_3DDKSHADOW));
        ::InflateRect(&inner, -1, -1);
        dc.Draw3dRect(&inner, Sys(COLOR_3DLIGHT), Sys(COLOR_BTNSHADOW));
        break;
    }
    case ButtonBorder::None: break;
    }
    POINT iconAt{};
    RECT caption{};
    PlaceImageButtonFace(item, state.alignment, face.iconWidth, face.iconHeight, !face.caption.empty(), iconAt,
                         caption);
    const int shift = state.ShiftFace(itemState) ? 1 : 0;
    if (face.icon) {
        ::DrawStateA(dc.GetSafeHdc(), nullptr, nullptr, reinterpret_cast<LPARAM>(face.icon), 0, iconAt.x + shift,
                     iconAt.y + shift, face.iconWidth, face.iconHeight, DST_ICON | (disabled ? DSS_DISABLED : 0));
    }
    if (!face.caption.empty()) {
        ::OffsetRect(&caption, shift, shift);
        RECT measured = caption;
        const int length = static_cast<int>(face.caption.size());
        ::DrawTextA(dc.GetSafeHdc(), face.caption.c_str(), length, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
        const int w = measured.right - measured.left, h = measured.bottom - measured.top;
        RECT centred{caption.left + (caption.right - caption.left - w) / 2,
                     caption.top + (caption.bottom - caption.top - h) / 2, 0, 0};
        centred.right = centred.left + w;
        centred.bottom = centred.top + h;
        if (disabled) {
            RECT shifted = centred;
            ::OffsetRect(&shifted, 1, 1);
            dc.SetTextColor(Sys(COLOR_BTNHIGHLIGHT));
            ::DrawTextA(dc.GetSafeHdc(), face.caption.c_str(), length, &shifted, DT_WORDBREAK | DT_CENTER);
            dc.SetTextColor(Sys(COLOR_BTNSHADOW));
        } else {
            const bool in = state.over || pressed;
            dc.SetTextColor(in ? colours.inText : colours.outText);
            dc.SetBkColor(in ? colours.inBack : colours.outBack);
        }
        ::DrawTextA(dc.GetSafeHdc(), face.caption.c_str(), length, &centred, DT_WORDBREAK | DT_CENTER);
    }
    if (state.FocusRectangle(itemState)) {
        RECT focus = item;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(dc.GetSafeHdc(), &focus);
    }
}

}  // namespace textory
