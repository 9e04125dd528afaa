// Database access for the server: prepared statements only, on SQLite (one
// file, the default) or PostgreSQL. The queries are written once, in SQL
// that both engines understand; the schema (schema.h) gives both the same
// tables and the functions the queries use (vx_fold, instr).
//
// A Db is one connection and belongs to one thread at a time: every worker
// of the HTTP layer has its own, so readers run side by side. A write runs
// alone (WriteKind::Alone) unless it only adds rows (WriteKind::Adding):
// on SQLite every write waits for the one before it, first on a WriteGate
// that all connections of the process share (a mutex instead of polling
// the database), then on SQLite's write lock; on PostgreSQL a lock of the
// database, taken by every server on it, lets adding writes run side by
// side and every other write alone.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace vx {

using Json = nlohmann::ordered_json;

class DbError : public std::runtime_error
{
public:
    // The database cannot be reached (PostgreSQL: the connection is lost or
    // refused); the request may be tried again later.
    static constexpr int kUnavailable = 0x10000;

    explicit DbError(const std::string &what, int code = 1) : std::runtime_error(what), code_(code) { }
    // SQLite's extended result code (SQLITE_FULL, SQLITE_READONLY, ...);
    // PostgreSQL's errors are given the SQLite code of the same meaning, or
    // kUnavailable.
    int code() const { return code_; }

private:
    int code_;
};

// Serialises the SQLite write transactions of all connections of this
// process.
struct WriteGate
{
    std::mutex mutex;
    // When a write transaction last committed (steadyMs(); -1: none yet):
    // proof that the database takes writes, for the health check.
    std::atomic<std::int64_t> lastCommitMs {-1};
};

// What a write transaction does, and so what may run beside it.
enum class WriteKind {
    // Anything: no other write runs meanwhile, so whatever it checks holds
    // until it commits.
    Alone,
    // Only inserts rows (no UPDATE, DELETE or upsert), and its checks only
    // ask whether rows it refers to exist. Such writes never change what
    // another one checks, so on PostgreSQL they run beside each other,
    // never beside a write that runs alone.
    Adding,
};

struct DbSettings
{
    WriteGate *writeGate = nullptr;
    // Page cache of this connection, in KiB.
    std::int64_t cacheKiB = 32 * 1024;
    // Bring the schema up to date (the first connection of a process).
    bool migrate = true;
    // The PostgreSQL address came from a private file, not the command
    // line, so it may carry a password.
    bool addressIsPrivate = false;
};

// A prepared statement of one engine (sqlite_db.cpp, pg_db.cpp).
class StmtImpl
{
public:
    virtual ~StmtImpl() = default;
    virtual void bindInt(int idx, std::int64_t v) = 0;
    virtual void bindDouble(int idx, double v) = 0;
    virtual void bindText(int idx, const std::string &v) = 0;
    virtual void bindBlob(int idx, const std::string &bytes) = 0;
    virtual void bindNull(int idx) = 0;
    // A value the client sent as text or number, to come back the same way.
    virtual void bindJson(int idx, const Json &v) = 0;
    virtual bool step() = 0;
    virtual bool isNull(int col) const = 0;
    virtual std::int64_t getInt(int col) const = 0;
    virtual double getDouble(int col) const = 0;
    virtual std::string getText(int col) const = 0;
    virtual std::string getBlob(int col) const = 0;
    virtual Json getJson(int col) const = 0;
    virtual int columnCount() const = 0;
    virtual std::string columnName(int col) const = 0;
    virtual std::string sql() const = 0;
};

// A prepared statement, reset and unbound when the wrapper goes out of
// scope. Parameters are 1-based ("?" or "?N" in the text, on either
// engine). Columns are read by the name the query gives them (a bare column
// keeps its own name; give every qualified column or expression an
// "AS name" in lower case), or by 0-based position for one-column queries
// such as "SELECT count(*)".
class Stmt
{
public:
    explicit Stmt(std::unique_ptr<StmtImpl> impl);
    Stmt(const Stmt &) = delete;
    Stmt &operator=(const Stmt &) = delete;
    Stmt(Stmt &&other) noexcept;
    ~Stmt();

    Stmt &bind(int idx, std::int64_t v);
    Stmt &bind(int idx, int v) { return bind(idx, static_cast<std::int64_t>(v)); }
    Stmt &bind(int idx, bool v) { return bind(idx, static_cast<std::int64_t>(v ? 1 : 0)); }
    Stmt &bind(int idx, double v);
    Stmt &bind(int idx, const std::string &v);
    Stmt &bind(int idx, const char *v) { return bind(idx, std::string(v)); }
    Stmt &bindBlob(int idx, const std::string &bytes);
    Stmt &bindNull(int idx);
    Stmt &bind(int idx, const std::optional<std::int64_t> &v);
    // Strings stay text, numbers stay numbers: used for fields that the
    // client sends either way and expects back the way it sent them.
    Stmt &bindJson(int idx, const Json &v);

    // Advances to the next row; false when done.
    bool step();
    // Runs a statement that returns no rows.
    void run();

    // Reading a column needs a current row (the last step() returned true);
    // without one it throws DbError, whatever the engine would have done.
    bool isNull(int col) const { return row().isNull(col); }
    std::int64_t getInt(int col) const { return row().getInt(col); }
    double getDouble(int col) const { return row().getDouble(col); }
    std::string getText(int col) const { return row().getText(col); }
    std::string getBlob(int col) const { return row().getBlob(col); }
    bool getBool(int col) const { return getInt(col) != 0; }
    Json getJson(int col) const { return row().getJson(col); } // text/integer/real/null as they are stored
    Json getIntOrNull(int col) const;
    int columnCount() const { return p_->columnCount(); }
    std::string columnName(int col) const { return p_->columnName(col); }

