// A bitmap the painting tests draw into, saved as a PNG in $TEXTORY_GRAB_DIR
// for a person to look at (nothing is saved without it).
#pragma once

#include <QImage>
#include <cstdlib>
#include <string>

#include "platform/afx/afxwin.h"
#include "platform/afx/core/dc_qt.h"

namespace textorytest {

inline std::string GrabFolder() {
    const char* folder = std::getenv("TEXTORY_GRAB_DIR");
    return folder ? folder : "";
}

class Canvas {
public:
    Canvas(int width, int height) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(width, height, 1, 32, nullptr);
        old = dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, width, height, RGB(255, 255, 255));
    }
    ~Canvas() { dc.SelectObject(old); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    QImage Image() const { return AfxBitmapImage(static_cast<HBITMAP>(bitmap.GetSafeHandle())); }
    // Saves the picture as `name` in the grab folder; FALSE without one.
    bool Save(const std::string& name) const {
        const std::string folder = GrabFolder();
        return !folder.empty() && Image().save(QString::fromStdString(folder + "/" + name));
    }
    CDC dc;
    CBitmap bitmap;
    CBitmap* old = nullptr;
};

}  // namespace textorytest
