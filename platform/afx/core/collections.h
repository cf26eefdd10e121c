// Collections: growable arrays (CArray and its typed forms), doubly linked
// lists walked by POSITION (CList), and hash maps (CMap) whose walk order is
// the order keys were first added, so that saved and shown sequences are
// stable from run to run.
#pragma once

#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/afx/core/cstring.h"
#include "platform/afx/core/exception.h"
#include "platform/afx/core/object.h"

// An opaque place in a list or map; nullptr ends a walk.
struct __POSITION {};
using POSITION = __POSITION*;
#define BEFORE_START_POSITION (reinterpret_cast<POSITION>(-1))

// ---------------------------------------------------------------------------
// Arrays

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
public:
    CArray() = default;
    CArray(const CArray&) = default;
    CArray& operator=(const CArray&) = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    BOOL IsEmpty() const { return m_data.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    // New elements are value-initialised (0, nullptr, empty strings).
    void SetSize(INT_PTR newSize, INT_PTR growBy = -1) {
        (void)growBy;
        if (newSize < 0) AfxThrowNotSupportedException();
        m_data.resize(static_cast<size_t>(newSize));
    }
    void FreeExtra() { m_data.shrink_to_fit(); }
    void RemoveAll() { m_data.clear(); }

    const TYPE& GetAt(INT_PTR i) const { return m_data.at(Index(i)); }
    TYPE& GetAt(INT_PTR i) { return m_data.at(Index(i)); }
    void SetAt(INT_PTR i, ARG_TYPE v) { m_data.at(Index(i)) = v; }
    TYPE& ElementAt(INT_PTR i) { return m_data.at(Index(i)); }
    const TYPE& ElementAt(INT_PTR i) const { return m_data.at(Index(i)); }
    const TYPE* GetData() const { return m_data.data(); }
    TYPE* GetData() { return m_data.data(); }
    const TYPE& operator[](INT_PTR i) const { return GetAt(i); }
    TYPE& operator[](INT_PTR i) { return ElementAt(i); }

    void SetAtGrow(INT_PTR i, ARG_TYPE v) {
        if (i < 0) AfxThrowNotSupportedException();
        if (static_cast<size_t>(i) >= m_data.size()) {
            TYPE value(v);  // `v` may refer into this array, which the growth moves
            m_data.resize(static_cast<size_t>(i) + 1);
            m_data[static_cast<size_t>(i)] = std::move(value);
            return;
        }
        m_data[static_cast<size_t>(i)] = v;
    }
    INT_PTR Add(ARG_TYPE v) {
        m_data.push_back(v);
        return GetUpperBound();
    }
    INT_PTR Append(const CArray& src) {
        INT_PTR first = GetSize();
        if (&src == this) {
            std::vector<TYPE> copy(src.m_data);
            m_data.insert(m_data.end(), copy.begin(), copy.end());
        } else {
            m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end());
        }
        return first;
    }
    void Copy(const CArray& src) {
        if (&src != this) m_data = src.m_data;
    }
    // Inserts `count` copies before `i`; an index past the end grows the array.
    void InsertAt(INT_PTR i, ARG_TYPE v, INT_PTR count = 1) {
        if (i < 0 || count < 0) AfxThrowNotSupportedException();
        TYPE value(v);  // `v` may refer into this array
        if (static_cast<size_t>(i) > m_data.size()) m_data.resize(static_cast<size_t>(i));
        m_data.insert(m_data.begin() + i, static_cast<size_t>(count), value);
    }
    void InsertAt(INT_PTR start, const CArray* src) {
        if (!src || src->IsEmpty()) return;
        if (start < 0) AfxThrowNotSupportedException();
        std::vector<TYPE> copy(src->m_data);
        if (static_cast<size_t>(start) > m_data.size()) m_data.resize(static_cast<size_t>(start));
        m_data.insert(m_data.begin() + start, copy.begin(), copy.end());
    }
    void RemoveAt(INT_PTR i, INT_PTR count = 1) {
        if (i < 0 || count < 0 || i > GetSize() || count > GetSize() - i) AfxThrowNotSupportedException();
        m_data.erase(m_data.begin() + i, m_data.begin() + i + count);
    }

    auto begin() { return m_data.begin(); }
    auto end() { return m_data.end(); }
    auto begin() const { return m_data.begin(); }
    auto end() const { return m_data.end(); }

protected:
    static size_t Index(INT_PTR i) { return i < 0 ? static_cast<size_t>(-1) : static_cast<size_t>(i); }
    std::vector<TYPE> m_data;
};