    // The position of a result column; throws DbError for a name the query
    // does not have.
    int column(std::string_view name) const;
    bool isNull(std::string_view name) const { return isNull(column(name)); }
    std::int64_t getInt(std::string_view name) const { return getInt(column(name)); }
    std::string getText(std::string_view name) const { return getText(column(name)); }
    std::string getBlob(std::string_view name) const { return getBlob(column(name)); }
    bool getBool(std::string_view name) const { return getBool(column(name)); }
    Json getJson(std::string_view name) const { return getJson(column(name)); }
    Json getIntOrNull(std::string_view name) const { return getIntOrNull(column(name)); }

private:
    const StmtImpl &row() const;

    std::unique_ptr<StmtImpl> p_;
    bool onRow_ = false;
    // Result column names by position, read on the first lookup; rows are
    // read column after column, so the next lookup starts where the last
    // one ended.
    mutable std::vector<std::string> columns_;
    mutable std::size_t nextColumn_ = 0;
};

enum class Engine { Sqlite, Postgres };

// One connection of one engine (sqlite_db.cpp, pg_db.cpp).
class DbEngine
{
public:
    virtual ~DbEngine() = default;
    virtual Engine engine() const = 0;
    virtual std::unique_ptr<StmtImpl> prepare(const std::string &sql) = 0;
    virtual void exec(const std::string &sql) = 0;
    virtual std::int64_t lastInsertId() const = 0;
    virtual int changes() const = 0;
    // Starts a write transaction of that kind (WriteKind), among all the
    // writers of this database, in this process or another.
    virtual void beginWrite(WriteKind kind) = 0;
    // Starts a transaction that reads one consistent snapshot; with a table
    // `settled`, one taken when no write to that table is in progress.
    virtual void beginRead(const std::string &settled) = 0;
    // Whether writes run one at a time, committing in the order they began
    // (SQLite), so that every snapshot is settled.
    virtual bool writesInTurn() const = 0;
    // Sends the open transaction's COMMIT along with the next statement, in
    // the same round trip; the COMMIT that follows is then not sent again.
    // Engines without round trips to save ignore it.
    virtual void commitWithNext() { }
};

// "postgresql://..." and "postgres://..." name a PostgreSQL database,
// anything else an SQLite file.
bool isPostgresTarget(const std::string &target);

class Db
{
public:
    // Opens the database `target` (an SQLite file, created readable by the
    // owner only, or a PostgreSQL connection URI). Throws DbError when it
    // cannot be opened or is not writable.
    explicit Db(const std::string &target, const DbSettings &settings = {});
    ~Db();
    Db(const Db &) = delete;
    Db &operator=(const Db &) = delete;

    Engine engine() const { return engine_->engine(); }
    Stmt prepare(const std::string &sql);
    void exec(const std::string &sql);
    std::int64_t lastInsertId() const;
    int changes() const;

    std::optional<std::string> meta(const std::string &key);
    void setMeta(const std::string &key, const std::string &value);

private:
    friend class Transaction;
    friend class ReadTransaction;
    int txDepth_ = 0;
    // The outermost transaction only reads (ReadTransaction).
    bool readOnly_ = false;
    // The outermost transaction only adds rows (WriteKind::Adding).
    bool adding_ = false;
    WriteGate *writeGate_ = nullptr;
    std::unique_ptr<DbEngine> engine_;
};

// BEGIN IMMEDIATE ... COMMIT; rolls back unless commit() was reached.
// Nested transactions become savepoints, so a function that keeps its own
// work atomic can also run inside a larger unit (the demo seed); inside an
// adding write only adding ones may nest. An adding write that prepares an
// UPDATE, a DELETE or an upsert fails loudly.
class Transaction
{
public:
    explicit Transaction(Db &db, WriteKind kind = WriteKind::Alone);
    ~Transaction();
    void commit();
    // The next statement ends the write: where the database is a round trip
    // away, it commits along with that statement (commit() must still
    // follow). Only for a last statement after which nothing may roll the
    // write back: what it wrote stays even if the request fails after it.
    void commitWithNext();

private:
    Db &db_;
    int depth_;
    bool done_ = false;
    std::unique_lock<std::mutex> gate_;
};

// One consistent snapshot for several reads (BEGIN ... COMMIT); inside a
// transaction it does nothing.
//
// Rows come into a table in id order, but where writes run side by side
// (PostgreSQL) a row may be committed after one with a higher id: a
// snapshot may lack a row that later appears below ids it holds. With a
// table `settled`, the snapshot is taken once no write to that table is in
// progress (writes that begin meanwhile wait for the reads), so every row
// it lacks there comes with a higher id than all it holds; such a snapshot
// says settled(). On SQLite every snapshot is settled.
class ReadTransaction
{
public:
    explicit ReadTransaction(Db &db, const char *settled = nullptr);
    ~ReadTransaction();
    bool settled() const { return settled_; }

private:
    Db &db_;
    bool active_ = false;
    bool settled_ = false;
};

// Creates the database file (owner read and write only) unless it exists,
// and takes group and other access away from an existing one and its WAL
// and shared-memory files. Returns true when the file was created.
bool prepareDatabaseFile(const std::string &path);
// Removes a database file and its WAL and shared-memory files.
void removeDatabaseFiles(const std::string &path);

} // namespace vx
