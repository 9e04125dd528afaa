// SQLite access for the server: prepared statements only. The schema lives
// in schema.h, the search folding in text_fold.h.
//
// A Db is one connection and belongs to one thread at a time: every worker
// of the HTTP layer has its own, so readers run side by side (WAL mode).
// Writers are serialised by a WriteGate that all connections of the process
// share, taken before BEGIN IMMEDIATE: within the process a writer waits on
// a mutex instead of polling SQLite's busy handler.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

struct sqlite3;
struct sqlite3_stmt;

namespace vx {

using Json = nlohmann::ordered_json;

class DbError : public std::runtime_error
{
public:
    explicit DbError(const std::string &what, int code = 1) : std::runtime_error(what), code_(code) { }
    // SQLite's extended result code (SQLITE_FULL, SQLITE_READONLY, ...).
    int code() const { return code_; }

private:
    int code_;
};

// Serialises the write transactions of all connections of this process.
struct WriteGate
{
    std::mutex mutex;
};

struct DbSettings
{
    WriteGate *writeGate = nullptr;
    // Page cache of this connection, in KiB.
    std::int64_t cacheKiB = 32 * 1024;
    // Bring the schema up to date (the first connection of a process).
    bool migrate = true;
};

// A cached prepared statement, reset and unbound when the wrapper goes out
// of scope. Parameters are 1-based as in SQLite. Columns are read by the
// name the query gives them (a bare column keeps its own name; give every
// qualified column or expression an "AS name"), or by 0-based position for
// one-column queries such as "SELECT count(*)".
class Stmt
{
public:
    Stmt(class Db *owner, sqlite3 *db, sqlite3_stmt *s, bool temporary);
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

    bool isNull(int col) const;
    std::int64_t getInt(int col) const;
    double getDouble(int col) const;
    std::string getText(int col) const;
    std::string getBlob(int col) const;
    bool getBool(int col) const { return getInt(col) != 0; }
    Json getJson(int col) const; // text/integer/real/null as they are stored
    Json getIntOrNull(int col) const;

    // The position of a result column; throws DbError for a name the query
    // does not have.
    int column(const std::string &name) const;
    bool isNull(const std::string &name) const { return isNull(column(name)); }
    std::int64_t getInt(const std::string &name) const { return getInt(column(name)); }
    std::string getText(const std::string &name) const { return getText(column(name)); }
    std::string getBlob(const std::string &name) const { return getBlob(column(name)); }
    bool getBool(const std::string &name) const { return getBool(column(name)); }
    Json getJson(const std::string &name) const { return getJson(column(name)); }
    Json getIntOrNull(const std::string &name) const { return getIntOrNull(column(name)); }

private:
    class Db *owner_;
    sqlite3 *db_;
    sqlite3_stmt *s_;
    bool temporary_;
    // Result column positions by name, filled on the first lookup.
    mutable std::map<std::string, int, std::less<>> columns_;
};

class Db
{
public:
    // Opens (and creates, readable by the owner only) the database. Throws
    // DbError when it cannot be opened or is not writable.
    explicit Db(const std::string &path, const DbSettings &settings = {});
    ~Db();
    Db(const Db &) = delete;
    Db &operator=(const Db &) = delete;

    Stmt prepare(const std::string &sql);
    void exec(const std::string &sql);
    std::int64_t lastInsertId() const;
    int changes() const;

    std::optional<std::string> meta(const std::string &key);
    void setMeta(const std::string &key, const std::string &value);

private:
    friend class Stmt;
    friend class Transaction;
    friend class ReadTransaction;
    int txDepth_ = 0;
    void release(sqlite3_stmt *s, bool temporary);

    sqlite3 *db_ = nullptr;
    WriteGate *writeGate_ = nullptr;
    struct Cached
    {
        sqlite3_stmt *stmt = nullptr;
        bool inUse = false;
    };
    std::map<std::string, Cached> cache_;
    std::map<sqlite3_stmt *, Cached *> byStmt_;
};

// BEGIN IMMEDIATE ... COMMIT; rolls back unless commit() was reached.
// Nested transactions become savepoints, so a function that keeps its own
// work atomic can also run inside a larger unit (the demo seed).
class Transaction
{
public:
    explicit Transaction(Db &db);
    ~Transaction();
    void commit();

private:
    Db &db_;
    int depth_;
    bool done_ = false;
    std::unique_lock<std::mutex> gate_;
};

// One consistent snapshot for several reads (BEGIN ... COMMIT); inside a
// transaction it does nothing.
class ReadTransaction
{
public:
    explicit ReadTransaction(Db &db);
    ~ReadTransaction();

private:
    Db &db_;
    bool active_ = false;
};

// Creates the database file (owner read and write only) unless it exists,
// and takes group and other access away from an existing one and its WAL
// and shared-memory files. Returns true when the file was created.
bool prepareDatabaseFile(const std::string &path);
// Removes a database file and its WAL and shared-memory files.
void removeDatabaseFiles(const std::string &path);

} // namespace vx
