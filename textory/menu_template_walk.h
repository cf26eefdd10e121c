// Walks a standard menu template (version word, header-size word, then the
// items: a flags word, an id word unless MF_POPUP, a NUL-terminated UTF-16
// text; MF_END on the last item of each level) and tells a builder what it
// finds, level by level.
#pragma once

#include <cstddef>
#include <string>

#include "platform/win/types.h"

namespace textory {

class MenuTemplateBuilder {
public:
    virtual ~MenuTemplateBuilder() = default;
    // A popup item on the current level (MF_END already removed from the
    // flags); its items follow until the matching CloseLevel.
    virtual void OpenPopup(UINT flags, const std::u16string& text) = 0;
    // A plain item or separator (id 0) on the current level, MF_END removed.
    virtual void AddItem(UINT flags, UINT id, const std::u16string& text) = 0;
    // The innermost open level has had its last item; the menu bar itself
    // closes last.
    virtual void CloseLevel() = 0;
};

// Walks `size` bytes. Returns false for a template that is cut short, whose
// header size runs past the end, or that ends with a level still open; the
// builder may have been told part of it by then. A builder may be null (a
// check of the template only). Bytes after the menu bar's last item are ignored.
bool WalkMenuTemplate(const BYTE* data, std::size_t size, MenuTemplateBuilder* builder);

}  // namespace textory