class AFX_CORE_API CByteArray : public CArray<BYTE, BYTE> {
    DECLARE_DYNAMIC(CByteArray)
};
class AFX_CORE_API CWordArray : public CArray<WORD, WORD> {
    DECLARE_DYNAMIC(CWordArray)
};
class AFX_CORE_API CDWordArray : public CArray<DWORD, DWORD> {
    DECLARE_DYNAMIC(CDWordArray)
};
class AFX_CORE_API CUIntArray : public CArray<UINT, UINT> {
    DECLARE_DYNAMIC(CUIntArray)
};
class AFX_CORE_API CPtrArray : public CArray<void*, void*> {
    DECLARE_DYNAMIC(CPtrArray)
};
class AFX_CORE_API CObArray : public CArray<CObject*, CObject*> {
    DECLARE_DYNAMIC(CObArray)
};
class AFX_CORE_API CStringArray : public CArray<CString, const CString&> {
    DECLARE_DYNAMIC(CStringArray)
};

// ---------------------------------------------------------------------------
// Lists

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject {
    struct Node {
        Node* next;
        Node* prev;
        TYPE data;
    };

public:
    CList() = default;
    explicit CList(INT_PTR blockSize) { (void)blockSize; }
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;
    ~CList() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_count; }
    INT_PTR GetSize() const { return m_count; }
    BOOL IsEmpty() const { return m_count == 0; }

    TYPE& GetHead() { return Checked(m_head)->data; }
    const TYPE& GetHead() const { return Checked(m_head)->data; }
    TYPE& GetTail() { return Checked(m_tail)->data; }
    const TYPE& GetTail() const { return Checked(m_tail)->data; }

    TYPE RemoveHead() {
        Node* n = Checked(m_head);
        TYPE v = std::move(n->data);
        Unlink(n);
        return v;
    }
    TYPE RemoveTail() {
        Node* n = Checked(m_tail);
        TYPE v = std::move(n->data);
        Unlink(n);
        return v;
    }
    POSITION AddHead(ARG_TYPE v) { return InsertBefore(ToPos(m_head), v); }
    POSITION AddTail(ARG_TYPE v) { return InsertAfter(ToPos(m_tail), v); }
    void AddHead(const CList* other) {
        if (!other) return;
        std::vector<TYPE> copy;
        for (Node* n = other->m_head; n; n = n->next) copy.push_back(n->data);
        for (auto it = copy.rbegin(); it != copy.rend(); ++it) AddHead(*it);
    }
    void AddTail(const CList* other) {
        if (!other) return;
        std::vector<TYPE> copy;
        for (Node* n = other->m_head; n; n = n->next) copy.push_back(n->data);
        for (const TYPE& v : copy) AddTail(v);
    }
    void RemoveAll() {
        while (m_head) Unlink(m_head);
    }

    POSITION GetHeadPosition() const { return ToPos(m_head); }
    POSITION GetTailPosition() const { return ToPos(m_tail); }
    TYPE& GetNext(POSITION& pos) {
        Node* n = Checked(FromPos(pos));
        pos = ToPos(n->next);
        return n->data;
    }
    const TYPE& GetNext(POSITION& pos) const {
        Node* n = Checked(FromPos(pos));
        pos = ToPos(n->next);
        return n->data;
    }
    TYPE& GetPrev(POSITION& pos) {
        Node* n = Checked(FromPos(pos));
        pos = ToPos(n->prev);
        return n->data;
    }
    const TYPE& GetPrev(POSITION& pos) const {
        Node* n = Checked(FromPos(pos));
        pos = ToPos(n->prev);
        return n->data;
    }
    TYPE& GetAt(POSITION pos) { return Checked(FromPos(pos))->data; }
    const TYPE& GetAt(POSITION pos) const { return Checked(FromPos(pos))->data; }
    void SetAt(POSITION pos, ARG_TYPE v) { Checked(FromPos(pos))->data = v; }
    void RemoveAt(POSITION pos) { Unlink(Checked(FromPos(pos))); }

    // A null position inserts at the head (InsertBefore) or tail (InsertAfter).
    POSITION InsertBefore(POSITION pos, ARG_TYPE v) {
        Node* at = FromPos(pos);
        if (!at) at = m_head;
        Node* n = new Node{at, at ? at->prev : nullptr, TYPE(v)};
        if (!at) {
            m_head = m_tail = n;
        } else {
            if (at->prev) {
                at->prev->next = n;
            } else {
                m_head = n;
            }
            at->prev = n;
        }
        ++m_count;
        return ToPos(n);
    }
    POSITION InsertAfter(POSITION pos, ARG_TYPE v) {
        Node* at = FromPos(pos);
        if (!at) at = m_tail;
        Node* n = new Node{at ? at->next : nullptr, at, TYPE(v)};
        if (!at) {
            m_head = m_tail = n;
        } else {
            if (at->next) {
                at->next->prev = n;
            } else {
                m_tail = n;
            }
            at->next = n;
        }
        ++m_count;
        return ToPos(n);
    }

    // The first element equal to `v` after `startAfter` (from the head when null).
    POSITION Find(ARG_TYPE v, POSITION startAfter = nullptr) const {
        Node* n = startAfter ? FromPos(startAfter)->next : m_head;
        for (; n; n = n->next) {
            if (n->data == v) return ToPos(n);
        }
        return nullptr;
    }
    POSITION FindIndex(INT_PTR index) const {
        if (index < 0 || index >= m_count) return nullptr;
        Node* n = m_head;
        while (index-- > 0) n = n->next;
        return ToPos(n);
    }

