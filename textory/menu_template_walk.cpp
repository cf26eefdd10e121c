#include "textory/menu_template_walk.h"

#include <vector>

#include "platform/afx/core/resource.h"

namespace textory {

namespace {

class Reader {
public:
    Reader(const BYTE* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Word(WORD& out) {
        if (m_size - m_pos < 2) return false;
        out = static_cast<WORD>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return true;
    }
    bool Text(std::u16string& out) {
        out.clear();
        for (WORD c = 0;;) {
            if (!Word(c)) return false;
            if (c == 0) return true;
            out.push_back(static_cast<char16_t>(c));
        }
    }
    bool Skip(std::size_t count) {
        if (m_size - m_pos < count) return false;
        m_pos += count;
        return true;
    }

private:
    const BYTE* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

}  // namespace

bool WalkMenuTemplate(const BYTE* data, std::size_t size, MenuTemplateBuilder* builder) {
    if (!data) return false;
    Reader in(data, size);
    WORD version = 0, headerSize = 0;
    if (!in.Word(version) || !in.Word(headerSize) || !in.Skip(headerSize)) return false;
    // One entry a level that is open: whether its last item was announced.
    std::vector<bool> ending{false};
    while (!ending.empty()) {
        WORD flags = 0, id = 0;
        std::u16string text;
        if (!in.Word(flags)) return false;
        const bool popup = (flags & MF_POPUP) != 0;
        if (!popup && !in.Word(id)) return false;
        if (!in.Text(text)) return false;
        const bool last = (flags & MF_END) != 0;
        const UINT itemFlags = flags & ~static_cast<UINT>(MF_END);
        if (last) ending.back() = true;
        if (popup) {
            if (builder) builder->OpenPopup(itemFlags, text);
            ending.push_back(false);
            continue;
        }
        if (builder) builder->AddItem(itemFlags, id, text);
        while (!ending.empty() && ending.back()) {
            ending.pop_back();
            if (builder) builder->CloseLevel();
        }
    }
    return true;
}

}  // namespace textory
