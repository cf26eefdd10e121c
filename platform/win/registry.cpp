// The Win32 registry calls over the stores of registry_store.h: handles,
// sub-key paths, access rights, buffer rules and the per-handle caches that
// keep enumeration by index at constant cost per call.
#include "platform/win/registry.h"

#include "platform/win/folders.h"
#include "platform/win/path.h"
#include "platform/win/registry_store.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

using suite::reg::ChildKey;
using suite::reg::Hive;
using suite::reg::Stamp;
using suite::reg::Store;
using suite::reg::TreeCopy;
using suite::reg::ValueInfo;

namespace {

constexpr REGSAM kMaximumAllowed = 0x02000000u;
constexpr REGSAM kGenericAll = 0x10000000u;
constexpr REGSAM kGenericWrite = 0x40000000u;
constexpr REGSAM kGenericRead = 0x80000000u;
constexpr size_t kMaxKeyName = 255;
constexpr size_t kMaxValueName = 16383;

// An open key. Its caches are only touched inside the store's Run, which
// serialises them with every other call on the store.
struct KeyHandle {
    std::shared_ptr<Store> store;
    std::int64_t id = 0;
    REGSAM access = KEY_ALL_ACCESS;
    bool root = false;

    bool verified = false;  // the key was seen to exist at `verifiedStamp`
    Stamp verifiedStamp;
    bool childrenValid = false;
    Stamp childrenStamp;
    std::vector<ChildKey> children;
    bool valuesValid = false;
    Stamp valuesStamp;
    std::vector<ValueInfo> values;
};
using HandlePtr = std::shared_ptr<KeyHandle>;

struct State {
    std::mutex mutex;
    std::unordered_map<std::string, std::shared_ptr<Store>> stores;  // by file path
    std::map<std::pair<const Store*, int>, HandlePtr> roots;
    std::unordered_map<std::uintptr_t, HandlePtr> handles;
    std::uintptr_t next = 0x1000;
};

// Never destroyed: handles and stores may be used until the very end of the process.
State& state() {
    static State* s = new State();
    return *s;
}

// At the normal end of the process every store is checkpointed and closed, so
// its database file holds everything without its WAL. A store used after this
// opens again (and stays open). Forked children that exit without exec leave
// their parent's stores alone.
pid_t g_storesOwner = 0;

void CloseStoresAtExit() {
    if (::getpid() != g_storesOwner) return;
    State& s = state();
    std::unique_lock<std::mutex> lock(s.mutex, std::defer_lock);
    // Another thread may still be inside a call as the process ends; its
    // store is left open rather than waited for without end.
    for (int i = 0; i < 400 && !lock.try_lock(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!lock.owns_lock()) return;
    for (auto& entry : s.stores) entry.second->Close(std::chrono::milliseconds(2000));
}

void CloseStoresAtExitOnce() {
    static const bool registered = [] {
        g_storesOwner = ::getpid();
        return std::atexit(CloseStoresAtExit) == 0;
    }();
    (void)registered;
}

std::string EnvOr(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? std::string(v) : std::string();
}

std::string StorePath(Hive hive) {
    std::string path = EnvOr(hive == Hive::LocalMachine ? "SUITE_REGISTRY_MACHINE" : "SUITE_REGISTRY_USER");
    if (!path.empty()) return path;
    std::string dir = EnvOr("SUITE_REGISTRY_DIR");
    if (dir.empty()) dir = suite::JoinNative(suite::NativeFolder(CSIDL_APPDATA), "suite/registry");
    return suite::JoinNative(dir, hive == Hive::LocalMachine ? "machine.db" : "user.db");
}

bool PredefinedHive(HKEY key, Hive& hive) {
    if (key == HKEY_CURRENT_USER) {
        hive = Hive::CurrentUser;
    } else if (key == HKEY_CLASSES_ROOT) {
        hive = Hive::ClassesRoot;
    } else if (key == HKEY_LOCAL_MACHINE) {
        hive = Hive::LocalMachine;
    } else {
        return false;
    }
    return true;
}

// The handle behind `key`; the predefined keys open their store on first use
// (again when the environment names another file).
HandlePtr Resolve(HKEY key, LONG& error) {
    State& s = state();
    Hive hive;
    if (PredefinedHive(key, hive)) {
        std::string path = StorePath(hive);
        std::lock_guard<std::mutex> lock(s.mutex);
        auto& store = s.stores[path];
        if (!store) {
            CloseStoresAtExitOnce();
            size_t slash = path.rfind('/');
            if (slash != std::string::npos && slash > 0) suite::MakeNativeFolders(path.substr(0, slash));
            store = Store::Open(path, error);
            if (!store) {
                s.stores.erase(path);
                return nullptr;
            }
        }
        auto& root = s.roots[{store.get(), static_cast<int>(hive)}];
        if (!root) {
            root = std::make_shared<KeyHandle>();
            root->store = store;
            root->id = store->RootId(hive);
            root->root = true;
        }
        return root;
    }
    std::lock_guard<std::mutex> lock(s.mutex);
    auto found = s.handles.find(reinterpret_cast<std::uintptr_t>(key));
    if (found == s.handles.end()) {
        error = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    return found->second;
}

// A handle to key `id`, which was seen to exist at `seen`.
HKEY NewHandle(const HandlePtr& parent, std::int64_t id, REGSAM access, const Stamp& seen) {
    auto h = std::make_shared<KeyHandle>();
    h->store = parent->store;
    h->id = id;
    h->verified = true;
    h->verifiedStamp = seen;
    if (access & (kMaximumAllowed | kGenericAll)) access |= KEY_ALL_ACCESS;
    if (access & kGenericRead) access |= KEY_READ;
    if (access & kGenericWrite) access |= KEY_WRITE;
    h->access = access;
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    std::uintptr_t value = s.next;
    s.next += 8;
    s.handles.emplace(value, std::move(h));
    return reinterpret_cast<HKEY>(value);
}

bool Allows(const KeyHandle& h, REGSAM needed) { return (h.access & needed) == needed; }

// ERROR_KEY_DELETED when the handle's key is gone. Inside Run only.
LONG Alive(KeyHandle& h) {
    if (h.root) return ERROR_SUCCESS;
    const Stamp& now = h.store->CurrentStamp();
    if (h.verified && h.verifiedStamp == now) return ERROR_SUCCESS;
    bool exists = false;
    LONG error = h.store->KeyExists(h.id, exists);
    if (error != ERROR_SUCCESS) return error;
    if (!exists) return ERROR_KEY_DELETED;
    h.verified = true;
    h.verifiedStamp = now;
    return ERROR_SUCCESS;
}

// Reloads a handle's cached listing when the store changed since it was read.
template <typename List, typename Load>
LONG Cached(KeyHandle& h, bool& valid, Stamp& stamp, List& list, Load load) {
    const Stamp& now = h.store->CurrentStamp();
    if (valid && stamp == now) return ERROR_SUCCESS;
    valid = false;
    LONG error = (h.store.get()->*load)(h.id, list);
    if (error != ERROR_SUCCESS) return error;
    valid = true;
    stamp = now;
    return ERROR_SUCCESS;
}

LONG ChildList(KeyHandle& h) { return Cached(h, h.childrenValid, h.childrenStamp, h.children, &Store::Children); }

LONG ValueList(KeyHandle& h) { return Cached(h, h.valuesValid, h.valuesStamp, h.values, &Store::Values); }

std::string_view View(LPCSTR text) { return text != nullptr ? std::string_view(text) : std::string_view(); }

// Follows `path` down from `from`. With `create` missing keys are made and
// `created` tells whether the last one was new; without, a missing key gives
// ERROR_FILE_NOT_FOUND.
LONG Walk(Store& store, std::int64_t from, std::string_view path, bool create, std::int64_t& id, bool* created) {
    id = from;
    if (created != nullptr) *created = false;
    for (std::string_view part : suite::reg::SplitKeyPath(path)) {
        if (part.size() > kMaxKeyName) return create ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND;
        std::int64_t child = 0;
        LONG error = store.FindChild(id, part, child);
        if (error != ERROR_SUCCESS) return error;
        if (child == 0) {
            if (!create) return ERROR_FILE_NOT_FOUND;
            error = store.CreateChild(id, part, child);
            if (error != ERROR_SUCCESS) return error;
            if (created != nullptr) *created = true;
        } else if (created != nullptr) {
            *created = false;
        }
        id = child;
    }
    return ERROR_SUCCESS;
}

// Runs `body` on the live key behind `key` after the handle and its rights
// are checked: the common frame of the calls below.
template <typename Body>
LONG OnKey(HKEY key, REGSAM needed, bool write, Body body) {
    LONG error = ERROR_SUCCESS;
    HandlePtr h = Resolve(key, error);
    if (!h) return error;
    if (!Allows(*h, needed)) return ERROR_ACCESS_DENIED;
    return h->store->Run(write, [&]() -> LONG {
        LONG e = Alive(*h);
        return e != ERROR_SUCCESS ? e : body(*h);
    });
}

// Copies a name into a caller's buffer of `*chars` characters (NUL included);
// on success `*chars` is the length without the NUL.
LONG CopyName(const std::string& name, LPSTR buffer, LPDWORD chars) {
    if (buffer == nullptr || chars == nullptr) return ERROR_INVALID_PARAMETER;
    if (name.size() + 1 > *chars) return ERROR_MORE_DATA;
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    *chars = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Copies value data by the query rules: no buffer reports the size; a small
// buffer gives ERROR_MORE_DATA and the needed size.
LONG CopyData(const std::string& data, LPBYTE buffer, LPDWORD size) {
    if (size == nullptr) return buffer != nullptr ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    DWORD needed = static_cast<DWORD>(data.size());
    if (buffer != nullptr) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        if (needed != 0) std::memcpy(buffer, data.data(), needed);
    }
    *size = needed;
    return ERROR_SUCCESS;
}

void SetFileTime(FILETIME* out, std::int64_t value) {
    if (out == nullptr) return;
    out->dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(value) & 0xFFFFFFFFu);
    out->dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(value) >> 32);
}

LONG OpenOrCreate(HKEY key, LPCSTR subKey, REGSAM access, bool create, PHKEY result, LPDWORD disposition) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    LONG error = ERROR_SUCCESS;
    HandlePtr h = Resolve(key, error);
    if (!h) return error;
    std::string_view path = View(subKey);
    std::int64_t id = 0;
    Stamp seen;
    // Most creates open a key that exists; find it without taking the write lock.
    error = h->store->Run(false, [&]() -> LONG {
        LONG e = Alive(*h);
        seen = h->store->CurrentStamp();
        return e != ERROR_SUCCESS ? e : Walk(*h->store, h->id, path, false, id, nullptr);
    });
    bool created = false;
    if (error == ERROR_FILE_NOT_FOUND && create) {
        if (!Allows(*h, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
        error = h->store->Run(true, [&]() -> LONG {
            LONG e = Alive(*h);
            return e != ERROR_SUCCESS ? e : Walk(*h->store, h->id, path, true, id, &created);
        });
    }
    if (error != ERROR_SUCCESS) return error;
    if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(h, id, access, seen);
    return ERROR_SUCCESS;
}

// Stored strings always end with their NUL (a multi-string with two).
std::string StoredForm(DWORD type, const BYTE* data, DWORD size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        if (bytes.empty() || bytes.back() != '\0') bytes.push_back('\0');
    } else if (type == REG_MULTI_SZ) {
        if (bytes.empty() || bytes.back() != '\0') bytes.push_back('\0');
        if (bytes.size() >= 2 && bytes[bytes.size() - 2] != '\0') bytes.push_back('\0');
    }
    return bytes;
}

// Deletes the key at `subKey` of `key`: with `tree` everything under it,
// without it only a key that has no sub-keys.
LONG DeleteKeyAt(HKEY key, LPCSTR subKey, bool tree) {
    return OnKey(key, 0, true, [&](KeyHandle& h) -> LONG {
        std::int64_t id = 0;
        LONG e = Walk(*h.store, h.id, View(subKey), false, id, nullptr);
        if (e != ERROR_SUCCESS) return e;
        if (id == h.id && h.root) return ERROR_ACCESS_DENIED;
        if (!tree) {
            bool has = false;
            e = h.store->HasChildren(id, has);
            if (e != ERROR_SUCCESS) return e;
            if (has) return ERROR_ACCESS_DENIED;
        }
        return h.store->DeleteTree(id, true);
    });
}

}  // namespace

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access, void*, PHKEY result,
                     LPDWORD disposition) {
    return OpenOrCreate(key, subKey, access, true, result, disposition);
}