private:
    static POSITION ToPos(Node* n) { return reinterpret_cast<POSITION>(n); }
    static Node* FromPos(POSITION p) { return reinterpret_cast<Node*>(p); }
    static Node* Checked(Node* n) {
        if (!n) AfxThrowNotSupportedException();
        return n;
    }
    void Unlink(Node* n) {
        if (n->prev) {
            n->prev->next = n->next;
        } else {
            m_head = n->next;
        }
        if (n->next) {
            n->next->prev = n->prev;
        } else {
            m_tail = n->prev;
        }
        --m_count;
        delete n;
    }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    INT_PTR m_count = 0;
};

class AFX_CORE_API CPtrList : public CList<void*, void*> {
    DECLARE_DYNAMIC(CPtrList)
public:
    CPtrList() = default;
    explicit CPtrList(INT_PTR blockSize) : CList(blockSize) {}
};
class AFX_CORE_API CObList : public CList<CObject*, CObject*> {
    DECLARE_DYNAMIC(CObList)
public:
    CObList() = default;
    explicit CObList(INT_PTR blockSize) : CList(blockSize) {}
};
class AFX_CORE_API CStringList : public CList<CString, const CString&> {
    DECLARE_DYNAMIC(CStringList)
public:
    CStringList() = default;
    explicit CStringList(INT_PTR blockSize) : CList(blockSize) {}
};

// ---------------------------------------------------------------------------
// Maps

