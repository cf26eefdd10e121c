#include "ocrdoc/helpers/helper_lists.h"

#include <cstdlib>
#include <new>

#include "ocrdoc/document_host.h"

namespace {
constexpr int kColumnGrowth = 10;
// "BOOL ColumnArray::Add(ColumnStruct& aColumn) 内存不够" in the GBK code page.
constexpr const char* kColumnMemoryMessage =
    "BOOL ColumnArray::Add(ColumnStruct& aColumn) \xC4\xDA\xB4\xE6\xB2\xBB\xB9\xBB";
}  // namespace

ColumnArray::~ColumnArray() { std::free(m_pItems); }

void ColumnArray::RemoveAll() {
    std::free(m_pItems);
    m_pItems = nullptr;
    m_nCapacity = m_nCount = 0;
}

BOOL ColumnArray::Add(ColumnStruct& aColumn) {
    if (m_nCount == m_nCapacity) {
        int capacity = m_nCapacity + kColumnGrowth;
        void* grown = std::realloc(m_pItems, sizeof(ColumnStruct) * static_cast<std::size_t>(capacity));
        if (!grown) {
            DocumentHost().MessageBox(kColumnMemoryMessage, "", MB_OK);
            return FALSE;
        }
        m_pItems = static_cast<ColumnStruct*>(grown);
        m_nCapacity = capacity;
    }
    m_pItems[m_nCount++] = aColumn;
    return TRUE;
}

int IndexOfMaxFirst(const IndexedValue* records, int count) {
    if (!records || count < 1) return -1;
    int best = 0;
    for (int i = 1; i < count; ++i)
        if (records[i].first > records[best].first) best = i;
    return best;
}
