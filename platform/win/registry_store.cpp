#include "platform/win/registry_store.h"

#include "platform/win/errors.h"

#include <sqlite3.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <unordered_map>
#include <utility>

namespace suite::reg {

namespace {

// How long a call waits for another thread's transaction, and for the
// database's write lock held by another process, before it gives up
// (milliseconds; $SUITE_REGISTRY_WAIT_MS when set, read as a store opens).
constexpr long kDefaultWaitMillis = 30000;
// SQLite's own busy wait per attempt; attempts repeat until the wait limit.
constexpr int kBusyMillis = 2000;

std::chrono::milliseconds WaitLimitFromEnvironment() {
    const char* text = std::getenv("SUITE_REGISTRY_WAIT_MS");
    long ms = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
    return std::chrono::milliseconds(ms > 0 ? ms : kDefaultWaitMillis);
}

constexpr const char* kRootNames[3] = {"HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT", "HKEY_LOCAL_MACHINE"};

// Resets a cached statement when the operation that used it ends.
class Statement {
public:
    explicit Statement(sqlite3_stmt* s) : s_(s) {}
    ~Statement() {
        if (s_ != nullptr) {
            sqlite3_reset(s_);
            sqlite3_clear_bindings(s_);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    explicit operator bool() const { return s_ != nullptr; }
    sqlite3_stmt* get() const { return s_; }

    void Bind(int index, std::int64_t v) { sqlite3_bind_int64(s_, index, v); }
    // Zero-length blobs are bound as such, never as NULL.
    void Bind(int index, std::string_view bytes) {
        if (bytes.empty())
            sqlite3_bind_zeroblob(s_, index, 0);
        else
            sqlite3_bind_blob(s_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
    }
    int Step() { return sqlite3_step(s_); }
    std::int64_t Int(int column) const { return sqlite3_column_int64(s_, column); }
    std::string Bytes(int column) const {
        const void* p = sqlite3_column_blob(s_, column);
        int n = sqlite3_column_bytes(s_, column);
        return p == nullptr ? std::string() : std::string(static_cast<const char*>(p), static_cast<size_t>(n));
    }

private:
    sqlite3_stmt* s_;
};

// Step result of a statement that must finish without rows.
LONG Done(int rc) { return rc == SQLITE_DONE || rc == SQLITE_ROW ? ERROR_SUCCESS : ErrorFromSqlite(rc); }

// The stores on which the calling thread holds a transaction; rolled back when
// the thread ends without committing.
struct ThreadTransactions {
    std::vector<std::weak_ptr<Store>> stores;
    ~ThreadTransactions() {
        for (auto& weak : stores)
            if (auto store = weak.lock()) store->Abandon();
    }
};
thread_local ThreadTransactions threadTransactions;

// The file name in a URI: the characters URIs give a meaning are escaped.
std::string UriPath(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            static const char hex[] = "0123456789ABCDEF";
            unsigned char u = static_cast<unsigned char>(c);
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// Whether the store file, or the folder that would hold it and its WAL, is on
// a read-only mount or cannot be written by this process.
bool OnReadOnlyMedium(const std::string& path) {
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) return true;
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    // The nearest folder that exists decides for the folders it would have to hold.
    for (;;) {
        if (::access(folder.c_str(), F_OK) == 0) break;
        size_t up = folder.rfind('/');
        if (up == std::string::npos) return false;
        folder = up == 0 ? "/" : folder.substr(0, up);
    }
    struct statvfs fs;
    if (::statvfs(folder.c_str(), &fs) == 0 && (fs.f_flag & ST_RDONLY) != 0) return true;
    return ::access(folder.c_str(), W_OK) != 0;
}

}  // namespace

std::vector<std::string_view> SplitKeyPath(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = FindAnsiChar(path, '\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

LONG ErrorFromSqlite(int code) {
    switch (code & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_TIMEOUT;
    case SQLITE_NOMEM:
        return ERROR_OUTOFMEMORY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return ERROR_REGISTRY_CORRUPT;
    case SQLITE_CANTOPEN:
        return ERROR_CANTOPEN;
    case SQLITE_IOERR:
        return ERROR_WRITE_FAULT;
    case SQLITE_TOOBIG:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_BADDB;
    }
}

std::int64_t FileTimeNow() {
    using namespace std::chrono;
    auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count() / 100;
    return since1970 + 116444736000000000LL;
}

std::shared_ptr<Store> Store::Open(const std::string& path, LONG& error) {
    std::shared_ptr<Store> store(new Store());
    store->path_ = path;
    store->waitLimit_ = WaitLimitFromEnvironment();
    error = store->Connect();
    return error == ERROR_SUCCESS ? store : nullptr;
}

Store::~Store() { Disconnect(); }

void Store::Disconnect() {
    for (auto& entry : statements_) sqlite3_finalize(entry.second);
    statements_.clear();
    if (db_ != nullptr) sqlite3_close(db_);
    db_ = nullptr;
}

LONG Store::Connect() {
    readOnly_ = false;
    LONG error = ConnectReadWrite();
    if (error == ERROR_SUCCESS) return error;
    Disconnect();
    if ((error == ERROR_CANTOPEN || error == ERROR_ACCESS_DENIED) && OnReadOnlyMedium(path_)) {
        error = ConnectReadOnly();
        if (error != ERROR_SUCCESS) Disconnect();
    }
    return error;
}

LONG Store::ConnectReadWrite() {
    int rc = sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) return rc == SQLITE_CANTOPEN ? ERROR_CANTOPEN : ErrorFromSqlite(rc);
    sqlite3_busy_timeout(db_, static_cast<int>(std::min<long>(kBusyMillis, waitLimit_.count())));
    auto deadline = std::chrono::steady_clock::now() + waitLimit_;
    // Switching to WAL needs a moment alone with the file; another process
    // opening it at the same time makes us wait, never fail at once.
    LONG error;
    for (;;) {
        error = Exec("PRAGMA journal_mode=WAL");
        if (error != ERROR_TIMEOUT || std::chrono::steady_clock::now() > deadline) break;
    }
    if (error == ERROR_SUCCESS) error = Exec("PRAGMA synchronous=FULL");
    if (error != ERROR_SUCCESS) return error;
    // A store made before needs no write lock to open: another process's long
    // transaction does not hold up this one's start.
    if (FindRoots()) {
        // A file that cannot be written (its folder can) opens read-only by itself.
        readOnly_ = sqlite3_db_readonly(db_, "main") == 1;
        return ERROR_SUCCESS;
    }
    return CreateSchema();
}

LONG Store::ConnectReadOnly() {
    readOnly_ = true;
    if (::access(path_.c_str(), F_OK) == 0) {
        // With its WAL beside it the file is read through the WAL; a file alone
        // on the medium cannot get one, and is whole (it was closed cleanly).
        for (const char* options : {"?mode=ro", "?mode=ro&immutable=1"}) {
            std::string uri = "file:" + UriPath(path_) + options;
            int rc = sqlite3_open_v2(uri.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                                     nullptr);
            if (rc == SQLITE_OK) {
                sqlite3_busy_timeout(db_, static_cast<int>(std::min<long>(kBusyMillis, waitLimit_.count())));
                rc = sqlite3_exec(db_, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
            }
            if (rc == SQLITE_OK) {
                if (FindRoots()) return ERROR_SUCCESS;
                break;  // a readable file without the tree reads as an empty store
            }
            Disconnect();
            if ((rc & 0xFF) != SQLITE_CANTOPEN) return ErrorFromSqlite(rc);
        }
        Disconnect();
    }
    // Nothing to read: an empty tree held in memory, refusing writes like the medium.
    int rc = sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) return ErrorFromSqlite(rc);
    LONG error = CreateSchema();
    return error != ERROR_SUCCESS ? error : Exec("PRAGMA query_only=1");
}

bool Store::FindRoots() {
    if (sqlite3_table_column_metadata(db_, nullptr, "keys", "fold", nullptr, nullptr, nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        return false;
    for (int hive = 0; hive < 3; ++hive)
        if (FindChild(0, kRootNames[hive], roots_[hive]) != ERROR_SUCCESS || roots_[hive] == 0) return false;
    return true;
}

LONG Store::CreateSchema() {
    LONG error = BeginImmediate();
    if (error != ERROR_SUCCESS) return error;
    error = Exec(
        "CREATE TABLE IF NOT EXISTS keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,"
        " name BLOB NOT NULL, fold BLOB NOT NULL, written INTEGER NOT NULL);"
        "CREATE UNIQUE INDEX IF NOT EXISTS keys_by_name ON keys(parent, fold);"
        "CREATE INDEX IF NOT EXISTS keys_by_parent ON keys(parent, id);"
        "CREATE TABLE IF NOT EXISTS vals(id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL,"
        " name BLOB NOT NULL, fold BLOB NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL);"
        "CREATE UNIQUE INDEX IF NOT EXISTS vals_by_name ON vals(key, fold);"
        "CREATE INDEX IF NOT EXISTS vals_by_key ON vals(key, id);");
    for (int hive = 0; hive < 3 && error == ERROR_SUCCESS; ++hive) {
        std::int64_t id = 0;
        error = FindChild(0, kRootNames[hive], id);
        if (error == ERROR_SUCCESS && id == 0) error = CreateChild(0, kRootNames[hive], id);
        roots_[hive] = id;
    }
    if (error == ERROR_SUCCESS) error = Exec("COMMIT");
    if (error != ERROR_SUCCESS) Exec("ROLLBACK");
    return error;
}

bool Store::Close(std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
    auto deadline = std::chrono::steady_clock::now() + wait;
    while (!lock.try_lock()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (db_ == nullptr) return true;
    if (sqlite3_get_autocommit(db_) == 0) Exec("ROLLBACK");
    if (inTransaction_) {
        inTransaction_ = false;
        idle_.notify_all();
    }
    for (auto& entry : statements_) sqlite3_finalize(entry.second);
    statements_.clear();
    // Closing the last connection checkpoints by itself; with other processes
    // still on the store the explicit checkpoint makes the file whole anyway.
    if (!readOnly_) sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    Disconnect();
    Changed();
    return true;
}

LONG Store::Exec(const char* sql) { return ErrorFromSqlite(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr)); }

LONG Store::BeginImmediate() {
    auto deadline = std::chrono::steady_clock::now() + waitLimit_;
    for (;;) {
        LONG error = Exec("BEGIN IMMEDIATE");
        if (error != ERROR_TIMEOUT || std::chrono::steady_clock::now() > deadline) return error;
    }
}

sqlite3_stmt* Store::Prepare(const char* sql, LONG& error) {
    auto found = statements_.find(sql);
    if (found != statements_.end()) return found->second;
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr);
    if (rc != SQLITE_OK) {
        error = ErrorFromSqlite(rc);
        return nullptr;
    }
    statements_.emplace(sql, s);
    return s;
}

LONG Store::RefreshStamp() {
    LONG error = ERROR_SUCCESS;
    Statement s(Prepare("PRAGMA data_version", error));
    if (!s) return error;
    int rc = s.Step();
    if (rc != SQLITE_ROW) return ErrorFromSqlite(rc);
    stamp_.dataVersion = s.Int(0);
    return ERROR_SUCCESS;
}

LONG Store::Enter(std::unique_lock<std::mutex>& lock, bool write) {
    auto me = std::this_thread::get_id();
    if (inTransaction_ && owner_ != me) {
        if (!idle_.wait_for(lock, waitLimit_, [&] { return !inTransaction_; })) return ERROR_TIMEOUT;
    }
    if (db_ == nullptr) {  // closed at the end of the process, and used again
        LONG error = Connect();
        if (error != ERROR_SUCCESS) return error;
    }
    if (write && readOnly_) return ERROR_ACCESS_DENIED;
    if (write && !inTransaction_) {
        LONG error = BeginImmediate();
        if (error != ERROR_SUCCESS) return error;
    } else if (!inTransaction_) {
        // One read transaction for the whole call: one snapshot, and one
        // round of the WAL's read locks instead of one per statement.
        LONG error = StepOnce("BEGIN");
        if (error != ERROR_SUCCESS) return error;
    }
    LONG error = RefreshStamp();
    if (error != ERROR_SUCCESS && !inTransaction_) Exec("ROLLBACK");
    return error;
}

LONG Store::StepOnce(const char* sql) {
    LONG error = ERROR_SUCCESS;
    Statement s(Prepare(sql, error));
    return s ? Done(s.Step()) : error;
}

LONG Store::Leave(bool write, LONG error) {
    if (!write) {
        if (!inTransaction_ && sqlite3_get_autocommit(db_) == 0) StepOnce("COMMIT");
        return error;
    }
    Changed();
    if (inTransaction_) return error;
    if (error == ERROR_SUCCESS) {
        error = Exec("COMMIT");
        if (error != ERROR_SUCCESS && sqlite3_get_autocommit(db_) == 0) Exec("ROLLBACK");
    } else if (sqlite3_get_autocommit(db_) == 0) {
        Exec("ROLLBACK");
    }
    return error;
}

LONG Store::Begin() {
    std::unique_lock<std::mutex> lock(mutex_);
    auto me = std::this_thread::get_id();
    if (inTransaction_ && owner_ == me) return ERROR_INVALID_FUNCTION;
    if (inTransaction_ && !idle_.wait_for(lock, waitLimit_, [&] { return !inTransaction_; })) return ERROR_TIMEOUT;
    if (db_ == nullptr) {
        LONG error = Connect();
        if (error != ERROR_SUCCESS) return error;
    }
    if (readOnly_) return ERROR_ACCESS_DENIED;
    LONG error = BeginImmediate();
    if (error != ERROR_SUCCESS) return error;
    inTransaction_ = true;
    owner_ = me;
    auto& mine = threadTransactions.stores;
    std::erase_if(mine, [](const std::weak_ptr<Store>& w) { return w.expired(); });
    mine.push_back(weak_from_this());
    return ERROR_SUCCESS;
}

LONG Store::Commit() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!inTransaction_ || owner_ != std::this_thread::get_id()) return ERROR_TRANSACTION_NOT_ACTIVE;
    LONG error = Exec("COMMIT");
    if (error != ERROR_SUCCESS && sqlite3_get_autocommit(db_) == 0) Exec("ROLLBACK");
    inTransaction_ = false;
    Changed();
    idle_.notify_all();
    return error;
}

LONG Store::Rollback() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!inTransaction_ || owner_ != std::this_thread::get_id()) return ERROR_TRANSACTION_NOT_ACTIVE;
    LONG error = sqlite3_get_autocommit(db_) == 0 ? Exec("ROLLBACK") : ERROR_SUCCESS;
    inTransaction_ = false;
    Changed();
    idle_.notify_all();
    return error;
}

void Store::Abandon() { Rollback(); }

LONG Store::KeyExists(std::int64_t id, bool& exists) {
    LONG error = ERROR_SUCCESS;
    Statement s(Prepare("SELECT 1 FROM keys WHERE id=?1", error));
    if (!s) return error;
    s.Bind(1, id);
    int rc = s.Step();
    exists = rc == SQLITE_ROW;
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? ERROR_SUCCESS : ErrorFromSqlite(rc);
}

LONG Store::FindChild(std::int64_t parent, std::string_view name, std::int64_t& id) {
    LONG error = ERROR_SUCCESS;
    Statement s(Prepare("SELECT id FROM keys WHERE parent=?1 AND fold=?2", error));
    if (!s) return error;
    std::string fold = FoldName(name);
    s.Bind(1, parent);
    s.Bind(2, fold);
    int rc = s.Step();
    id = rc == SQLITE_ROW ? s.Int(0) : 0;
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? ERROR_SUCCESS : ErrorFromSqlite(rc);
}

LONG Store::CreateChild(std::int64_t parent, std::string_view name, std::int64_t& id) {
    LONG error = ERROR_SUCCESS;
    {
        Statement s(Prepare("INSERT INTO keys(parent, name, fold, written) VALUES(?1, ?2, ?3, ?4)", error));
        if (!s) return error;
        std::string fold = FoldName(name);
        s.Bind(1, parent);
        s.Bind(2, name);
        s.Bind(3, fold);
        s.Bind(4, FileTimeNow());
        error = Done(s.Step());
        if (error != ERROR_SUCCESS) return error;
    }
    id = sqlite3_last_insert_rowid(db_);
    return parent == 0 ? ERROR_SUCCESS : Touch(parent);
}

LONG Store::Touch(std::int64_t key) {
    LONG error = ERROR_SUCCESS;
    Statement s(Prepare("UPDATE keys SET written=?2 WHERE id=?1", error));
    if (!s) return error;
    s.Bind(1, key);
    s.Bind(2, FileTimeNow());
    return Done(s.Step());
}

LONG Store::Children(std::int64_t parent, std::vector<ChildKey>& out) {
    out.clear();
    LONG error = ERROR_SUCCESS;
    Statement s(Prepare("SELECT id, name, written FROM keys WHERE parent=?1 ORDER BY id", error));
    if (!s) return error;
    s.Bind(1, parent);
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW) out.push_back(ChildKey{s.Int(0), s.Bytes(1), s.Int(2)});
    return Done(rc);
}

LONG Store::Values(std::int64_t key, std::vector<ValueInfo>& out) {
    out.clear();
    LONG error = ERROR_SUCCESS;
    Statement s(Prepare("SELECT id, name, type, length(data) FROM vals WHERE key=?1 ORDER BY id", error));
    if (!s) return error;
    s.Bind(1, key);
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW)
        out.push_back(ValueInfo{s.Int(0), s.Bytes(1), static_cast<DWORD>(s.Int(2)), static_cast<DWORD>(s.Int(3))});
    return Done(rc);
}

