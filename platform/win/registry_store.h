// The registry's database side: one SQLite file per store (the user's, which
// holds HKEY_CURRENT_USER and HKEY_CLASSES_ROOT as two separate trees, and the
// machine's, which holds HKEY_LOCAL_MACHINE), its schema, its locking and its
// transactions. registry.cpp builds the Win32 calls on top of it.
//
// Schema: table `keys` (id, parent, name, fold, written) and table `vals`
// (id, key, name, fold, type, data). Ids come from AUTOINCREMENT, so they grow
// with creation and are never reused: ordering children by id is creation
// order, and a handle whose key id has vanished names a deleted key (even when
// a key of the same name was made again). `fold` is the name with ASCII letters
// upper-cased outside double-byte characters; the unique indexes on
// (parent, fold) and (key, fold) give case-insensitive, case-preserving names.
//
// Durability: WAL journal with synchronous=FULL, so every commit is on disk
// (the WAL is synced) before the call returns; NORMAL would only survive a
// crash of the process, not of the machine. Calls outside a transaction pay one
// WAL sync each; transactions pay one for all their changes. Close() moves the
// WAL into the database file, so a store closed at the end of a process is
// whole in its one file.
//
// Read-only media: where the file or its folder cannot be written (a
// read-only mount, a folder without write permission) the store opens for
// reading only; a missing store there reads as an empty tree. Writes and
// transactions then fail with ERROR_ACCESS_DENIED.
#pragma once

#include "platform/win/ansi_names.h"
#include "platform/win/registry_tree.h"
#include "platform/win/types.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace suite::reg {

// The trees a store file can hold.
enum class Hive { CurrentUser, ClassesRoot, LocalMachine };

using suite::FoldName;

// The parts of a sub-key path separated by '\' (never a trail byte that looks
// like one). Empty parts are dropped.
std::vector<std::string_view> SplitKeyPath(std::string_view path);

// Changes seen by this process: this store's own writes, and the database's
// data version, which moves when another connection commits.
struct Stamp {
    std::int64_t dataVersion = -1;
    std::uint64_t local = 0;
    bool operator==(const Stamp&) const = default;
};

struct ChildKey {
    std::int64_t id;
    std::string name;
    std::int64_t written;  // FILETIME units
};

struct ValueInfo {
    std::int64_t id;
    std::string name;
    DWORD type;
    DWORD size;
};

class Store : public std::enable_shared_from_this<Store> {
public:
    // Opens (creating when needed) the database at `path`. Returns nullptr and
    // sets `error` on failure.
    static std::shared_ptr<Store> Open(const std::string& path, LONG& error);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    const std::string& Path() const { return path_; }
    bool ReadOnly() const { return readOnly_; }

    // Rolls back a transaction still open, checkpoints the WAL into the
    // database file and closes the file. The next call opens it again. Waits
    // at most `wait` for a call in progress on another thread; false when the
    // store was left open because of one.
    bool Close(std::chrono::milliseconds wait);
    std::int64_t RootId(Hive hive) const { return roots_[static_cast<int>(hive)]; }

    // Runs `body` with the store to itself: other threads' calls wait while
    // this thread holds a transaction (bounded; ERROR_TIMEOUT), and a write
    // outside a transaction gets one of its own, committed when `body` returns
    // ERROR_SUCCESS and rolled back otherwise.
    template <typename Body>
    LONG Run(bool write, Body&& body) {
        std::unique_lock<std::mutex> lock(mutex_);
        LONG error = Enter(lock, write);
        if (error != 0) return error;
        error = body();
        return Leave(write, error);
    }

    // Transactions of the calling thread (see registry.h).
    LONG Begin();
    LONG Commit();
    LONG Rollback();
    // Rolls back a transaction the calling thread still holds (thread exit).
    void Abandon();

    // --- Operations; call only inside Run. ---
    const Stamp& CurrentStamp() const { return stamp_; }
    // Marks a change, invalidating caches keyed by the stamp.
    void Changed() { ++stamp_.local; }

    LONG KeyExists(std::int64_t id, bool& exists);
    LONG FindChild(std::int64_t parent, std::string_view name, std::int64_t& id);  // id 0 when absent
    LONG CreateChild(std::int64_t parent, std::string_view name, std::int64_t& id);
    LONG Children(std::int64_t parent, std::vector<ChildKey>& out);
    LONG Values(std::int64_t key, std::vector<ValueInfo>& out);
    LONG Written(std::int64_t key, std::int64_t& written);
    // ERROR_FILE_NOT_FOUND when the value does not exist.
    LONG GetValue(std::int64_t key, std::string_view name, DWORD& type, std::string& data);
    LONG GetValueById(std::int64_t valueId, std::string& data);
    LONG SetValue(std::int64_t key, std::string_view name, DWORD type, std::string_view data);
    LONG DeleteValue(std::int64_t key, std::string_view name);
    LONG HasChildren(std::int64_t key, bool& has);
    // Deletes everything below `key`, and `key` itself when `self`.
    LONG DeleteTree(std::int64_t key, bool self);
    // Reads the subtree in one read of the key table and one of the values
    // (one a key when the subtree is a small part of the file).
    LONG Snapshot(std::int64_t key, TreeCopy& out);
    // Merges `tree`'s values and sub-keys into `key` (its own name is ignored).
    LONG Apply(std::int64_t key, const TreeCopy& tree);

private:
    Store() = default;
    // Opens the database file (read-only where the medium is) and finds or
    // makes the roots.
    LONG Connect();
    LONG ConnectReadWrite();
    LONG ConnectReadOnly();
    void Disconnect();
    bool FindRoots();
    LONG CreateSchema();
    LONG Enter(std::unique_lock<std::mutex>& lock, bool write);
    LONG Leave(bool write, LONG error);
    LONG Exec(const char* sql);
    // Runs a cached statement that returns no rows.
    LONG StepOnce(const char* sql);
    LONG BeginImmediate();
    LONG RefreshStamp();
    LONG Touch(std::int64_t key);
    sqlite3_stmt* Prepare(const char* sql, LONG& error);

    std::string path_;
    sqlite3* db_ = nullptr;
    bool readOnly_ = false;
    std::chrono::milliseconds waitLimit_{30000};
    std::int64_t roots_[3] = {0, 0, 0};
    std::mutex mutex_;
    std::condition_variable idle_;
    bool inTransaction_ = false;
    std::thread::id owner_;
    Stamp stamp_;
    std::unordered_map<const void*, sqlite3_stmt*> statements_;
};

// Maps an SQLite result code to a Win32 error code.
LONG ErrorFromSqlite(int code);

// Now as FILETIME units (100 ns since 1601-01-01).
std::int64_t FileTimeNow();

}  // namespace suite::reg
