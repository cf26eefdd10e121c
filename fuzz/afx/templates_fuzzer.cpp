// Stored templates and packed DIBs from arbitrary bytes: the first byte picks the parser.
#include <cstddef>
#include <cstdint>

#include "platform/afx/core/dib_qt.h"
#include "platform/afx/core/gdi.h"
#include "platform/afx/core/resource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t* body = data + 1;
    DWORD n = static_cast<DWORD>(size - 1);
    switch (data[0] % 5) {
    case 0: {
        CMenuTemplate menu;
        AfxParseMenuTemplate(body, n, menu);
        break;
    }
    case 1: {
        CDialogTemplate dialog;
        AfxParseDialogTemplate(body, n, dialog);
        break;
    }
    case 2: {
        CToolBarTemplate bar;
        AfxParseToolBarTemplate(body, n, bar);
        break;
    }
    case 3: {
        QImage image = AfxDibToImage(body, n);
        if (!image.isNull() && (image.width() > 4096 || image.height() > 4096)) return 0;
        break;
    }
    default: {
        HBITMAP bitmap = CreateDIBitmapFromPacked(body, n);
        if (bitmap) DeleteObject(bitmap);
        break;
    }
    }
    return 0;
}
