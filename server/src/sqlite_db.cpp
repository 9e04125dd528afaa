// The SQLite engine: one database file in WAL mode.

#include <sqlite3.h>

#include <map>

#include "db_engines.h"
#include "text_fold.h"

namespace vx {

namespace {

void check(sqlite3 *db, int rc, const char *what)
{
    if (rc != SQLITE_OK)
        throw DbError(std::string(what) + ": " + sqlite3_errmsg(db), sqlite3_extended_errcode(db));
}

class SqliteEngine;

class SqliteStmt : public StmtImpl
{
public:
    SqliteStmt(SqliteEngine *owner, sqlite3 *db, sqlite3_stmt *s, bool temporary)
        : owner_(owner), db_(db), s_(s), temporary_(temporary)
    {
    }
    ~SqliteStmt() override;

    void bindInt(int idx, std::int64_t v) override { check(db_, sqlite3_bind_int64(s_, idx, v), "bind"); }
    void bindDouble(int idx, double v) override { check(db_, sqlite3_bind_double(s_, idx, v), "bind"); }
    void bindText(int idx, const std::string &v) override
    {
        check(db_, sqlite3_bind_text(s_, idx, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT), "bind");
    }
    void bindBlob(int idx, const std::string &bytes) override
    {
        check(db_, sqlite3_bind_blob(s_, idx, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT), "bind");
    }
    void bindNull(int idx) override { check(db_, sqlite3_bind_null(s_, idx), "bind"); }
    void bindJson(int idx, const Json &v) override
    {
        if (v.is_string())
            bindText(idx, v.get<std::string>());
        else if (v.is_number_integer())
            bindInt(idx, v.get<std::int64_t>());
        else if (v.is_number())
            bindDouble(idx, v.get<double>());
        else if (v.is_boolean())
            bindInt(idx, v.get<bool>() ? 1 : 0);
        else
            bindNull(idx);
    }

    bool step() override
    {
        const int rc = sqlite3_step(s_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw DbError(std::string("step: ") + sqlite3_errmsg(db_), sqlite3_extended_errcode(db_));
    }

    bool isNull(int col) const override { return sqlite3_column_type(s_, col) == SQLITE_NULL; }
    std::int64_t getInt(int col) const override { return sqlite3_column_int64(s_, col); }
    double getDouble(int col) const override { return sqlite3_column_double(s_, col); }
    std::string getText(int col) const override
    {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(s_, col));
        const int n = sqlite3_column_bytes(s_, col);
        return p ? std::string(p, static_cast<std::size_t>(n)) : std::string();
    }
    std::string getBlob(int col) const override
    {
        const auto *p = static_cast<const char *>(sqlite3_column_blob(s_, col));
        const int n = sqlite3_column_bytes(s_, col);
        return p ? std::string(p, static_cast<std::size_t>(n)) : std::string();
    }
    Json getJson(int col) const override
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
    int columnCount() const override { return sqlite3_column_count(s_); }
    std::string columnName(int col) const override { return sqlite3_column_name(s_, col); }
    std::string sql() const override { return sqlite3_sql(s_); }

private:
    SqliteEngine *owner_;
    sqlite3 *db_;
    sqlite3_stmt *s_;
    bool temporary_;
};

class SqliteEngine : public DbEngine
{
public:
    SqliteEngine(const std::string &path, const DbSettings &settings)
    {
        const int rc = sqlite3_open_v2(
            path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
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
        } catch (...) {
            sqlite3_close(db_);
            db_ = nullptr;
            throw;
        }
    }

    ~SqliteEngine() override
    {
        for (auto &[sql, c] : cache_)
            sqlite3_finalize(c.stmt);
        if (db_) {
            // Folds the WAL back into the main file so a copied database
            // file is complete on its own.
            sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
            sqlite3_close(db_);
        }
    }

    Engine engine() const override { return Engine::Sqlite; }

    std::unique_ptr<StmtImpl> prepare(const std::string &sql) override
    {
        auto it = cache_.find(sql);
        if (it != cache_.end() && !it->second.inUse) {
            it->second.inUse = true;
            return std::make_unique<SqliteStmt>(this, db_, it->second.stmt, false);
        }
        sqlite3_stmt *s = nullptr;
        const bool cacheIt = it == cache_.end();
        const int rc = sqlite3_prepare_v3(
            db_, sql.c_str(), static_cast<int>(sql.size()), cacheIt ? SQLITE_PREPARE_PERSISTENT : 0, &s, nullptr);
        if (rc != SQLITE_OK)
            throw DbError(
                std::string("prepare: ") + sqlite3_errmsg(db_) + " in: " + sql, sqlite3_extended_errcode(db_));
        if (!cacheIt) // the cached one is busy (nested use of the same query)
            return std::make_unique<SqliteStmt>(this, db_, s, true);
        auto &slot = cache_[sql];
        slot.stmt = s;
        slot.inUse = true;
        byStmt_[s] = &slot;
        return std::make_unique<SqliteStmt>(this, db_, s, false);
    }

    void release(sqlite3_stmt *s, bool temporary)
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

    void exec(const std::string &sql) override
    {
        char *err = nullptr;
        const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
        if (rc != SQLITE_OK) {
            std::string msg = err ? err : sqlite3_errmsg(db_);
            sqlite3_free(err);
            throw DbError(msg, sqlite3_extended_errcode(db_));
        }
    }

    std::int64_t lastInsertId() const override { return sqlite3_last_insert_rowid(db_); }
    int changes() const override { return sqlite3_changes(db_); }
    // One writer at a time, whatever it does: an adding write waits like
    // any other.
    void beginWrite(WriteKind) override
    {
        // A statement that has read a row but is not finished holds a read
        // snapshot; the write lock cannot be taken over a snapshot that
        // another writer has made stale, and SQLite would answer "busy".
        for (sqlite3_stmt *s = sqlite3_next_stmt(db_, nullptr); s; s = sqlite3_next_stmt(db_, s))
            if (sqlite3_stmt_busy(s))
                throw DbError(
                    std::string("a write began while a statement was still open: ") + sqlite3_sql(s), SQLITE_MISUSE);
        exec("BEGIN IMMEDIATE");
    }
    void beginRead(const std::string &) override { exec("BEGIN"); }
    bool writesInTurn() const override { return true; }

private:
    sqlite3 *db_ = nullptr;
    struct Cached
    {
        sqlite3_stmt *stmt = nullptr;
        bool inUse = false;
    };
    std::map<std::string, Cached> cache_;
    std::map<sqlite3_stmt *, Cached *> byStmt_;
};

SqliteStmt::~SqliteStmt()
{
    if (s_)
        owner_->release(s_, temporary_);
}

} // namespace

std::unique_ptr<DbEngine> openSqlite(const std::string &path, const DbSettings &settings)
{
    return std::make_unique<SqliteEngine>(path, settings);
}

} // namespace vx
