// Drawing of the batch recognition window's client area into a device
// context: the text panel of the counter mode (white, framed, its lines in a
// fixed font) and the reduced page of the preview mode with the frames of
// its regions and the tint of the part already recognised.
#pragma once

#include "platform/afx/afxwin.h"
#include "shell/batch/batch_preview.h"
#include "shell/batch/batch_text_panel.h"

class CBatchRecogRenderer {
public:
    struct PanelMetrics {
        int charWidth = 8;
        int lineHeight = 18;
    };

    // Character width and line height (+2) of "A" in the DC's font.
    static PanelMetrics Measure(CDC& dc);
    // Lines and columns of a panel rectangle, bounded by the panel's buffer.
    static void Layout(const RECT& panel, const PanelMetrics& metrics, CBatchTextPanel& text);
    // White panel, one-pixel outline, lines 0 to the current one.
    static void DrawPanel(CDC& dc, const RECT& panel, const PanelMetrics& metrics, const CBatchTextPanel& text);
    // The rectangle a change of `line` from `fromColumn` on touches.
    static RECT LineRect(const RECT& panel, const PanelMetrics& metrics, int line, int fromColumn);

    static constexpr COLORREF kPreviewGrey = RGB(128, 128, 128);
    // The preview's area: back buffer, page, frames and tint, then one copy
    // to `dc` at the area's place. The preview's build result (a failed
    // lock draws nothing).
    static CBatchPreview::Build DrawPreview(CDC& dc, const RECT& area, CBatchPreview& preview);
};
