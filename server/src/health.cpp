#include "health.h"

#include <sqlite3.h>
#include <sys/statvfs.h>

#include "clock.h"

namespace vx {

DatabaseTrouble troubleOf(const DbError &e)
{
    if (e.code() == DbError::kUnavailable)
        return {"unavailable", "the database cannot be reached", true};
    switch (e.code() & 0xFF) {
    case SQLITE_FULL:
        return {"full", "the disk of the database is full", true};
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
        return {"read_only", "the database cannot be written (read-only)", true};
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {"busy", "the database is busy", false};
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return {"io", "the database cannot be read or written (input/output error)", true};
    default:
        return {"other", "database error", false};
    }
}

HealthCheck::HealthCheck(WriteGate &gate, std::string sqliteFile) : gate_(gate), sqliteFile_(std::move(sqliteFile))
{
}

void HealthCheck::noteFailure(const DbError &e)
{
    const DatabaseTrouble trouble = troubleOf(e);
    if (!trouble.wholeDatabase)
        return;
    std::lock_guard<std::mutex> g(mutex_);
    failedAt_ = steadyMs();
    failure_ = trouble.reason;
}

std::string HealthCheck::diskFull() const
{
    if (sqliteFile_.empty())
        return {};
    const auto slash = sqliteFile_.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : sqliteFile_.substr(0, slash);
    struct statvfs fs
    { };
    if (::statvfs(dir.c_str(), &fs) != 0)
        return {};
    const auto free = static_cast<std::int64_t>(fs.f_bavail) * static_cast<std::int64_t>(fs.f_frsize);
    if (free >= kMinFreeBytes)
        return {};
    return "the disk of the database is full (" + std::to_string(free / 1024) + " KiB free)";
}

HealthCheck::Result HealthCheck::check(Db &db)
{
    const std::int64_t now = steadyMs();
    {
        std::lock_guard<std::mutex> g(mutex_);
        const std::int64_t committed = gate_.lastCommitMs;
        if (failedAt_ >= 0 && now - failedAt_ < kFreshMs && failedAt_ > committed)
            return Result {false, failure_};
        if (committed >= 0 && now - committed < kFreshMs) {
            const std::string full = diskFull();
            return full.empty() ? Result {} : Result {false, full};
        }
        if (checkedAt_ >= 0 && now - checkedAt_ < kFreshMs)
            return last_;
        if (probing_) {
            if (now - probeStarted_ < kProbeTimeoutMs)
                return checkedAt_ >= 0 ? last_ : Result {};
            return Result {
                false, "the database has not taken a write for " + std::to_string((now - probeStarted_) / 1000) + " s"};
        }
        probing_ = true;
        probeStarted_ = now;
    }
    const Result result = probe(db);
    std::lock_guard<std::mutex> g(mutex_);
    probing_ = false;
    last_ = result;
    checkedAt_ = steadyMs();
    return result;
}

HealthCheck::Result HealthCheck::probe(Db &db)
{
    try {
        Transaction tx(db);
        db.setMeta("health_probe", nowIso());
        tx.commit();
    } catch (const DbError &e) {
        return Result {false, troubleOf(e).reason};
    }
    const std::string full = diskFull();
    return full.empty() ? Result {} : Result {false, full};
}

} // namespace vx