LONG Store::Written(std::int64_t key, std::int64_t& written) {
    LONG error = ERROR_SUCCESS;
    Statement s(Prepare("SELECT written FROM keys WHERE id=?1", error));
    if (!s) return error;
    s.Bind(1, key);
    int rc = s.Step();
    written = rc == SQLITE_ROW ? s.Int(0) : 0;
    return Done(rc);
}

LONG Store::GetValue(std::int64_t key, std::string_view name, DWORD& type, std::string& data) {
    LONG error = ERROR_SUCCESS;
    Statement s(Prepare("SELECT type, data FROM vals WHERE key=?1 AND fold=?2", error));
    if (!s) return error;
    std::string fold = FoldName(name);
    s.Bind(1, key);
    s.Bind(2, fold);
    int rc = s.Step();
    if (rc == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW) return ErrorFromSqlite(rc);
    type = static_cast<DWORD>(s.Int(0));
    data = s.Bytes(1);
    return ERROR_SUCCESS;
}

LONG Store::GetValueById(std::int64_t valueId, std::string& data) {
    LONG error = ERROR_SUCCESS;
    Statement s(Prepare("SELECT data FROM vals WHERE id=?1", error));
    if (!s) return error;
    s.Bind(1, valueId);
    int rc = s.Step();
    if (rc == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW) return ErrorFromSqlite(rc);
    data = s.Bytes(0);
    return ERROR_SUCCESS;
}

