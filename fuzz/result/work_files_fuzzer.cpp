// Splits arbitrary bytes into the three work files (.c&e, .idx, .txt), fills
// the result store from them, and walks, reads and edits what was loaded; the
// loaded text must also load back as saved text.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ocrdoc/result/reco_result.h"
#include "platform/win/memory.h"

namespace {
void Require(bool condition) {
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size < 4) return 0;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    size_t a = std::min<size_t>(static_cast<std::uint8_t>(bytes[0]) * 4, size - 2);
    size_t b = std::min<size_t>(a + static_cast<std::uint8_t>(bytes[1]) * 4, size - 2);
    std::string_view rest = bytes.substr(2);
    std::string_view ce = rest.substr(0, a), idx = rest.substr(a, b - a), txt = rest.substr(b);
    CRecoResult store;
    if (!store.LoadFromWorkFileBytes(ce, idx, txt)) {
        Require(store.m_bHasResult == 0 && store.m_nTextLen == 0);
        return 0;
    }
    std::string text(store.Text());
    Require(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
    CRecoResult saved;
    Require(saved.LoadSaved(1, reinterpret_cast<const BYTE*>(text.data()), static_cast<UINT>(text.size()),
                            reinterpret_cast<const BYTE*>(store.m_pChars), store.m_nCharBytes));
    Require(saved.m_nLineCount == store.m_nLineCount);
    BYTE line[512];
    BYTE classes[1024];
    for (UINT row = 0; row < store.m_nLineCount && row < 64; ++row) {
        store.SetCaret(row, 3, TRUE);
        store.GetLine(line, sizeof line, 0, classes, sizeof classes);
        WORD before = 0, at = 0;
        store.GetCharsAroundCaret(&before, &at);
        UINT r = 0, c = 0;
        store.FindDoubtfulChar(TRUE, &r, &c);
        store.FindDoubtfulChar(FALSE, &r, &c);
    }
    HGLOBAL copy = store.CopyText(0, store.m_nTextLen);
    if (copy) {
        store.SetCaret(0, 0, FALSE);
        store.PasteText(copy);
        GlobalFree(copy);
    }
    store.DeleteText(7, 1);
    std::string edited(store.Text());
    Require(saved.LoadSaved(1, reinterpret_cast<const BYTE*>(edited.data()), static_cast<UINT>(edited.size()),
                            reinterpret_cast<const BYTE*>(store.m_pChars), store.m_nCharBytes));
    Require(saved.m_nLineCount == store.m_nLineCount);
    return 0;
}
