// A grey or colour page as the page view drew it, scaled into the image
// area, kept from one paint to the next: paints while the display stays the
// same (the window uncovered, a dialog over it repainted, a recognition run's
// progress) copy it instead of scaling the whole page again.
#pragma once

#include <memory>

#include "platform/afx/afxwin.h"

class CKeptPageDrawing {
public:
    // What a drawing was made from.
    struct Key {
        const void* page = nullptr;
        HGLOBAL dib = nullptr;
        unsigned generation = 0;  // the controller's display generation
        int width = 0, height = 0;  // drawn size
        int sourceX = 0, sourceY = 0, sourceWidth = 0, sourceHeight = 0;
        bool operator==(const Key&) const = default;
    };

    // The drawing kept for key; NULL when none is.
    CBitmap* Find(const Key& key) const { return m_bitmap && m_key == key ? m_bitmap.get() : nullptr; }
    // Keeps bitmap as the drawing for key (dropping the one held before).
    CBitmap* Keep(std::unique_ptr<CBitmap> bitmap, const Key& key);

private:
    std::unique_ptr<CBitmap> m_bitmap;
    Key m_key;
};