LONG Store::SetValue(std::int64_t key, std::string_view name, DWORD type, std::string_view data) {
    LONG error = ERROR_SUCCESS;
    {
        // An existing value keeps its place in the enumeration and its spelling.
        Statement s(Prepare("INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
                            " ON CONFLICT(key, fold) DO UPDATE SET type=excluded.type, data=excluded.data",
                            error));
        if (!s) return error;
        std::string fold = FoldName(name);
        s.Bind(1, key);
        s.Bind(2, name);
        s.Bind(3, fold);
        s.Bind(4, static_cast<std::int64_t>(type));
        s.Bind(5, data);
        error = Done(s.Step());
        if (error != ERROR_SUCCESS) return error;
    }
    return Touch(key);
}

LONG Store::DeleteValue(std::int64_t key, std::string_view name) {
    LONG error = ERROR_SUCCESS;
    {
        Statement s(Prepare("DELETE FROM vals WHERE key=?1 AND fold=?2", error));
        if (!s) return error;
        std::string fold = FoldName(name);
        s.Bind(1, key);
        s.Bind(2, fold);
        error = Done(s.Step());
        if (error != ERROR_SUCCESS) return error;
        if (sqlite3_changes(db_) == 0) return ERROR_FILE_NOT_FOUND;
    }
    return Touch(key);
}

