#include "views/page_view/kept_page_drawing.h"

CBitmap* CKeptPageDrawing::Keep(std::unique_ptr<CBitmap> bitmap, const Key& key) {
    m_bitmap = std::move(bitmap);
    m_key = key;
    return m_bitmap.get();
}
