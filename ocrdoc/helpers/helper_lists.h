// Small list helpers: a growable array of column records, the record with
// the largest first field, and emptying a list of owned pointers.
#pragma once

#include "platform/afx/core/collections.h"
#include "platform/win/types.h"

// One column of a layout (20 bytes).
struct ColumnStruct {
    INT left;
    INT top;
    INT right;
    INT bottom;
    INT value;
};
static_assert(sizeof(ColumnStruct) == 20);

// Grows by 10 items at a time (the first add allocates 10).
class ColumnArray {
public:
    ColumnArray() = default;
    ColumnArray(const ColumnArray&) = delete;
    ColumnArray& operator=(const ColumnArray&) = delete;
    ~ColumnArray();

    // Appends a copy; FALSE (array unchanged, "... 内存不够" shown) when the
    // array cannot grow.
    BOOL Add(ColumnStruct& aColumn);
    void RemoveAll();

    int GetSize() const { return m_nCount; }
    int GetCapacity() const { return m_nCapacity; }
    ColumnStruct& operator[](int i) { return m_pItems[i]; }
    const ColumnStruct& operator[](int i) const { return m_pItems[i]; }

private:
    ColumnStruct* m_pItems = nullptr;
    int m_nCapacity = 0;
    int m_nCount = 0;
};

// An 8-byte record whose first field is compared.
struct IndexedValue {
    INT first;
    INT second;
};
static_assert(sizeof(IndexedValue) == 8);

// Index of the first record with the largest first field; -1 for count < 1.
int IndexOfMaxFirst(const IndexedValue* records, int count);

// Deletes every item of a list of pointers to T, then empties the list.
template <class T>
void FreePtrListItems(CPtrList& list) {
    POSITION pos = list.GetHeadPosition();
    while (pos) delete static_cast<T*>(list.GetNext(pos));
    list.RemoveAll();
}