LONG Store::HasChildren(std::int64_t key, bool& has) {
    LONG error = ERROR_SUCCESS;
    Statement s(Prepare("SELECT 1 FROM keys WHERE parent=?1 LIMIT 1", error));
    if (!s) return error;
    s.Bind(1, key);
    int rc = s.Step();
    has = rc == SQLITE_ROW;
    return Done(rc);
}

LONG Store::DeleteTree(std::int64_t key, bool self) {
    std::vector<std::int64_t> ids;
    LONG error = ERROR_SUCCESS;
    {
        // UNION, not UNION ALL: a damaged file whose keys form a loop ends too.
        Statement s(Prepare("WITH RECURSIVE sub(id) AS (SELECT ?1 UNION"
                            " SELECT keys.id FROM keys JOIN sub ON keys.parent=sub.id) SELECT id FROM sub",
                            error));
        if (!s) return error;
        s.Bind(1, key);
        int rc;
        while ((rc = s.Step()) == SQLITE_ROW) ids.push_back(s.Int(0));
        error = Done(rc);
        if (error != ERROR_SUCCESS) return error;
    }
    std::int64_t parent = 0;
    if (self) {
        Statement s(Prepare("SELECT parent FROM keys WHERE id=?1", error));
        if (!s) return error;
        s.Bind(1, key);
        if (s.Step() == SQLITE_ROW) parent = s.Int(0);
    }
    for (std::int64_t id : ids) {
        {
            Statement s(Prepare("DELETE FROM vals WHERE key=?1", error));
            if (!s) return error;
            s.Bind(1, id);
            error = Done(s.Step());
            if (error != ERROR_SUCCESS) return error;
        }
        if (id == key && !self) continue;
        Statement s(Prepare("DELETE FROM keys WHERE id=?1", error));
        if (!s) return error;
        s.Bind(1, id);
        error = Done(s.Step());
        if (error != ERROR_SUCCESS) return error;
    }
    return Touch(self ? parent : key);
}