template <class ARG_KEY>
inline UINT HashKey(ARG_KEY key) {
    return static_cast<UINT>(static_cast<std::uintptr_t>(key) >> 4) ^ static_cast<UINT>(static_cast<std::uintptr_t>(key));
}
template <>
inline UINT HashKey<const void*>(const void* key) {
    auto v = reinterpret_cast<std::uintptr_t>(key);
    return static_cast<UINT>((v >> 4) ^ (v >> 32));
}
template <>
inline UINT HashKey<void*>(void* key) { return HashKey<const void*>(key); }
template <>
inline UINT HashKey<LPCTSTR>(LPCTSTR key) {
    UINT h = 0;
    for (const char* p = key ? key : ""; *p; ++p) h = (h << 5) + h + static_cast<BYTE>(*p);
    return h;
}
template <>
inline UINT HashKey<const CString&>(const CString& key) { return HashKey<LPCTSTR>(key); }
template <>
inline UINT HashKey<CString>(CString key) { return HashKey<LPCTSTR>(key); }

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject {
    struct Assoc {
        Assoc* nextInBucket;
        Assoc* next;  // order of first insertion
        Assoc* prev;
        UINT hash;
        KEY key;
        VALUE value;
    };

public:
    CMap() { m_buckets.assign(17, nullptr); }
    explicit CMap(INT_PTR blockSize) : CMap() { (void)blockSize; }
    CMap(const CMap&) = delete;
    CMap& operator=(const CMap&) = delete;
    ~CMap() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_count; }
    INT_PTR GetSize() const { return m_count; }
    BOOL IsEmpty() const { return m_count == 0; }

    BOOL Lookup(ARG_KEY key, VALUE& value) const {
        const Assoc* a = Find(key);
        if (!a) return FALSE;
        value = a->value;
        return TRUE;
    }
    // The value for `key`, added (value-initialised) when missing.
    VALUE& operator[](ARG_KEY key) {
        if (Assoc* a = Find(key)) return a->value;
        return Add(key)->value;
    }
    void SetAt(ARG_KEY key, ARG_VALUE value) { (*this)[key] = value; }
    BOOL RemoveKey(ARG_KEY key) {
        UINT h = HashKey<ARG_KEY>(key);
        Assoc** link = &m_buckets[h % m_buckets.size()];
        for (Assoc* a = *link; a; link = &a->nextInBucket, a = *link) {
            if (a->hash == h && a->key == key) {
                *link = a->nextInBucket;
                if (a->prev) {
                    a->prev->next = a->next;
                } else {
                    m_first = a->next;
                }
                if (a->next) {
                    a->next->prev = a->prev;
                } else {
                    m_last = a->prev;
                }
                delete a;
                --m_count;
                return TRUE;
            }
        }
        return FALSE;
    }
    void RemoveAll() {
        for (Assoc* a = m_first; a;) {
            Assoc* next = a->next;
            delete a;
            a = next;
        }
        m_first = m_last = nullptr;
        m_count = 0;
        std::fill(m_buckets.begin(), m_buckets.end(), nullptr);
    }
    void InitHashTable(UINT size, BOOL allocNow = TRUE) {
        (void)allocNow;
        if (size == 0) size = 17;
        m_buckets.assign(size, nullptr);
        for (Assoc* a = m_first; a; a = a->next) {
            Assoc*& head = m_buckets[a->hash % size];
            a->nextInBucket = head;
            head = a;
        }
    }
    UINT GetHashTableSize() const { return static_cast<UINT>(m_buckets.size()); }

    POSITION GetStartPosition() const { return reinterpret_cast<POSITION>(m_first); }
    void GetNextAssoc(POSITION& pos, KEY& key, VALUE& value) const {
        Assoc* a = reinterpret_cast<Assoc*>(pos);
        if (!a) AfxThrowNotSupportedException();
        key = a->key;
        value = a->value;
        pos = reinterpret_cast<POSITION>(a->next);
    }

private:
    Assoc* Find(ARG_KEY key) const {
        UINT h = HashKey<ARG_KEY>(key);
        for (Assoc* a = m_buckets[h % m_buckets.size()]; a; a = a->nextInBucket) {
            if (a->hash == h && a->key == key) return a;
        }
        return nullptr;
    }
    Assoc* Add(ARG_KEY key) {
        if (static_cast<size_t>(m_count) >= m_buckets.size() * 2) {
            InitHashTable(static_cast<UINT>(m_buckets.size() * 4 + 1));
        }
        UINT h = HashKey<ARG_KEY>(key);
        Assoc*& head = m_buckets[h % m_buckets.size()];
        Assoc* a = new Assoc{head, nullptr, m_last, h, KEY(key), VALUE()};
        head = a;
        if (m_last) {
            m_last->next = a;
        } else {
            m_first = a;
        }
        m_last = a;
        ++m_count;
        return a;
    }

    std::vector<Assoc*> m_buckets;
    Assoc* m_first = nullptr;
    Assoc* m_last = nullptr;
    INT_PTR m_count = 0;
};

#define AFX_DECLARE_MAP(name, KEY, ARG_KEY, VALUE, ARG_VALUE)  \
    class AFX_CORE_API name : public CMap<KEY, ARG_KEY, VALUE, ARG_VALUE> { \
        DECLARE_DYNAMIC(name)                                   \
    public:                                                     \
        name() = default;                                       \
        explicit name(INT_PTR blockSize) : CMap(blockSize) {}   \
    };
AFX_DECLARE_MAP(CMapStringToPtr, CString, LPCTSTR, void*, void*)
AFX_DECLARE_MAP(CMapStringToOb, CString, LPCTSTR, CObject*, CObject*)
AFX_DECLARE_MAP(CMapStringToString, CString, LPCTSTR, CString, LPCTSTR)
AFX_DECLARE_MAP(CMapWordToPtr, WORD, WORD, void*, void*)
AFX_DECLARE_MAP(CMapWordToOb, WORD, WORD, CObject*, CObject*)
AFX_DECLARE_MAP(CMapPtrToPtr, void*, void*, void*, void*)
AFX_DECLARE_MAP(CMapPtrToWord, void*, void*, WORD, WORD)
#undef AFX_DECLARE_MAP
