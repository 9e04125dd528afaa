#include "db.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

#include "clock.h"
#include "db_engines.h"
#include "schema.h"

namespace vx {

// ---------------------------------------------------------------- Stmt

Stmt::Stmt(std::unique_ptr<StmtImpl> impl) : p_(std::move(impl))
{
}

Stmt::Stmt(Stmt &&other) noexcept
    : p_(std::move(other.p_)), onRow_(other.onRow_), columns_(std::move(other.columns_)), nextColumn_(other.nextColumn_)
{
}

Stmt::~Stmt() = default;

Stmt &Stmt::bind(int idx, std::int64_t v)
{
    p_->bindInt(idx, v);
    return *this;
}

Stmt &Stmt::bind(int idx, double v)
{
    p_->bindDouble(idx, v);
    return *this;
}

Stmt &Stmt::bind(int idx, const std::string &v)
{
    p_->bindText(idx, v);
    return *this;
}

Stmt &Stmt::bindBlob(int idx, const std::string &bytes)
{
    p_->bindBlob(idx, bytes);
    return *this;
}

Stmt &Stmt::bindNull(int idx)
{
    p_->bindNull(idx);
    return *this;
}

Stmt &Stmt::bind(int idx, const std::optional<std::int64_t> &v)
{
    return v ? bind(idx, *v) : bindNull(idx);
}

Stmt &Stmt::bindJson(int idx, const Json &v)
{
    p_->bindJson(idx, v);
    return *this;
}

bool Stmt::step()
{
    onRow_ = false;
    onRow_ = p_->step();
    return onRow_;
}

const StmtImpl &Stmt::row() const
{
    if (!onRow_)
        throw DbError("a column was read without a row in: " + p_->sql());
    return *p_;
}

void Stmt::run()
{
    while (step()) { }
}

Json Stmt::getIntOrNull(int col) const
{
    if (isNull(col))
        return nullptr;
    return getInt(col);
}

int Stmt::column(std::string_view name) const
{
    if (columns_.empty()) {
        const int n = p_->columnCount();
        for (int i = 0; i < n; ++i)
            columns_.push_back(p_->columnName(i));
    }
    const std::size_t n = columns_.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = (nextColumn_ + k) % n;
        if (columns_[i] == name) {
            nextColumn_ = i + 1;
            return static_cast<int>(i);
        }
    }
    throw DbError("no column \"" + std::string(name) + "\" in: " + p_->sql());
}

// ---------------------------------------------------------------- Db

bool isPostgresTarget(const std::string &target)
{
    return target.rfind("postgresql://", 0) == 0 || target.rfind("postgres://", 0) == 0;
}

Db::Db(const std::string &target, const DbSettings &settings)
    : writeGate_(settings.writeGate),
      engine_(isPostgresTarget(target) ? openPostgres(target, settings) : openSqlite(target, settings))
{
    if (settings.migrate) {
        migrateSchema(*this);
        // A real write at start: a database in a read-only directory or
        // on a full disk stops the start with a clear message.
        Transaction tx(*this);
        setMeta("last_start", nowIso());
        tx.commit();
    }
}

Db::~Db() = default;

namespace {

// What an adding write may run: reads and plain inserts.
bool onlyAdds(const std::string &sql)
{
    const std::size_t start = sql.find_first_not_of(" \t\n(");
    const std::string_view head = std::string_view(sql).substr(start == std::string::npos ? sql.size() : start);
    if (head.rfind("SELECT ", 0) == 0)
        return true;
    // "WITH ... AS (INSERT ...) SELECT ...": an insert read back in the
    // same statement (PostgreSQL).
    const bool insertsWith = head.rfind("WITH ", 0) == 0 && sql.find("UPDATE ") == std::string::npos
        && sql.find("DELETE ") == std::string::npos;
    return (head.rfind("INSERT INTO ", 0) == 0 || insertsWith) && sql.find(" ON CONFLICT") == std::string::npos;
}

} // namespace

Stmt Db::prepare(const std::string &sql)
{
    if (adding_ && !onlyAdds(sql))
        throw DbError("an adding write may only read and insert, not: " + sql, SQLITE_MISUSE);
    return Stmt(engine_->prepare(sql));
}

void Db::exec(const std::string &sql)
{
    engine_->exec(sql);
}

std::int64_t Db::lastInsertId() const
{
    return engine_->lastInsertId();
}

int Db::changes() const
{
    return engine_->changes();
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

Transaction::Transaction(Db &db, WriteKind kind) : db_(db), depth_(db.txDepth_)
{
    // A write inside a snapshot could not take the write lock where the
    // snapshot is already stale.
    if (depth_ > 0 && db_.readOnly_)
        throw DbError("a write cannot begin inside a read transaction");
    // Other adding writes run beside this one: it holds nothing that would
    // let a write that runs alone begin inside it.
    if (depth_ > 0 && db_.adding_ && kind != WriteKind::Adding)
        throw DbError("a write that runs alone cannot begin inside an adding one", SQLITE_MISUSE);
    if (depth_ == 0 && db_.writeGate_ && db_.engine_->writesInTurn())
        gate_ = std::unique_lock<std::mutex>(db_.writeGate_->mutex);
    if (depth_ == 0) {
        db_.engine_->beginWrite(kind);
        db_.adding_ = kind == WriteKind::Adding;
    } else {
        db_.exec("SAVEPOINT tx" + std::to_string(depth_));
    }
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
    if (depth_ == 0)
        db_.adding_ = false;
}

void Transaction::commitWithNext()
{
    if (depth_ == 0)
        db_.engine_->commitWithNext();
}

void Transaction::commit()
{
    db_.exec(depth_ == 0 ? std::string("COMMIT") : "RELEASE tx" + std::to_string(depth_));
    done_ = true;
    --db_.txDepth_;
    if (depth_ == 0 && db_.writeGate_)
        db_.writeGate_->lastCommitMs = steadyMs();
    if (depth_ == 0)
        db_.adding_ = false;
    if (gate_.owns_lock())
        gate_.unlock();
}

ReadTransaction::ReadTransaction(Db &db, const char *settled) : db_(db)
{
    if (db_.txDepth_ > 0)
        return;
    db_.engine_->beginRead(settled ? settled : "");
    ++db_.txDepth_;
    db_.readOnly_ = true;
    active_ = true;
    settled_ = settled || db_.engine_->writesInTurn();
}

ReadTransaction::~ReadTransaction()
{
    if (!active_)
        return;
    --db_.txDepth_;
    db_.readOnly_ = false;
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