LONG Store::Snapshot(std::int64_t key, TreeCopy& out) {
    // A small subtree is walked down in SQL; a large one is picked out of the
    // key table read whole in one pass, since the walk costs several times as
    // much a key as the pass. The walk is tried first and given up past a
    // sixteenth of the file's keys. Values come in one pass over the value
    // table when the subtree holds a fair share of the file's keys, else key
    // by key through the index.
    struct KeyRow {
        std::int64_t id;
        std::int64_t parent;
        std::string name;
        std::int32_t firstChild = -1;  // rows, in id order
        std::int32_t lastChild = -1;
        std::int32_t nextSibling = -1;
        TreeCopy* copy = nullptr;  // set for the keys of the subtree
    };
    std::vector<KeyRow> rows;
    LONG error = ERROR_SUCCESS;
    std::int64_t fileKeys = 0;
    {
        Statement s(Prepare("SELECT count(*) FROM keys", error));
        if (!s) return error;
        int rc = s.Step();
        if (rc != SQLITE_ROW) return ErrorFromSqlite(rc);
        fileKeys = s.Int(0);
    }
    bool small = false;
    {
        Statement s(Prepare("WITH RECURSIVE sub(id, parent) AS (SELECT ?1, 0 UNION ALL"
                            " SELECT keys.id, keys.parent FROM keys JOIN sub ON keys.parent=sub.id LIMIT ?2)"
                            " SELECT sub.id, sub.parent, keys.name FROM sub JOIN keys ON keys.id=sub.id",
                            error));
        if (!s) return error;
        const std::int64_t limit = fileKeys / 16 + 16;
        s.Bind(1, key);
        s.Bind(2, limit + 1);
        int rc;
        while ((rc = s.Step()) == SQLITE_ROW) rows.push_back(KeyRow{s.Int(0), s.Int(1), s.Bytes(2)});
        error = Done(rc);
        if (error != ERROR_SUCCESS) return error;
        small = static_cast<std::int64_t>(rows.size()) <= limit;
    }
    if (small) {
        std::sort(rows.begin(), rows.end(), [](const KeyRow& a, const KeyRow& b) { return a.id < b.id; });
    } else {
        rows.clear();
        Statement s(Prepare("SELECT id, parent, name FROM keys ORDER BY id", error));
        if (!s) return error;
        int rc;
        while ((rc = s.Step()) == SQLITE_ROW) rows.push_back(KeyRow{s.Int(0), s.Int(1), s.Bytes(2)});
        error = Done(rc);
        if (error != ERROR_SUCCESS) return error;
    }
    auto rowOf = [&](std::int64_t id) -> std::int32_t {
        auto found = std::lower_bound(rows.begin(), rows.end(), id,
                                      [](const KeyRow& r, std::int64_t v) { return r.id < v; });
        return found != rows.end() && found->id == id ? static_cast<std::int32_t>(found - rows.begin()) : -1;
    };
    const std::int32_t top = rowOf(key);
    if (top < 0) return ERROR_SUCCESS;  // gone: an empty copy, as before
    for (size_t i = 0; i < rows.size(); ++i) {
        std::int32_t parent = rows[i].parent == rows[i].id ? -1 : rowOf(rows[i].parent);
        if (parent < 0) continue;
        auto index = static_cast<std::int32_t>(i);
        if (rows[parent].lastChild < 0)
            rows[parent].firstChild = index;
        else
            rows[rows[parent].lastChild].nextSibling = index;
        rows[parent].lastChild = index;
    }
    // Depth first from `key`, each child vector sized before any pointer into
    // it is kept. A key met twice (a damaged file with a loop) is taken once.
    std::vector<std::int32_t> members{top};
    rows[top].copy = &out;
    for (size_t m = 0; m < members.size(); ++m) {
        KeyRow& row = rows[members[m]];
        size_t count = 0;
        for (std::int32_t c = row.firstChild; c >= 0; c = rows[c].nextSibling) count += rows[c].copy == nullptr;
        row.copy->children.resize(count);
        size_t k = 0;
        for (std::int32_t c = row.firstChild; c >= 0; c = rows[c].nextSibling) {
            if (rows[c].copy != nullptr) continue;
            TreeCopy& child = row.copy->children[k++];
            child.name = std::move(rows[c].name);
            rows[c].copy = &child;
            members.push_back(c);
        }
    }
    // A key's values gather in `run` while they come one after another, and
    // join the key with one allocation.
    std::vector<TreeCopy::Value> run;
    auto flush = [&run](TreeCopy* into) {
        if (into == nullptr || run.empty()) return;
        size_t need = into->values.size() + run.size();
        if (into->values.capacity() < need) into->values.reserve(std::max(need, 2 * into->values.capacity()));
        for (auto& v : run) into->values.push_back(std::move(v));
        run.clear();
    };
    if (static_cast<std::int64_t>(members.size()) * 4 >= fileKeys) {
        // By id: each key's values in creation order.
        Statement s(Prepare("SELECT key, name, type, data FROM vals ORDER BY id", error));
        if (!s) return error;
        int rc;
        std::int64_t lastKey = 0;
        TreeCopy* into = nullptr;
        while ((rc = s.Step()) == SQLITE_ROW) {
            std::int64_t owner = s.Int(0);
            if (owner != lastKey) {
                flush(into);
                std::int32_t r = rowOf(owner);
                lastKey = owner;
                into = r >= 0 ? rows[r].copy : nullptr;
            }
            if (into == nullptr) continue;  // outside the subtree
            run.push_back(TreeCopy::Value{s.Bytes(1), static_cast<DWORD>(s.Int(2)), s.Bytes(3)});
        }
        flush(into);
        return Done(rc);
    }
    Statement s(Prepare("SELECT name, type, data FROM vals WHERE key=?1 ORDER BY id", error));
    if (!s) return error;
    for (std::int32_t m : members) {
        s.Bind(1, rows[m].id);
        int rc;
        while ((rc = s.Step()) == SQLITE_ROW)
            run.push_back(TreeCopy::Value{s.Bytes(0), static_cast<DWORD>(s.Int(1)), s.Bytes(2)});
        flush(rows[m].copy);
        error = Done(rc);
        if (error != ERROR_SUCCESS) return error;
        sqlite3_reset(s.get());
    }
    return ERROR_SUCCESS;
}

LONG Store::Apply(std::int64_t key, const TreeCopy& tree) {
    for (auto& v : tree.values) {
        LONG error = SetValue(key, v.name, v.type, v.data);
        if (error != ERROR_SUCCESS) return error;
    }
    for (auto& child : tree.children) {
        std::int64_t id = 0;
        LONG error = FindChild(key, child.name, id);
        if (error == ERROR_SUCCESS && id == 0) error = CreateChild(key, child.name, id);
        if (error == ERROR_SUCCESS) error = Apply(id, child);
        if (error != ERROR_SUCCESS) return error;
    }
    return ERROR_SUCCESS;
}

}  // namespace suite::reg
