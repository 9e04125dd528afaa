#include "db.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "clock.h"
#include "schema.h"
#include "text_fold.h"

namespace vx {

// ---------------------------------------------------------------- Stmt

Stmt::Stmt(Db *owner, sqlite3 *db, sqlite3_stmt *s, bool temporary)
    : owner_(owner), db_(db), s_(s), temporary_(temporary)
{
}

Stmt::Stmt(Stmt &&other) noexcept
    : owner_(other.owner_), db_(other.db_), s_(other.s_), temporary_(other.temporary_),
      columns_(std::move(other.columns_))
{
    other.s_ = nullptr;
}

Stmt::~Stmt()
{
    if (s_)
        owner_->release(s_, temporary_);
}

namespace {
void check(sqlite3 *db, int rc, const char *what)
{
    if (rc != SQLITE_OK)
        throw DbError(std::string(what) + ": " + sqlite3_errmsg(db), sqlite3_extended_errcode(db));
}
} // namespace

Stmt &Stmt::bind(int idx, std::int64_t v)
{
    check(db_, sqlite3_bind_int64(s_, idx, v), "bind");
    return *this;
}

Stmt &Stmt::bind(int idx, double v)
{
    check(db_, sqlite3_bind_double(s_, idx, v), "bind");
    return *this;
}

Stmt &Stmt::bind(int idx, const std::string &v)
{
    check(db_, sqlite3_bind_text(s_, idx, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT), "bind");
    return *this;
}

Stmt &Stmt::bindBlob(int idx, const std::string &bytes)
{
    check(db_, sqlite3_bind_blob(s_, idx, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT), "bind");
    return *this;
}

Stmt &Stmt::bindNull(int idx)
{
    check(db_, sqlite3_bind_null(s_, idx), "bind");
    return *this;
}

Stmt &Stmt::bind(int idx, const std::optional<std::int64_t> &v)
{
    return v ? bind(idx, *v) : bindNull(idx);
}

Stmt &Stmt::bindJson(int idx, const Json &v)
{
    if (v.is_string())
        return bind(idx, v.get<std::string>());
    if (v.is_number_integer())
        return bind(idx, v.get<std::int64_t>());
    if (v.is_number())
        return bind(idx, v.get<double>());
    if (v.is_boolean())
        return bind(idx, v.get<bool>());
    return bindNull(idx);
}

bool Stmt::step()
{
    const int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw DbError(std::string("step: ") + sqlite3_errmsg(db_), sqlite3_extended_errcode(db_));
}

void Stmt::run()
{
    while (step()) { }
}

bool Stmt::isNull(int col) const
{
    return sqlite3_column_type(s_, col) == SQLITE_NULL;
}

std::int64_t Stmt::getInt(int col) const
{
    return sqlite3_column_int64(s_, col);
}

double Stmt::getDouble(int col) const
{
    return sqlite3_column_double(s_, col);
}

std::string Stmt::getText(int col) const
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(s_, col));
    const int n = sqlite3_column_bytes(s_, col);
    return p ? std::string(p, static_cast<std::size_t>(n)) : std::string();
}

std::string Stmt::getBlob(int col) const
{
    const auto *p = static_cast<const char *>(sqlite3_column_blob(s_, col));
    const int n = sqlite3_column_bytes(s_, col);
    return p ? std::string(p, static_cast<std::size_t>(n)) : std::string();
}

Json Stmt::getJson(int col) const
{
    switch (sqlite3_column_type(s_, col)) {
    case SQLITE_INTEGER:
        return getInt(col);
    case SQLITE_FLOAT:
        return getDouble(col);
    case SQLITE_NULL:
        return nullptr;
    default:
        return getText(col);
    }
}

Json Stmt::getIntOrNull(int col) const
{
    if (isNull(col))
        return nullptr;
    return getInt(col);
}

int Stmt::column(const std::string &name) const
{
    if (columns_.empty()) {
        const int n = sqlite3_column_count(s_);
        for (int i = 0; i < n; ++i)
            columns_.emplace(sqlite3_column_name(s_, i), i);
    }
    const auto it = columns_.find(name);
    if (it == columns_.end())
        throw DbError("no column \"" + name + "\" in: " + sqlite3_sql(s_));
    return it->second;
}

// ---------------------------------------------------------------- Db

