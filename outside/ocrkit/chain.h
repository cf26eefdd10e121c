// The singly linked records the outside libraries hand their callers (blocks,
// lines, words, characters, each with a `next`): building them without
// throwing, freeing them whole, and their 16-bit coordinates.
#pragma once

#include <algorithm>
#include <new>

#include "outside/ocrkit/plane.h"

namespace ocrkit {

// A new zeroed record linked at *tail, tail then pointing at its `next`;
// null (and nothing linked) when there is no memory.
template <typename T>
T* appendNew(T**& tail) {
    T* item = new (std::nothrow) T{};
    if (!item) return nullptr;
    *tail = item;
    tail = &item->next;
    return item;
}

// Deletes every record of a chain, after freeMembers has freed what each owns.
template <typename T, typename FreeMembers>
void freeChain(T* head, FreeMembers freeMembers) {
    while (head) {
        T* next = head->next;
        freeMembers(head);
        delete head;
        head = next;
    }
}

template <typename T>
void freeChain(T* head) {
    freeChain(head, [](T*) {});
}

// A coordinate as the records' 16-bit fields hold it.
inline short clampShort(int v) { return static_cast<short>(std::clamp(v, -32768, 32767)); }

// A box into a record's left, top, right and bottom.
template <typename Record>
void setBox(Record& r, const Box& b) {
    r.left = clampShort(b.left);
    r.top = clampShort(b.top);
    r.right = clampShort(b.right);
    r.bottom = clampShort(b.bottom);
}

// The same for a character, which covers at least one pixel even where the
// engine's box for it is empty.
template <typename Record>
void setCharBox(Record& r, const Box& b) {
    setBox(r, Box{b.left, b.top, std::max(b.right, b.left), std::max(b.bottom, b.top)});
}

}  // namespace ocrkit
