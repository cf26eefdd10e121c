// What the text view's controller asks of the window around it: repainting,
// the caret, the candidate panel, the page view's frame, the
// scroll bars, the focus, the mouse capture and the clipboard owner. The thin
// view implements it over its window; tests record the calls.
#pragma once

#include <string>

#include "platform/afx/core/afx_types.h"
#include "platform/afx/core/geometry.h"

// The caret as the controller places it: a rectangle in client pixels.
struct TextCaretShape {
    int x = 0;
    int y = 0;
    int width = 2;
    int height = 16;
};

class CTextViewHost {
public:
    virtual ~CTextViewHost() = default;

    // Text lines first..last (absolute line numbers) need repainting; last -1
    // means to the bottom of the text area.
    virtual void InvalidateLines(int first, int last) = 0;
    // The whole text area needs repainting.
    virtual void InvalidateText(bool erase) = 0;
    // The caret moved or changed its shape (only while the view owns one).
    virtual void PlaceCaret(const TextCaretShape& caret) = 0;
    // The candidate panel: the 32 x 32 image (128 bytes of 1-bit rows) and the
    // candidate codes (bytes in text order in each WORD).
    virtual void ShowCharImage(const BYTE* image128) = 0;
    virtual void ShowCandidates(const WORD* codes, int count) = 0;
    // The two text bytes (first byte low) that candidate item k (1..10) shows;
    // 0x2020 when blank.
    virtual WORD PanelCandidate(int k) const = 0;
    // The page view frames the caret character's box (inclusive page pixels).
    virtual void FrameCharBox(const RECT& box) = 0;
    // Vertical range 0..lastLine at topRow; horizontal 0..511 at firstCol.
    virtual void SetScrollBars(int lastLine, int topRow, int firstCol) = 0;
    virtual void TakeFocus() = 0;
    virtual void CaptureMouse(bool capture) = 0;
    // The window that opens the clipboard.
    virtual HWND ClipboardOwner() const = 0;
    // The panel moves to its other layout (and the text area follows).
    virtual void RelayoutPanel() = 0;
    // The document writes the result for the external editor; false when it
    // could not (then nothing is started).
    virtual bool ExportForEditor(std::string* path) = 0;
};