Db::Db(const std::string &path, const DbSettings &settings) : writeGate_(settings.writeGate)
{
    const int rc =
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw DbError("cannot open database " + path + ": " + msg, rc);
    }
    try {
        // SQLite quietly opens a write-protected file for reading only;
        // the server would then fail at its first write (a login).
        if (sqlite3_db_readonly(db_, "main") == 1)
            throw DbError("database " + path + " is read-only; the server needs to write to it", SQLITE_READONLY);
        sqlite3_busy_timeout(db_, 5000);
        registerFoldFunction(db_);
        exec("PRAGMA journal_mode=WAL");
        // Every commit is in the WAL before its reply; a killed process
        // loses nothing that was answered.
        exec("PRAGMA synchronous=NORMAL");
        exec("PRAGMA foreign_keys=ON");
        exec("PRAGMA cache_size=-" + std::to_string(settings.cacheKiB));
        // Reads of the main file come from the operating system's page
        // cache, shared by all connections, instead of a copy per worker.
        exec("PRAGMA mmap_size=" + std::to_string(1LL << 30));
        if (settings.migrate) {
            migrateSchema(*this);
            // A real write at start: a database in a read-only directory or
            // on a full disk stops the start with a clear message.
            Transaction tx(*this);
            setMeta("last_start", nowIso());
            tx.commit();
        }
    } catch (...) {
        for (auto &[sql, cached] : cache_)
            sqlite3_finalize(cached.stmt);
        cache_.clear();
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

Db::~Db()
{
    for (auto &[sql, c] : cache_)
        sqlite3_finalize(c.stmt);
    if (db_) {
        // Folds the WAL back into the main file so a copied database file
        // is complete on its own.
        sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        sqlite3_close(db_);
    }
}

Stmt Db::prepare(const std::string &sql)
{
    auto it = cache_.find(sql);
    if (it != cache_.end() && !it->second.inUse) {
        it->second.inUse = true;
        return Stmt(this, db_, it->second.stmt, false);
    }
    sqlite3_stmt *s = nullptr;
    const bool cacheIt = it == cache_.end();
    const int rc = sqlite3_prepare_v3(
        db_, sql.c_str(), static_cast<int>(sql.size()), cacheIt ? SQLITE_PREPARE_PERSISTENT : 0, &s, nullptr);
    if (rc != SQLITE_OK)
        throw DbError(std::string("prepare: ") + sqlite3_errmsg(db_) + " in: " + sql, sqlite3_extended_errcode(db_));
    if (!cacheIt) // the cached one is busy (nested use of the same query)
        return Stmt(this, db_, s, true);
    auto &slot = cache_[sql];
    slot.stmt = s;
    slot.inUse = true;
    byStmt_[s] = &slot;
    return Stmt(this, db_, s, false);
}

void Db::release(sqlite3_stmt *s, bool temporary)
{
    if (temporary) {
        sqlite3_finalize(s);
        return;
    }
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    auto it = byStmt_.find(s);
    if (it != byStmt_.end())
        it->second->inUse = false;
}

void Db::exec(const std::string &sql)
{
    char *err = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errmsg(db_);
        sqlite3_free(err);
        throw DbError(msg, sqlite3_extended_errcode(db_));
    }
}

std::int64_t Db::lastInsertId() const
{
    return sqlite3_last_insert_rowid(db_);
}

int Db::changes() const
{
    return sqlite3_changes(db_);
}

std::optional<std::string> Db::meta(const std::string &key)
{
    auto s = prepare("SELECT value FROM meta WHERE key = ?");
    s.bind(1, key);
    if (s.step())
        return s.getText(0);
    return std::nullopt;
}

void Db::setMeta(const std::string &key, const std::string &value)
{
    prepare("INSERT INTO meta(key, value) VALUES (?, ?) ON CONFLICT(key) DO UPDATE SET value = excluded.value")
        .bind(1, key)
        .bind(2, value)
        .run();
}

// ---------------------------------------------------------------- Transaction

Transaction::Transaction(Db &db) : db_(db), depth_(db.txDepth_)
{
    if (depth_ == 0 && db_.writeGate_)
        gate_ = std::unique_lock<std::mutex>(db_.writeGate_->mutex);
    db_.exec(depth_ == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT tx" + std::to_string(depth_));
    ++db_.txDepth_;
}

Transaction::~Transaction()
{
    if (done_)
        return;
    try {
        if (depth_ == 0) {
            db_.exec("ROLLBACK");
        } else {
            const std::string sp = "tx" + std::to_string(depth_);
            db_.exec("ROLLBACK TO " + sp);
            db_.exec("RELEASE " + sp);
        }
    } catch (...) {
    }
    --db_.txDepth_;
}

void Transaction::commit()
{
    db_.exec(depth_ == 0 ? std::string("COMMIT") : "RELEASE tx" + std::to_string(depth_));
    done_ = true;
    --db_.txDepth_;
    if (gate_.owns_lock())
        gate_.unlock();
}

ReadTransaction::ReadTransaction(Db &db) : db_(db)
{
    if (db_.txDepth_ > 0)
        return;
    db_.exec("BEGIN");
    ++db_.txDepth_;
    active_ = true;
}

ReadTransaction::~ReadTransaction()
{
    if (!active_)
        return;
    --db_.txDepth_;
    try {
        db_.exec("COMMIT");
    } catch (...) {
        try {
            db_.exec("ROLLBACK");
        } catch (...) {
        }
    }
}

// ---------------------------------------------------------------- files

bool prepareDatabaseFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    // It exists (or cannot be made, which opening it will report): the
    // database and its companions are for the server's user alone.
    for (const char *suffix : {"", "-wal", "-shm"}) {
        const std::string file = path + suffix;
        struct stat st
        { };
        if (::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 077) != 0)
            ::chmod(file.c_str(), st.st_mode & 0700);
    }
    return false;
}

void removeDatabaseFiles(const std::string &path)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        ::unlink((path + suffix).c_str());
}

} // namespace vx
