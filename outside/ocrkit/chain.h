// The singly linked records the outside libraries hand their callers (blocks,
// lines, words, characters, each with a `next`): building them without
// throwing, freeing them whole, and their 16-bit coordinates.
#pragma once

#include <algorithm>
#include <new>

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

}  // namespace ocrkit
