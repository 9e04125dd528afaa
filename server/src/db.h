// SQLite access for the server: one connection, prepared statements only.
// The schema lives in schema.h, the search folding in text_fold.h.
//
// The HTTP layer serves from a thread pool; every handler takes Db::lock()
// for the whole request, so the connection is only ever used by one thread
// at a time and the cached statements need no further protection.
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
    using std::runtime_error::runtime_error;
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
    explicit Db(const std::string &path);
    ~Db();
    Db(const Db &) = delete;
    Db &operator=(const Db &) = delete;

    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(mutex_); }

    Stmt prepare(const std::string &sql);
    void exec(const std::string &sql);
    std::int64_t lastInsertId() const;
    int changes() const;

    std::optional<std::string> meta(const std::string &key);
    void setMeta(const std::string &key, const std::string &value);

private:
    friend class Stmt;
    friend class Transaction;
    int txDepth_ = 0;
    void release(sqlite3_stmt *s, bool temporary);

    sqlite3 *db_ = nullptr;
    std::mutex mutex_;
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
};

} // namespace vx
