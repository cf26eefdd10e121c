// Menu templates written in memory, item by item, for the icon menu's tests.
#pragma once

#include <string>
#include <vector>

#include "platform/afx/core/resource.h"
#include "platform/win/types.h"

class MenuTemplateBytes {
public:
    MenuTemplateBytes() { Word(0), Word(0); }
    MenuTemplateBytes& Popup(const std::u16string& text, bool last = false) {
        Word(MF_POPUP | (last ? MF_END : 0));
        return Text(text);
    }
    MenuTemplateBytes& Item(UINT id, const std::u16string& text, bool last = false, UINT flags = 0) {
        Word(flags | (last ? MF_END : 0));
        Word(id);
        return Text(text);
    }
    const std::vector<BYTE>& bytes() const { return m_bytes; }

private:
    MenuTemplateBytes& Word(UINT w) {
        m_bytes.push_back(static_cast<BYTE>(w & 0xFF));
        m_bytes.push_back(static_cast<BYTE>((w >> 8) & 0xFF));
        return *this;
    }
    MenuTemplateBytes& Text(const std::u16string& text) {
        for (char16_t c : text) Word(c);
        return Word(0);
    }
    std::vector<BYTE> m_bytes;
};
