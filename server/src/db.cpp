#include "db.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

Stmt::Stmt(Stmt &&other) noexcept : p_(std::move(other.p_)), onRow_(other.onRow_), columns_(std::move(other.columns_))
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

int Stmt::column(const std::string &name) const
{
    if (columns_.empty()) {
        const int n = p_->columnCount();
        for (int i = 0; i < n; ++i)
            columns_.emplace(p_->columnName(i), i);
    }
    const auto it = columns_.find(name);
    if (it == columns_.end())
        throw DbError("no column \"" + name + "\" in: " + p_->sql());
    return it->second;
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

Stmt Db::prepare(const std::string &sql)
{
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

Transaction::Transaction(Db &db) : db_(db), depth_(db.txDepth_)
{
    // A write inside a snapshot could not take the write lock where the
    // snapshot is already stale.
    if (depth_ > 0 && db_.readOnly_)
        throw DbError("a write cannot begin inside a read transaction");
    if (depth_ == 0 && db_.writeGate_)
        gate_ = std::unique_lock<std::mutex>(db_.writeGate_->mutex);
    if (depth_ == 0)
        db_.engine_->beginWrite();
    else
        db_.exec("SAVEPOINT tx" + std::to_string(depth_));
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
    if (depth_ == 0 && db_.writeGate_)
        db_.writeGate_->lastCommitMs = steadyMs();
    if (gate_.owns_lock())
        gate_.unlock();
}

ReadTransaction::ReadTransaction(Db &db) : db_(db)
{
    if (db_.txDepth_ > 0)
        return;
    db_.engine_->beginRead();
    ++db_.txDepth_;
    db_.readOnly_ = true;
    active_ = true;
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
