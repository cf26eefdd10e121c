// What the owner-drawn menus know without drawing: the item records the
// manager makes (and only those), the button images of the tool bars by
// command id, accelerator texts, the mnemonic answer, and item sizes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/afx/afxwin.h"

// The record a converted item carries as its item data.
struct CoolMenuItem {
    static constexpr std::uint32_t kSignature = 0x0064696Du;  // "mid\0" read as one 32-bit value
    std::uint32_t signature = kSignature;
    CString text;   // with its tab part
    UINT type = 0;  // the item's flags as found
    int image = -1;
};

// The records the manager made. Whether an item's data is one of them is
// asked of this set: data another owner put there is never read through.
class CoolMenuRecords {
public:
    CoolMenuItem* Create(const CString& text, UINT type, int image);
    // The record `data` names, or nullptr when it is not one of ours.
    CoolMenuItem* Find(DWORD_PTR data) const;
    bool Owns(DWORD_PTR data) const { return Find(data) != nullptr; }
    void Delete(CoolMenuItem* record);
    void Clear() { records_.clear(); }
    std::size_t Count() const { return records_.size(); }

private:
    std::map<const CoolMenuItem*, std::unique_ptr<CoolMenuItem>> records_;
};

// The button images of the tool bars loaded so far, by command id.
class MenuButtonImages {
public:
    // The tool-bar resource `id` and its bitmap; FALSE when either is
    // missing or its image size differs from the first tool bar's.
    BOOL LoadToolbar(UINT id);
    // The same from a parsed tool bar and its bitmap.
    BOOL AddToolbar(UINT id, const CToolBarTemplate& toolbar, CBitmap& bitmap);
    // The image of `command`, -1 when it has none.
    int ImageOf(UINT command) const;
    CSize ImageSize() const { return imageSize_; }
    // The box an image sits in: 4 pixels more each way (0 x 0 before any tool bar).
    CSize ButtonSize() const;
    CImageList* List() { return list_.GetImageCount() ? &list_ : nullptr; }
    const std::vector<UINT>& Loaded() const { return loaded_; }
    void Clear();

private:
    CImageList list_;
    std::map<UINT, int> images_;
    CSize imageSize_{0, 0};
    std::vector<UINT> loaded_;
};

// "Ctrl+O", "Alt+Ctrl+Shift+F5, Ctrl+Delete": every accelerator of
// `command` in the table, separated by ", "; empty when it has none.
std::string AcceleratorText(const std::vector<ACCEL>& table, UINT command);
// `text` with everything from its tab replaced by a tab and `accelerator`;
// unchanged when `accelerator` is empty.
CString WithAccelerator(const CString& text, const std::string& accelerator);

// The answer to a typed character: 0 when no item's mnemonic (the character
// after the first '&') is it, upper-cased; MNC_EXECUTE for the one item
// that has it; MNC_SELECT for the first of several after the highlighted
// item (-1: none), wrapping to the first. `texts` holds the items' texts in
// menu order (empty for items that are not ours).
LRESULT MnemonicAnswer(const std::vector<CString>& texts, int highlighted, UINT ch);

// An item's size: a separator is half a menu bar high and has no width;
// another item is as high as its text or a menu bar, whichever is more, and
// two buttons wider than its text, less the check-mark width, plus 5.
CSize CoolMenuItemSize(bool separator, CSize text, CSize button, int menuBarHeight, int checkWidth);

// The left edge of a popup `menuWidth` wide opened under a button at
// `buttonLeft`, moved in so that it fits on a screen `screenWidth` wide.
int PopupLeftOnScreen(int buttonLeft, int menuWidth, int screenWidth);