LONG RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
    return OpenOrCreate(key, subKey, KEY_ALL_ACCESS, true, result, nullptr);
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
    return OpenOrCreate(key, subKey, access, false, result, nullptr);
}

LONG RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
    return OpenOrCreate(key, subKey, KEY_ALL_ACCESS, false, result, nullptr);
}

LONG RegCloseKey(HKEY key) {
    Hive hive;
    if (PredefinedHive(key, hive)) return ERROR_SUCCESS;
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.handles.erase(reinterpret_cast<std::uintptr_t>(key)) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegFlushKey(HKEY key) {
    // Every call is already on disk when it returns; only the handle is checked.
    return OnKey(key, 0, false, [](KeyHandle&) -> LONG { return ERROR_SUCCESS; });
}

LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
    if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
    DWORD found = REG_NONE;
    std::string bytes;
    LONG error = OnKey(key, KEY_QUERY_VALUE, false,
                       [&](KeyHandle& h) { return h.store->GetValue(h.id, View(name), found, bytes); });
    if (error != ERROR_SUCCESS) return error;
    if (type != nullptr) *type = found;
    return CopyData(bytes, data, size);
}

LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
    if ((type == REG_DWORD && size != 4) || (type == REG_QWORD && size != 8)) return ERROR_INVALID_PARAMETER;
    std::string_view valueName = View(name);
    if (valueName.size() > kMaxValueName) return ERROR_INVALID_PARAMETER;
    std::string bytes = StoredForm(type, data, size);
    return OnKey(key, KEY_SET_VALUE, true,
                 [&](KeyHandle& h) { return h.store->SetValue(h.id, valueName, type, bytes); });
}

