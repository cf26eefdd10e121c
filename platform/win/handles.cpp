#include "platform/win/handles.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "platform/win/errors.h"

namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<suite::KernelObject>> objects;
    std::uintptr_t next = 0x1000;
};

HandleTable& table() {
    static HandleTable* t = new HandleTable;  // never destroyed: handles may be closed during exit
    return *t;
}

}  // namespace

namespace suite {

KernelObject::~KernelObject() = default;

HANDLE RegisterHandle(std::shared_ptr<KernelObject> object) {
    if (!object) return nullptr;
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    std::uintptr_t value = t.next;
    t.next += 4;
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

bool UnregisterHandle(HANDLE handle) {
    std::shared_ptr<KernelObject> doomed;  // destroyed outside the lock
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.objects.end()) return false;
    doomed = std::move(it->second);
    t.objects.erase(it);
    return true;
}

std::size_t OpenHandleCount() {
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    return t.objects.size();
}

}  // namespace suite

BOOL CloseHandle(HANDLE handle) {
    if (!suite::UnregisterHandle(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