LONG RegQueryValueA(HKEY key, LPCSTR subKey, LPSTR data, LONG* size) {
    if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
    HKEY sub = key;
    bool opened = subKey != nullptr && *subKey != '\0';
    if (opened) {
        LONG error = RegOpenKeyExA(key, subKey, 0, KEY_QUERY_VALUE, &sub);
        if (error != ERROR_SUCCESS) return error;
    }
    DWORD type = REG_NONE;
    DWORD bytes = size != nullptr && *size > 0 ? static_cast<DWORD>(*size) : 0;
    LONG error = RegQueryValueExA(sub, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(data), &bytes);
    if (opened) RegCloseKey(sub);
    if (error == ERROR_FILE_NOT_FOUND) {
        // A key without a default value reads as the empty string.
        if (size != nullptr) {
            if (data != nullptr && *size < 1) {
                *size = 1;
                return ERROR_MORE_DATA;
            }
            if (data != nullptr) data[0] = '\0';
            *size = 1;
        }
        return ERROR_SUCCESS;
    }
    if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA) return error;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
    if (size != nullptr) *size = static_cast<LONG>(bytes);
    return error;
}

LONG RegSetValueA(HKEY key, LPCSTR subKey, DWORD type, LPCSTR data, DWORD) {
    if (type != REG_SZ || data == nullptr) return ERROR_INVALID_PARAMETER;
    HKEY sub = key;
    bool opened = subKey != nullptr && *subKey != '\0';
    if (opened) {
        LONG error = RegCreateKeyExA(key, subKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &sub, nullptr);
        if (error != ERROR_SUCCESS) return error;
    }
    LONG error = RegSetValueExA(sub, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                                static_cast<DWORD>(std::strlen(data) + 1));
    if (opened) RegCloseKey(sub);
    return error;
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD, LPSTR keyClass,
                   LPDWORD classChars, FILETIME* lastWrite) {
    if (name == nullptr || nameChars == nullptr) return ERROR_INVALID_PARAMETER;
    return OnKey(key, KEY_ENUMERATE_SUB_KEYS, false, [&](KeyHandle& h) -> LONG {
        LONG e = ChildList(h);
        if (e != ERROR_SUCCESS) return e;
        if (index >= h.children.size()) return ERROR_NO_MORE_ITEMS;
        const ChildKey& child = h.children[index];
        e = CopyName(child.name, name, nameChars);
        if (e != ERROR_SUCCESS) return e;
        if (keyClass != nullptr && classChars != nullptr && *classChars > 0) keyClass[0] = '\0';
        if (classChars != nullptr) *classChars = 0;
        SetFileTime(lastWrite, child.written);
        return ERROR_SUCCESS;
    });
}

LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameChars) {
    return RegEnumKeyExA(key, index, name, &nameChars, nullptr, nullptr, nullptr, nullptr);
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD, LPDWORD type, LPBYTE data,
                   LPDWORD size) {
    if (name == nullptr || nameChars == nullptr) return ERROR_INVALID_PARAMETER;
    if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
    return OnKey(key, KEY_QUERY_VALUE, false, [&](KeyHandle& h) -> LONG {
        LONG e = ValueList(h);
        if (e != ERROR_SUCCESS) return e;
        if (index >= h.values.size()) return ERROR_NO_MORE_ITEMS;
        const ValueInfo& value = h.values[index];
        e = CopyName(value.name, name, nameChars);
        if (e != ERROR_SUCCESS) return e;
        if (type != nullptr) *type = value.type;
        if (size == nullptr) return ERROR_SUCCESS;
        if (data == nullptr || *size < value.size) {
            bool small = data != nullptr;
            *size = value.size;
            return small ? ERROR_MORE_DATA : ERROR_SUCCESS;
        }
        std::string bytes;
        e = h.store->GetValueById(value.id, bytes);
        if (e != ERROR_SUCCESS) return e;
        return CopyData(bytes, data, size);
    });
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classChars, LPDWORD, LPDWORD subKeys, LPDWORD maxSubKeyLen,
                      LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen, LPDWORD maxValueLen,
                      LPDWORD securityDescriptor, FILETIME* lastWrite) {
    return OnKey(key, KEY_QUERY_VALUE, false, [&](KeyHandle& h) -> LONG {
        LONG e = ChildList(h);
        if (e == ERROR_SUCCESS) e = ValueList(h);
        std::int64_t written = 0;
        if (e == ERROR_SUCCESS) e = h.store->Written(h.id, written);
        if (e != ERROR_SUCCESS) return e;
        DWORD longestKey = 0, longestName = 0, largest = 0;
        for (auto& c : h.children) longestKey = std::max(longestKey, static_cast<DWORD>(c.name.size()));
        for (auto& v : h.values) {
            longestName = std::max(longestName, static_cast<DWORD>(v.name.size()));
            largest = std::max(largest, v.size);
        }
        if (keyClass != nullptr && classChars != nullptr && *classChars > 0) keyClass[0] = '\0';
        if (classChars != nullptr) *classChars = 0;
        if (subKeys != nullptr) *subKeys = static_cast<DWORD>(h.children.size());
        if (maxSubKeyLen != nullptr) *maxSubKeyLen = longestKey;
        if (maxClassLen != nullptr) *maxClassLen = 0;
        if (values != nullptr) *values = static_cast<DWORD>(h.values.size());
        if (maxValueNameLen != nullptr) *maxValueNameLen = longestName;
        if (maxValueLen != nullptr) *maxValueLen = largest;
        if (securityDescriptor != nullptr) *securityDescriptor = 0;
        SetFileTime(lastWrite, written);
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValueA(HKEY key, LPCSTR name) {
    return OnKey(key, KEY_SET_VALUE, true, [&](KeyHandle& h) { return h.store->DeleteValue(h.id, View(name)); });
}

LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    if (subKey == nullptr) return ERROR_INVALID_PARAMETER;
    return DeleteKeyAt(key, subKey, false);
}

LONG RegDeleteTreeA(HKEY key, LPCSTR subKey) {
    if (subKey != nullptr && *subKey != '\0') return DeleteKeyAt(key, subKey, true);
    return OnKey(key, 0, true, [](KeyHandle& h) { return h.store->DeleteTree(h.id, false); });
}

DWORD SHDeleteKeyA(HKEY key, LPCSTR subKey) { return static_cast<DWORD>(DeleteKeyAt(key, subKey, true)); }

LONG RegCopyTreeA(HKEY source, LPCSTR subKey, HKEY destination) {
    LONG error = ERROR_SUCCESS;
    HandlePtr from = Resolve(source, error);
    if (!from) return error;
    HandlePtr to = Resolve(destination, error);
    if (!to) return error;
    if (!Allows(*to, KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    TreeCopy tree;
    auto snapshot = [&]() -> LONG {
        LONG e = Alive(*from);
        std::int64_t id = 0;
        if (e == ERROR_SUCCESS) e = Walk(*from->store, from->id, View(subKey), false, id, nullptr);
        return e != ERROR_SUCCESS ? e : from->store->Snapshot(id, tree);
    };
    auto apply = [&]() -> LONG {
        LONG e = Alive(*to);
        return e != ERROR_SUCCESS ? e : to->store->Apply(to->id, tree);
    };
    // Within one store the copy is one step; the snapshot is taken first, so
    // copying a key into its own subtree terminates.
    if (from->store == to->store) return from->store->Run(true, [&]() -> LONG {
            LONG e = snapshot();
            return e != ERROR_SUCCESS ? e : apply();
        });
    // The write lock keeps the snapshot consistent against other processes
    // (a read-only store has none, and no writer either).
    error = from->store->Run(!from->store->ReadOnly(), snapshot);
    return error != ERROR_SUCCESS ? error : to->store->Run(true, apply);
}

LONG SuiteRegBeginTransaction(HKEY key) {
    LONG error = ERROR_SUCCESS;
    HandlePtr h = Resolve(key, error);
    return h ? h->store->Begin() : error;
}

LONG SuiteRegCommitTransaction(HKEY key) {
    LONG error = ERROR_SUCCESS;
    HandlePtr h = Resolve(key, error);
    return h ? h->store->Commit() : error;
}

LONG SuiteRegRollbackTransaction(HKEY key) {
    LONG error = ERROR_SUCCESS;
    HandlePtr h = Resolve(key, error);
    return h ? h->store->Rollback() : error;
}

LONG SuiteRegReadTree(HKEY key, TreeCopy& tree) {
    tree = TreeCopy{};
    return OnKey(key, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, false,
                 [&](KeyHandle& h) { return h.store->Snapshot(h.id, tree); });
}
